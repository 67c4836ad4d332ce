#!/usr/bin/env bash
# check-msi.sh BUILD_DIR WINE_RUN: the release MSI through Wine's msiexec, as a shop's IT
# would roll it out to a seat, with the rules on "shares" (folders of the scratch space):
# 1. PREVIEW=yes, PREVIEW=2 and a relative RULEFOLDER are each refused, with the reason in
#    the log, and change nothing (no program, no value, no product);
# 2. with PreviewBeforeRewrite set by hand beforehand, a silent install with PLUGINDIR and
#    RULEFOLDER: the programs in PLUGINDIR with their versions in the File table, RuleFolder
#    written in the module's type, the value set by hand left alone, InstallLocation;
#    kephost runs the installed module on the sample plate with the share's rules;
# 3. the shop's files appear beside the DLL, and the shop moves RuleFolder to another share
#    by hand;
# 4. a rebuild of the same version, given nothing, replaces the first in place: RuleFolder
#    stays the shop's; a repair puts back a deleted DLL;
# 5. an upgrade to a later version given only PREVIEW: PreviewBeforeRewrite written, the rest
#    as it was, the module still runs; the earlier version's MSI is then refused;
# 6. uninstall: the programs and the value the installer wrote (PreviewBeforeRewrite) are
#    gone, the RuleFolder the shop set and the shop's files stay.
# The setting names and types are the module's own (machine-settings.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
wine_run=$2
. "$here/machine-settings.sh"
key="HKLM\\$(settings_key "$root")"
settings=$(machine_settings "$root")
type_of() { awk -v name="$1" '$1 == name { print $2 }' <<<"$settings"; }
failed=0
fail() { echo "check-msi: $*" >&2; failed=1; }
step() { echo "check-msi: $*"; }

win() { printf 'Z:%s' "${1//\//\\}"; }
wine_quiet() { "$wine_run" "$@" 2>/dev/null </dev/null | tr -d '\r'; }
msiexec() { "$wine_run" msiexec "$@" </dev/null >/dev/null 2>&1; }
# "TYPE DATA" of a value under the module's key; nothing when there is none.
value_of() { wine_quiet reg query "$key" /v "$1" | sed -n "s/^ *$1  *\(REG_[A-Z_]*\)  *\(.*\)\$/\1 \2/p"; }
uninstall="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"
registered() { wine_quiet reg query "$uninstall\\$1" >/dev/null; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }

