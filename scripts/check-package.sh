#!/usr/bin/env bash
# check-package.sh BUILD_DIR WINE_RUN OBJDUMP: builds the release ZIP and MSI, unsigned, into
# a scratch folder and checks them as an administrator would receive them:
# - their names carry the build's version, and SHA256SUMS verifies both;
# - the ZIP holds exactly the shipped programs (release/shipped-programs.txt), INSTALL.txt,
#   finding-codes.txt (the committed list, which a native test holds to the program's),
#   CHANGELOG.md, LICENSE, the policy template of release/policy and samples/Quillet.def:
#   no rule file beside the DLL;
# - the DLL is byte for byte the one the end-to-end tests load, and the MSI, of the build's
#   version, installs exactly the ZIP's programs;
# - INSTALL.txt says that the package is not signed, and the DLL has no signature;
# - INSTALL.txt starts with the UTF-8 mark, has CRLF line ends and no line over 80
#   characters, gives the reg add of RuleFolder and names copy-to-share in the migration
#   step, names the version and has its three sections, the upgrade keeping
#   Quillet.def and Quillet.def.bak, the removal giving the registry command; README.md and
#   CHANGELOG.md name the version (its first numbered section; a section for the next
#   release, headed "## Next release", may come before it);
# - every shipped program's version resource, read under Wine with GetFileVersionInfoW,
#   and PE image version are the version in the ZIP's name;
# - Quillet.dll exports Startup alone, imports only system DLLs and KepLib.dll, and no
#   shipped file holds a test switch (the text QUILLET_TEST, in UTF-8 or UTF-16).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
wine_run=$2
objdump=$3
failed=0
fail() { echo "check-package: $*" >&2; failed=1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
{ read -r zip_path; read -r msi_path; } < <(env -u SIGN_PFX "$root/scripts/package.sh" "$build" "$scratch/dist")
zip_name=$(basename "$zip_path")
[[ "$zip_name" =~ ^Quillet-([0-9]+\.[0-9]+\.[0-9]+)-win-x64\.zip$ ]] ||
    { echo "check-package: unexpected name $zip_name" >&2; exit 1; }
version=${BASH_REMATCH[1]}
[[ "$version" == "$(<"$build/VERSION")" ]] || fail "$zip_name does not carry the build's version"
(cd "$scratch/dist" && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS does not verify"
for file in "$zip_name" "${zip_name%.zip}.msi"; do
    grep -q " $file\$" "$scratch/dist/SHA256SUMS" || fail "SHA256SUMS does not list $file"
done
[[ "$msi_path" == "$scratch/dist/${zip_name%.zip}.msi" ]] || fail "no MSI beside the ZIP: $msi_path"

mapfile -t programs < <(grep -Ev '^[[:space:]]*(#|$)' "$root/release/shipped-programs.txt")
listing=$(unzip -Z1 "$zip_path" | sort)
policy=$(cd "$root/release" && find policy -type d -printf 'Quillet/%p/\n' -o -printf 'Quillet/%p\n')
expected=$(printf '%s\n' Quillet/ Quillet/INSTALL.txt Quillet/CHANGELOG.md Quillet/LICENSE \
                         Quillet/finding-codes.txt Quillet/samples/ Quillet/samples/Quillet.def \
                         $policy "${programs[@]/#/Quillet/}" | sort)
[[ "$listing" == "$expected" ]] || fail "unexpected contents:"$'\n'"$listing"

unzip -q "$zip_path" -d "$scratch/unpacked"
pkg="$scratch/unpacked/Quillet"
cmp -s "$pkg/Quillet.dll" "$build/bin/Quillet.dll" || fail "Quillet.dll is not the tested one"
cmp -s "$pkg/samples/Quillet.def" "$root/samples/Quillet.def" || fail "the sample rules differ"
cmp -s <(tail -c +4 "$pkg/finding-codes.txt" | tr -d '\r') "$root/release/finding-codes.txt" ||
    fail "finding-codes.txt is not release/finding-codes.txt"
grep -q '^MIT License' "$pkg/LICENSE" || fail "LICENSE is not the MIT licence"
diff -r "$pkg/policy" "$root/release/policy" >/dev/null || fail "policy/ is not release/policy"

msi_version=$(msiinfo export "$msi_path" Property | tr -d '\r' | sed -n 's/^ProductVersion\t//p')
[[ "$msi_version" == "$version" ]] || fail "the MSI is version '$msi_version'"
msiextract -C "$scratch/msi" "$msi_path" >/dev/null
installed=$(cd "$scratch/msi" && find . -type f -printf '%f\n' | sort)
[[ "$installed" == "$(printf '%s\n' "${programs[@]}" | sort)" ]] ||
    fail "the MSI installs other files than the ZIP's programs: $installed"
for program in "${programs[@]}"; do
    cmp -s "$(find "$scratch/msi" -name "$program")" "$pkg/$program" ||
        fail "the MSI's $program is not the ZIP's"
done
! osslsigncode verify -in "$pkg/Quillet.dll" >/dev/null 2>&1 || fail "the unsigned Quillet.dll has a signature"

install="$pkg/INSTALL.txt"
[[ $(grep -c $'\r$' "$install") -eq $(wc -l <"$install") && $(tail -c1 "$install" | xxd -p) == 0a ]] ||
    fail "INSTALL.txt has lines without CRLF"
[[ $(head -c3 "$install" | xxd -p) == efbbbf ]] || fail "INSTALL.txt does not start with the UTF-8 mark"
install_text=$(tail -c +4 "$install" | tr -d '\r')
long=$(LC_ALL=C.UTF-8 grep -nP '^.{81}' <<<"$install_text" | cut -d: -f1 | paste -sd, || true)
[[ -z "$long" ]] || fail "INSTALL.txt has lines over 80 characters: $long"
# The command to copy, continued with ^ as a command prompt takes it.
grep -qzP ' +reg add "HKLM\\SOFTWARE\\Ferrimount\\KEP\\Quillet" \^\n +/v RuleFolder /t REG_EXPAND_SZ /d "[^"]+" /f\n' <<<"$install_text" ||
    fail "INSTALL.txt does not give reg add RuleFolder"
migration=$(sed -n '/^Shops with several seats/,/^[A-Z]/p' <<<"$install_text")
grep -q "quillet-rules copy-to-share" <<<"$migration" || fail "the migration step does not name copy-to-share"
grep -qF 'reg delete "HKCU\SOFTWARE\Ferrimount\KEP\Quillet" /f' <<<"$install_text" ||
    fail "INSTALL.txt does not give the command that removes the registry key"
grep -q "^Quillet $version " <<<"$install_text" || fail "INSTALL.txt does not start with the version"
grep -q "THIS PACKAGE IS NOT SIGNED" <<<"$install_text" || fail "INSTALL.txt does not say it is unsigned"
! grep -q '@[A-Z_]*@' <<<"$install_text" || fail "INSTALL.txt has unfilled placeholders"
sections=$(grep -nE '^(First installation|Upgrading|Removing)$' <<<"$install_text" | cut -d: -f2 | paste -sd,)
[[ "$sections" == "First installation,Upgrading,Removing" ]] ||
    fail "INSTALL.txt sections are '$sections'"
upgrade=$(sed -n '/^Upgrading$/,/^Removing$/p' <<<"$install_text")
for name in Quillet.dll Quillet.def Quillet.def.bak; do
    grep -q "$name" <<<"$upgrade" || fail "the upgrade section does not mention $name"
done
grep -q "^\*\*Version $version\*\*" "$root/README.md" || fail "README.md does not state version $version"
[[ $(grep -m1 '^## [0-9]' "$root/CHANGELOG.md") == "## $version "* ]] ||
    fail "CHANGELOG.md does not begin with $version"

windows_paths=()
for program in "${programs[@]}"; do windows_paths+=("Z:$pkg/$program"); done
"$wine_run" "$build/bin/version_check.exe" "$version" "${windows_paths[@]}" || fail "version resources"

"$root/tests/check_pe.sh" "$objdump" "$pkg/Quillet.dll" "$root/host/KepLib.def" || fail "PE tables"
utf16=$(printf 'QUILLET_TEST' | sed 's/./&\\x00/g; s/\\x00$//')
for program in "${programs[@]}"; do
    if LC_ALL=C grep -qaF QUILLET_TEST "$pkg/$program" || LC_ALL=C grep -qaP "$utf16" "$pkg/$program"; then
        fail "$program holds the test switch QUILLET_TEST"
    fi
done

((failed == 0)) || exit 1
echo "package ok: $zip_name ($(sha256sum "$zip_path" | cut -c1-16))"
