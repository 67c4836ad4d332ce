#!/usr/bin/env bash
# package.sh BUILD_DIR OUT_DIR: the release ZIP OUT_DIR/Quillet-<version>-win-x64.zip, the
# installer OUT_DIR/Quillet-<version>-win-x64.msi beside it, and OUT_DIR/SHA256SUMS of both.
# The version is the build tree's (project() in CMakeLists.txt); the programs are those of
# release/shipped-programs.txt, beside INSTALL.txt (filled in with the version and whether
# the files are signed), the list of finding codes, CHANGELOG.md and LICENSE, all with CRLF
# line ends and the Korean ones with the UTF-8 mark that older Notepad needs to read them,
# and the policy template in policy/ as release/policy holds it; the sample rules go to
# samples/, never beside the DLL, so that unpacking over an installation keeps its
# Quillet.def. The MSI installs the programs (scripts/make-msi.sh).
#
# With SIGN_PFX (a PKCS#12 file with the code-signing certificate and its key) and
# SIGN_PASSWORD_FILE (its password on the first line) in the environment, every shipped DLL
# and EXE, and then the MSI, is signed with osslsigncode (Authenticode, SHA-256); a failed
# signature fails the package. Without SIGN_PFX the package is unsigned and says so.
# Prints the ZIP's path and the MSI's, one a line.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$(<"$build/VERSION")
name="Quillet-$version-win-x64"
pfx=${SIGN_PFX:-}
password_file=${SIGN_PASSWORD_FILE:-}
timestamp_url=${SIGN_TIMESTAMP_URL:-}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top="$stage/Quillet"
mkdir -p "$top/samples"
mapfile -t programs < <(grep -Ev '^[[:space:]]*(#|$)' "$root/release/shipped-programs.txt")
for program in "${programs[@]}"; do
    cp "$build/bin/$program" "$top/"
done

# The certificate's subject and SHA-1 thumbprint, as Windows shows them.
signer_lines() {
    local certificate
    certificate=$(openssl pkcs12 -in "$pfx" -passin "file:$password_file" -nokeys -clcerts 2>/dev/null ||
                  openssl pkcs12 -legacy -in "$pfx" -passin "file:$password_file" -nokeys -clcerts)
    openssl x509 -noout -subject -nameopt utf8,sep_comma_plus <<<"$certificate" | sed 's/^subject=//'
    openssl x509 -noout -fingerprint -sha1 <<<"$certificate" | sed 's/^.*=//; s/://g'
}

sign() {
    local file=$1 timestamp=()
    [[ -z "$timestamp_url" ]] || timestamp=(-ts "$timestamp_url")
    osslsigncode sign -pkcs12 "$pfx" -readpass "$password_file" -n "Quillet $version" -h sha256 \
        "${timestamp[@]}" -in "$file" -out "$file.signed" >/dev/null
    mv "$file.signed" "$file"
}

if [[ -n "$pfx" ]]; then
    [[ -r "$pfx" && -r "$password_file" ]] ||
        { echo "package: SIGN_PFX and SIGN_PASSWORD_FILE must both name readable files" >&2; exit 1; }
    mapfile -t signer < <(signer_lines)
    ((${#signer[@]} == 2)) || { echo "package: cannot read the certificate in $pfx" >&2; exit 1; }
    for program in "${programs[@]}"; do sign "$top/$program"; done
    if [[ -n "$timestamp_url" ]]; then
        timestamped="  Each signature carries a time stamp, so it stays valid after the"$'\n'"  certificate expires."
    else
        timestamped="  The signatures carry NO time stamp: they stop validating when the"$'\n'"  certificate expires."
    fi
    signature=$(printf '%s\n' \
        "  Quillet.dll, quillet-rules.exe and the MSI are signed (Authenticode, SHA-256)" \
        "  with the certificate of" \
        "      ${signer[0]}" \
        "  whose SHA-1 thumbprint is" \
        "      ${signer[1]}" \
        "$timestamped")
else
    signature=$(printf '%s\n' \
        "  THIS PACKAGE IS NOT SIGNED: its DLL, program and MSI carry no Authenticode" \
        "  signature, and the checks below show them as unsigned. Rely on the" \
        "  checksum (above) to know that the download is intact.")
fi

cp "$root/samples/Quillet.def" "$top/samples/"
with_crlf() { sed 's/\r$//; s/$/\r/' "$@"; }
utf8_mark() { printf '\xEF\xBB\xBF'; cat; }
# The signature block replaces the line @SIGNATURE@.
awk -v version="$version" -v signature="$signature" \
    '$0 == "@SIGNATURE@" { print signature; next } { gsub(/@VERSION@/, version); print }' \
    "$root/release/INSTALL.txt" | with_crlf | utf8_mark >"$top/INSTALL.txt"
with_crlf "$root/release/finding-codes.txt" | utf8_mark >"$top/finding-codes.txt"
with_crlf "$root/CHANGELOG.md" >"$top/CHANGELOG.md"
with_crlf "$root/LICENSE" >"$top/LICENSE"
cp -r "$root/release/policy" "$top/policy"

# The installer's own steps, in the MSI only, signed like the programs.
setup_dll="$stage/QuilletSetup.dll"
cp "$build/bin/QuilletSetup.dll" "$setup_dll"
[[ -z "$pfx" ]] || sign "$setup_dll"
msi="$stage/$name.msi"
"$root/scripts/make-msi.sh" "$top" "$setup_dll" "$version" "$msi"
[[ -z "$pfx" ]] || sign "$msi"

zip_path="$out/$name.zip"
rm -f "$zip_path" "$out/$name.msi"
(cd "$stage" && TZ=UTC zip -q -X -r "$zip_path" Quillet)
mv "$msi" "$out/$name.msi"
(cd "$out" && sha256sum "$name.zip" "$name.msi" >SHA256SUMS)
if [[ -z "$pfx" ]]; then
    echo "package: not signed (make package SIGN_PFX=FILE SIGN_PASSWORD_FILE=FILE signs it)" >&2
else
    echo "package: signed with the certificate of ${signer[0]} (${signer[1]})" >&2
    [[ -n "$timestamp_url" ]] ||
        echo "package: the signatures carry no time stamp and stop validating when the certificate expires (SIGN_TIMESTAMP_URL=URL of an RFC 3161 server adds one)" >&2
fi
echo "$zip_path"
echo "$out/$name.msi"
