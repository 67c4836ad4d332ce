#!/usr/bin/env bash
# make-msi.sh FILES_DIR SETUP_DLL VERSION OUT.msi: the installer of release/Quillet.wxs for the
# programs in FILES_DIR (Quillet.dll, quillet-rules.exe), with the installer's own steps of
# SETUP_DLL (QuilletSetup.dll), as version VERSION.
#
# Every build gets a product code of its own, and the major upgrade takes in the same version:
# a rebuild of a version (signed over an unsigned pilot, or with a fix) then replaces the
# installed one in place. With one product code per version, Windows Installer would refuse a
# rebuild as another package of an installed product (error 1638), and a second /i of it would
# change nothing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
files=$(cd "$1" && pwd)
setup_dll=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
version=$3
out=$4

product_code=$(uuidgen --random | tr a-z A-Z)
upgrade_code={$(grep -o 'UpgradeCode="[^"]*"' "$root/release/Quillet.wxs" | cut -d'"' -f2)}

# A program's file version from its version resource (VS_FIXEDFILEINFO: the signature
# FEEF04BD, the structure's version, then the file version as two DWORDs, major.minor and
# build.revision, in 16-bit halves).
file_version() {
    local offset halves
    offset=$(LC_ALL=C grep -obUaP '\xBD\x04\xEF\xFE' "$1" | head -1 | cut -d: -f1)
    [[ -n "$offset" ]] || { echo "make-msi: $1 has no version resource" >&2; return 1; }
    read -r -a halves < <(od -An -tu2 -j $((offset + 8)) -N8 "$1")
    echo "${halves[1]}.${halves[0]}.${halves[3]}.${halves[2]}"
}
dll_version=$(file_version "$files/Quillet.dll")
rules_version=$(file_version "$files/quillet-rules.exe")

mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
rm -f "$out"
# wixl finds the files of relative Source names in the current folder, and takes no other.
sources=$(mktemp -d)
trap 'rm -rf "$sources"' EXIT
ln -s "$files"/* "$setup_dll" "$sources/"
(cd "$sources" && wixl -a x64 -D "Version=$version" -D "ProductCode={$product_code}" \
    -o "$out" "$root/release/Quillet.wxs")

# What wixl 0.101 does not write from the source: the programs' versions (without them Windows
# Installer takes them as unversioned files), and the upgrade over the same version (the
# detection of earlier versions includes this one, 513 = migrate features + include maximum;
# a key column, so the row is replaced),
# and the properties a per-machine installation takes from the command line (it has no
# Secure attribute).
msibuild "$out" \
    -q "UPDATE \`File\` SET \`Version\` = '$dll_version', \`Language\` = '0' WHERE \`File\` = 'QuilletDll'" \
    -q "UPDATE \`File\` SET \`Version\` = '$rules_version', \`Language\` = '0' WHERE \`File\` = 'QuilletRulesExe'" \
    -q "DELETE FROM \`Upgrade\` WHERE \`ActionProperty\` = 'WIX_UPGRADE_DETECTED'" \
    -q "INSERT INTO \`Upgrade\` (\`UpgradeCode\`, \`VersionMax\`, \`Attributes\`, \`ActionProperty\`) VALUES ('$upgrade_code', '$version', 513, 'WIX_UPGRADE_DETECTED')" \
    -q "UPDATE \`Property\` SET \`Value\` = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;PLUGINDIR;RULEFOLDER;PREVIEW' WHERE \`Property\` = 'SecureCustomProperties'"

# An UPDATE that matches nothing succeeds: check that each one took.
tables=$(for table in File Upgrade Property; do msiinfo export "$out" "$table"; done | tr -d '\r')
for row in $'Quillet.dll\t[0-9]+\t'"$dll_version"$'\t0\t' \
           $'quillet-rules.exe\t[0-9]+\t'"$rules_version"$'\t0\t' \
           $'\t'"$version"$'\t\t513\t\tWIX_UPGRADE_DETECTED' \
           $'SecureCustomProperties\tWIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;PLUGINDIR;RULEFOLDER;PREVIEW'; do
    grep -qE "${row//./\\.}" <<<"$tables" || { echo "make-msi: $out lacks the row: $row" >&2; exit 1; }
done
