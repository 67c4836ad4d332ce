#!/usr/bin/env bash
# check-signing.sh BUILD_DIR: packages the build's programs signed with a throwaway
# code-signing certificate made here and time-stamped by a throwaway RFC 3161 server on this
# machine (timestamp-responder.pl over `openssl ts`; no network), and checks that every DLL
# and EXE of the ZIP, the MSI and the programs inside the MSI carry a valid signature of that
# certificate with a verified time stamp, that INSTALL.txt names its subject and SHA-1
# thumbprint, that signing without a time-stamp server says so, and that a wrong password
# fails the package without leaving one behind.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
failed=0
fail() { echo "check-signing: $*" >&2; failed=1; }

scratch=$(mktemp -d)
responder=""
trap '[[ -z "$responder" ]] || kill "$responder"; rm -rf "$scratch"' EXIT
cd "$scratch"
printf 'throwaway pass phrase\n' >password
openssl req -x509 -newkey rsa:2048 -noenc -keyout key.pem -out cert.pem -days 2 \
    -subj "/CN=Quillet test signer/O=Quillet tests" -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -in cert.pem -inkey key.pem -passout file:password -out signer.pfx
thumbprint=$(openssl x509 -in cert.pem -noout -fingerprint -sha1 | sed 's/^.*=//; s/://g')

mkdir tsa
openssl req -x509 -newkey rsa:2048 -noenc -keyout tsa/tsa.key -out tsa/tsa.crt -days 2 \
    -subj "/CN=Quillet test time stamps" -addext "extendedKeyUsage=critical,timeStamping" 2>/dev/null
echo 01 >tsa/serial
printf '%s\n' '[ tsa ]' 'default_tsa = tsa_config' '[ tsa_config ]' "dir = $scratch/tsa" \
    'serial = $dir/serial' 'signer_cert = $dir/tsa.crt' 'signer_key = $dir/tsa.key' \
    'signer_digest = sha256' 'default_policy = 1.2.3.4.1' 'digests = sha256, sha1' \
    'accuracy = secs:1' 'ess_cert_id_alg = sha256' >tsa/tsa.cnf
coproc RESPONDER { exec perl "$root/tests/release/timestamp-responder.pl" "$scratch/tsa"; }
responder=$RESPONDER_PID
read -r port <&"${RESPONDER[0]}"

{ read -r zip_path; read -r msi_path; } < <(SIGN_PFX=signer.pfx SIGN_PASSWORD_FILE=password \
    SIGN_TIMESTAMP_URL="http://127.0.0.1:$port" "$root/scripts/package.sh" "$build" dist 2>/dev/null)
(cd dist && sha256sum --quiet --strict -c SHA256SUMS) || fail "SHA256SUMS does not verify"
unzip -q "$zip_path" -d zip
msiextract -C msi "$msi_path" >/dev/null
mapfile -t signed < <(find zip msi -iname '*.dll' -o -iname '*.exe'; echo "$msi_path")
((${#signed[@]} >= 5)) || fail "too few files to check: ${signed[*]}"
for file in "${signed[@]}"; do
    verified=$(osslsigncode verify -CAfile cert.pem -TSA-CAfile tsa/tsa.crt -in "$file" 2>&1) ||
        fail "$file: not validly signed"
    grep -q "Subject: /CN=Quillet test signer/O=Quillet tests" <<<"$verified" ||
        fail "$file: signed by another certificate"
    grep -q "^Timestamp Server Signature verification: ok" <<<"$verified" ||
        fail "$file: no verified time stamp: $(grep -i timestamp <<<"$verified")"
done
for program in $(cd zip/Quillet && ls ./*.dll ./*.exe); do
    cmp -s "zip/Quillet/$program" "$(find msi -name "$(basename "$program")")" ||
        fail "the MSI's $program is not the ZIP's signed one"
done
install_text=$(tr -d '\r' <zip/Quillet/INSTALL.txt)
grep -qF "CN=Quillet test signer,O=Quillet tests" <<<"$install_text" || fail "INSTALL.txt lacks the signer"
grep -qF "$thumbprint" <<<"$install_text" || fail "INSTALL.txt lacks the thumbprint $thumbprint"
! grep -q "NOT SIGNED" <<<"$install_text" || fail "INSTALL.txt says the signed package is unsigned"
grep -q "carries a time stamp" <<<"$install_text" || fail "INSTALL.txt does not say the signatures are time-stamped"

told=$(SIGN_PFX=signer.pfx SIGN_PASSWORD_FILE=password "$root/scripts/package.sh" "$build" plain 2>&1 >/dev/null)
grep -q "no time stamp" <<<"$told" || fail "signing without a time-stamp server does not say so: $told"
unzip -q plain/*.zip -d plain/zip
grep -q "NO time stamp" plain/zip/Quillet/INSTALL.txt || fail "INSTALL.txt of a package without time stamps does not say so"
verified=$(osslsigncode verify -CAfile cert.pem -in plain/zip/Quillet/Quillet.dll 2>&1) ||
    fail "the DLL signed without a time stamp does not verify"
grep -q "Timestamp is not available" <<<"$verified" || fail "a time stamp without a server"

printf 'another pass phrase\n' >wrong
if SIGN_PFX=signer.pfx SIGN_PASSWORD_FILE=wrong "$root/scripts/package.sh" "$build" refused \
       >/dev/null 2>&1; then
    fail "a wrong password gave a package"
fi
[[ -z "$(ls -A refused 2>/dev/null)" ]] || fail "a wrong password left files: $(ls refused)"

((failed == 0)) || exit 1
echo "signing ok: ${#signed[@]} files signed by CN=Quillet test signer ($thumbprint), time-stamped"