scratch=$(mktemp -d)
cleanup() {
    for msi in "${installers[@]}"; do msiexec /x "$(win "$msi")" /qn || true; done
    for name in $(awk '{ print $1 }' <<<"$settings"); do
        "$wine_run" reg delete "$key" /v "$name" /f </dev/null >/dev/null 2>&1 || true
    done
    "$wine_run" reg delete "$key\\Installer" /f </dev/null >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
installers=()
trap cleanup EXIT

{ read -r zip_path; read -r first_msi; } < <(env -u SIGN_PFX "$root/scripts/package.sh" "$build" "$scratch/dist" 2>/dev/null)
version=$(<"$build/VERSION")
next_version="${version%.*}.$((${version##*.} + 1))"
unzip -q "$zip_path" -d "$scratch/zip"
make_msi() { "$root/scripts/make-msi.sh" "$scratch/zip/Quillet" "$build/bin/QuilletSetup.dll" "$@"; }
rebuilt_msi="$scratch/rebuilt/Quillet-$version-win-x64.msi"
next_msi="$scratch/Quillet-$next_version-win-x64.msi"
older_msi="$scratch/Quillet-0.0.1-win-x64.msi"
make_msi "$version" "$rebuilt_msi"
make_msi "$next_version" "$next_msi"
make_msi 0.0.1 "$older_msi"
installers=("$first_msi" "$rebuilt_msi" "$next_msi" "$older_msi")

plugins="$scratch/seat/Plugins"
share="$scratch/share"
new_share="$scratch/new-share"
mkdir -p "$share" "$new_share"
cp "$root/samples/Quillet.def" "$share/"
cp "$root/samples/Quillet.def" "$new_share/"

# The sample plate through kephost and the installed module, with the rules on the share;
# the preview, which PREVIEW=1 turns on, is applied.
run_command() {
    local output
    output=$("$wine_run" "$build/bin/kephost.exe" --module "$(win "$plugins/Quillet.dll")" \
                 --workdir "$(win "$plugins")" --drawing "$(win "$root/samples/plate.drawing")" \
                 --select all --preview apply --event 0 </dev/null 2>&1) ||
        fail "$1: kephost failed: $output"
    grep -q "총 22개의 구멍을 수정하였습니다." <<<"$output" ||
        fail "$1: the installed module did not rewrite by the share's rules: $output"
}
log_of() { tr -d '\r' <"$scratch/$1.log"; }

step "refused properties"
wine_quiet reg add "$key" /v PreviewBeforeRewrite /t REG_SZ /d 0 /f >/dev/null
for given in PREVIEW=yes PREVIEW=2 RULEFOLDER=cam; do
    log="refused-${given%%=*}-${given#*=}"
    if msiexec /i "$(win "$first_msi")" /qn "PLUGINDIR=$(win "$plugins")" "$given" \
           /l*v "$(win "$scratch/$log.log")"; then
        fail "$given was installed"
    fi
    grep -qF "Quillet: ${given%%=*}=\"${given#*=}\" refused: " <(log_of "$log") ||
        fail "the log of $given does not give the reason: $(grep -a Quillet "$scratch/$log.log")"
    [[ ! -e "$plugins" ]] || fail "$given left $(ls "$plugins")"
    [[ -z "$(value_of RuleFolder)" && "$(value_of PreviewBeforeRewrite)" == "REG_SZ 0" ]] ||
        fail "$given changed the values: '$(value_of RuleFolder)' '$(value_of PreviewBeforeRewrite)'"
    registered "$(product_code "$first_msi")" && fail "$given registered the product"
done

step "install $version with PLUGINDIR and RULEFOLDER"
msiexec /i "$(win "$first_msi")" /qn "PLUGINDIR=$(win "$plugins")" "RULEFOLDER=$(win "$share")" ||
    fail "the install failed"
for program in Quillet.dll quillet-rules.exe; do
    cmp -s "$plugins/$program" "$scratch/zip/Quillet/$program" || fail "$program is not installed in PLUGINDIR"
    grep -qP "^[^\t]*\t[^\t]*\t$program\t[0-9]+\t$version\.0\t" <(msiinfo export "$first_msi" File | tr -d '\r') ||
        fail "the File table does not give $program the version $version.0"
done
[[ "$(value_of RuleFolder)" == "$(type_of RuleFolder) $(win "$share")" ]] ||
    fail "RuleFolder is '$(value_of RuleFolder)'"
[[ "$(value_of PreviewBeforeRewrite)" == "REG_SZ 0" ]] ||
    fail "PreviewBeforeRewrite, not given, became '$(value_of PreviewBeforeRewrite)'"
location=$(wine_quiet reg query "$uninstall\\$(product_code "$first_msi")" /v InstallLocation |
           sed -n 's/^ *InstallLocation  *REG_SZ  *//p')
[[ "${location%\\}" == "$(win "$plugins")" ]] || fail "InstallLocation is '$location'"
run_command "after the install"

step "the shop's files beside the DLL, and RuleFolder moved by hand"
mkdir -p "$plugins/journal"
cp "$root/samples/Quillet.def" "$plugins/Quillet.def"
printf 'old rules\r\n' >"$plugins/Quillet.def.bak"
printf 'kept rules\r\n' >"$plugins/Quillet.def.20260301-142501.bak"
printf 'time,user,computer\r\n' >"$plugins/journal/SEAT1.csv"
wine_quiet reg add "$key" /v RuleFolder /t REG_EXPAND_SZ /d "$(win "$new_share")" /f >/dev/null
shop_files() { (cd "$scratch" && find seat share new-share -type f ! -name '*.dll' ! -name '*.exe' -exec sha256sum {} + | sort); }
shop=$(shop_files)
shop_folder="$(type_of RuleFolder) $(win "$new_share")"

step "a rebuild of $version, given nothing"
msiexec /i "$(win "$rebuilt_msi")" /qn || fail "the rebuild did not install"
registered "$(product_code "$first_msi")" && fail "the first build is still installed beside the rebuild"
registered "$(product_code "$rebuilt_msi")" || fail "the rebuild is not installed"
[[ "$(value_of RuleFolder)" == "$shop_folder" ]] ||
    fail "the rebuild changed RuleFolder to '$(value_of RuleFolder)'"
rm "$plugins/Quillet.dll"
# The repair of a missing file (msiexec /fp; Wine's /f takes no package path).
msiexec /i "$(win "$rebuilt_msi")" /qn REINSTALL=ALL REINSTALLMODE=p || fail "the repair failed"
cmp -s "$plugins/Quillet.dll" "$scratch/zip/Quillet/Quillet.dll" || fail "the repair did not put back Quillet.dll"
[[ "$(shop_files)" == "$shop" ]] || fail "the rebuild changed the shop's files"

step "upgrade to $next_version with PREVIEW=1 only"
msiexec /i "$(win "$next_msi")" /qn PREVIEW=1 || fail "the upgrade failed"
registered "$(product_code "$rebuilt_msi")" && fail "$version is still installed beside $next_version"
registered "$(product_code "$next_msi")" || fail "$next_version is not installed"
[[ -f "$plugins/Quillet.dll" && -f "$plugins/quillet-rules.exe" ]] || fail "the upgrade left PLUGINDIR"
[[ "$(value_of RuleFolder)" == "$shop_folder" ]] ||
    fail "the upgrade changed RuleFolder to '$(value_of RuleFolder)'"
[[ "$(value_of PreviewBeforeRewrite)" == "$(type_of PreviewBeforeRewrite) 1" ]] ||
    fail "PreviewBeforeRewrite is '$(value_of PreviewBeforeRewrite)'"
[[ "$(shop_files)" == "$shop" ]] || fail "the upgrade changed the shop's files"
run_command "after the upgrade"
shop=$(shop_files)  # with the rows that rewrite appended to the share's journal
if msiexec /i "$(win "$older_msi")" /qn; then fail "0.0.1 installed over $next_version"; fi
registered "$(product_code "$next_msi")" || fail "the refused downgrade removed $next_version"

step "uninstall"
msiexec /x "$(win "$next_msi")" /qn || fail "the removal failed"
registered "$(product_code "$next_msi")" && fail "$next_version is still installed"
[[ ! -e "$plugins/Quillet.dll" && ! -e "$plugins/quillet-rules.exe" ]] || fail "the programs are left"
[[ "$(value_of RuleFolder)" == "$shop_folder" ]] ||
    fail "the removal did not keep the RuleFolder the shop set: '$(value_of RuleFolder)'"
[[ -z "$(value_of PreviewBeforeRewrite)" ]] ||
    fail "PreviewBeforeRewrite, which the installer wrote, is left: $(value_of PreviewBeforeRewrite)"
wine_quiet reg query "$key\\Installer" >/dev/null && fail "the installer's records are left"
[[ "$(shop_files)" == "$shop" ]] || fail "the removal changed the shop's files"

((failed == 0)) || exit 1
echo "msi ok: properties checked; $version installed, rebuilt, repaired, upgraded to $next_version and removed"
