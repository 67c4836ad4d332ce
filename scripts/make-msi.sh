#!/usr/bin/env bash
# make-msi.sh FILES_DIR VERSION OUT.msi: the installer of release/Quillet.wxs for the programs
# in FILES_DIR (Quillet.dll, quillet-rules.exe), as version VERSION. The product code is
# derived from the version, so that every build of one version is the same product (a second
# install of it is a repair, not a second product) and each version a new one, which a
# later version's major upgrade replaces.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
files=$(cd "$1" && pwd)
version=$2
out=$3

upgrade_code=$(grep -o 'UpgradeCode="[^"]*"' "$root/release/Quillet.wxs" | cut -d'"' -f2)
product_code=$(uuidgen --sha1 --namespace "$upgrade_code" --name "Quillet $version" | tr a-z A-Z)

mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
rm -f "$out"
# wixl finds the files of relative Source names in the current folder.
(cd "$files" && wixl -a x64 -D "Version=$version" -D "ProductCode={$product_code}" \
    -o "$out" "$root/release/Quillet.wxs")

# What wixl 0.101 does not write from the source: the conditions of the two setting
# components, REG_EXPAND_SZ for RuleFolder (it ignores Type="expandable") and the properties
# a per-machine installation takes from the command line (it has no Secure attribute).
msibuild "$out" \
    -q "UPDATE \`Component\` SET \`Condition\` = 'RULEFOLDER' WHERE \`Component\` = 'RuleFolderValue'" \
    -q "UPDATE \`Component\` SET \`Condition\` = 'PREVIEW' WHERE \`Component\` = 'PreviewValue'" \
    -q "UPDATE \`Registry\` SET \`Value\` = '#%[RULEFOLDER]' WHERE \`Component_\` = 'RuleFolderValue' AND \`Name\` = 'RuleFolder' AND \`Key\` = 'SOFTWARE\\Ferrimount\\KEP\\Quillet'" \
    -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;PLUGINDIR;RULEFOLDER;PREVIEW' WHERE \`Property\` = 'SecureCustomProperties'"

# An UPDATE that matches nothing succeeds: check that each one took.
tables=$(for table in Component Registry Property; do msiinfo export "$out" "$table"; done | tr -d '\r')
for row in $'RuleFolderValue\t{41F0FC86-427C-4E44-BF38-BD3D5A936219}\tPLUGINDIR\t260\tRULEFOLDER' \
           $'PreviewValue\t{F2C34FDC-20F1-43A7-BCF8-E7617C0C5B12}\tPLUGINDIR\t260\tPREVIEW' \
           $'SOFTWARE\\Ferrimount\\KEP\\Quillet\tRuleFolder\t#%[RULEFOLDER]\tRuleFolderValue' \
           $'SecureCustomProperties\tWIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;PLUGINDIR;RULEFOLDER;PREVIEW'; do
    grep -qF "$row" <<<"$tables" || { echo "make-msi: $out lacks the row: $row" >&2; exit 1; }
done
