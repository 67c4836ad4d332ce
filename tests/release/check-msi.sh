#!/usr/bin/env bash
# check-msi.sh BUILD_DIR WINE_RUN: the release MSI through Wine's msiexec, as a shop's IT
# would roll it out to a seat, with the rules on a "share" (a folder of the scratch space):
# 1. with PreviewBeforeRewrite set by hand beforehand, a silent install with PLUGINDIR and
#    RULEFOLDER: the programs in PLUGINDIR, RuleFolder written in the module's type, the
#    value set by hand left alone; kephost runs the installed module on the sample plate with
#    the share's rules;
# 2. the shop's files appear beside the DLL (rule file, backups, a kept copy, a journal);
# 3. an upgrade to a later version, built here from the same programs, given only PREVIEW:
#    in place of the first (one product), same folder, RuleFolder kept, PreviewBeforeRewrite
#    written, the shop's files untouched, and the module still runs;
# 4. uninstall: the programs and the values the installer wrote are gone, the shop's files
#    stay.
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
registered() { wine_quiet reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" >/dev/null; }
product_code() { msiinfo export "$1" Property | tr -d '\r' | sed -n 's/^ProductCode\t//p'; }

scratch=$(mktemp -d)
cleanup() {
    for msi in "${installers[@]}"; do msiexec /x "$(win "$msi")" /qn || true; done
    for name in $(awk '{ print $1 }' <<<"$settings"); do
        "$wine_run" reg delete "$key" /v "$name" /f </dev/null >/dev/null 2>&1 || true
    done
    rm -rf "$scratch"
}
installers=()
trap cleanup EXIT

{ read -r zip_path; read -r first_msi; } < <(env -u SIGN_PFX "$root/scripts/package.sh" "$build" "$scratch/dist" 2>/dev/null)
version=$(<"$build/VERSION")
next_version="${version%.*}.$((${version##*.} + 1))"
unzip -q "$zip_path" -d "$scratch/zip"
next_msi="$scratch/Quillet-$next_version-win-x64.msi"
"$root/scripts/make-msi.sh" "$scratch/zip/Quillet" "$next_version" "$next_msi"
installers=("$first_msi" "$next_msi")

plugins="$scratch/seat/Plugins"
share="$scratch/share"
mkdir -p "$share"
cp "$root/samples/Quillet.def" "$share/"

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

step "install $version with PLUGINDIR and RULEFOLDER"
wine_quiet reg add "$key" /v PreviewBeforeRewrite /t REG_SZ /d 0 /f >/dev/null
msiexec /i "$(win "$first_msi")" /qn "PLUGINDIR=$(win "$plugins")" "RULEFOLDER=$(win "$share")" ||
    fail "the install failed"
for program in Quillet.dll quillet-rules.exe; do
    cmp -s "$plugins/$program" "$scratch/zip/Quillet/$program" || fail "$program is not installed in PLUGINDIR"
done
[[ "$(value_of RuleFolder)" == "$(type_of RuleFolder) $(win "$share")" ]] ||
    fail "RuleFolder is '$(value_of RuleFolder)'"
[[ "$(value_of PreviewBeforeRewrite)" == "REG_SZ 0" ]] ||
    fail "PreviewBeforeRewrite, not given, became '$(value_of PreviewBeforeRewrite)'"
run_command "after the install"

step "the shop's files beside the DLL"
mkdir -p "$plugins/journal"
cp "$root/samples/Quillet.def" "$plugins/Quillet.def"
printf 'old rules\r\n' >"$plugins/Quillet.def.bak"
printf 'kept rules\r\n' >"$plugins/Quillet.def.20260301-142501.bak"
printf 'time,user,computer\r\n' >"$plugins/journal/SEAT1.csv"
shop_files() { (cd "$scratch" && find seat share -type f ! -name '*.dll' ! -name '*.exe' -exec sha256sum {} + | sort); }
shop=$(shop_files)

step "upgrade to $next_version with PREVIEW=1 only"
msiexec /i "$(win "$next_msi")" /qn PREVIEW=1 || fail "the upgrade failed"
registered "$(product_code "$first_msi")" && fail "$version is still installed beside $next_version"
registered "$(product_code "$next_msi")" || fail "$next_version is not installed"
[[ -f "$plugins/Quillet.dll" && -f "$plugins/quillet-rules.exe" ]] || fail "the upgrade left PLUGINDIR"
[[ "$(value_of RuleFolder)" == "$(type_of RuleFolder) $(win "$share")" ]] ||
    fail "the upgrade changed RuleFolder to '$(value_of RuleFolder)'"
[[ "$(value_of PreviewBeforeRewrite)" == "$(type_of PreviewBeforeRewrite) 1" ]] ||
    fail "PreviewBeforeRewrite is '$(value_of PreviewBeforeRewrite)'"
[[ "$(shop_files)" == "$shop" ]] || fail "the upgrade changed the shop's files"
run_command "after the upgrade"
shop=$(shop_files)  # with the rows that rewrite appended to the share's journal

step "uninstall"
msiexec /x "$(win "$next_msi")" /qn || fail "the removal failed"
registered "$(product_code "$next_msi")" && fail "$next_version is still installed"
[[ ! -e "$plugins/Quillet.dll" && ! -e "$plugins/quillet-rules.exe" ]] || fail "the programs are left"
for name in RuleFolder PreviewBeforeRewrite; do
    [[ -z "$(value_of "$name")" ]] || fail "$name is left: $(value_of "$name")"
done
[[ "$(shop_files)" == "$shop" ]] || fail "the removal changed the shop's files"

((failed == 0)) || exit 1
echo "msi ok: $version installed, upgraded to $next_version and removed"
