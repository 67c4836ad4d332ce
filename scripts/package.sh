#!/usr/bin/env bash
# package.sh BUILD_DIR OUT_DIR: the release ZIP OUT_DIR/Quillet-<version>-win-x64.zip and
# OUT_DIR/SHA256SUMS. The version is the build tree's (project() in CMakeLists.txt); the
# programs are those of release/shipped-programs.txt, beside INSTALL.txt (filled in with the
# version), the list of finding codes, CHANGELOG.md and LICENSE, all with CRLF line ends and
# the Korean ones with the UTF-8 mark that older Notepad needs to read them; the sample rules
# go to samples/, never beside the DLL, so that unpacking over an installation keeps its
# Quillet.def. Prints the ZIP's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$(<"$build/VERSION")
name="Quillet-$version-win-x64"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
top="$stage/Quillet"
mkdir -p "$top/samples"
grep -Ev '^[[:space:]]*(#|$)' "$root/release/shipped-programs.txt" | while read -r program; do
    cp "$build/bin/$program" "$top/"
done
cp "$root/samples/Quillet.def" "$top/samples/"
with_crlf() { sed 's/\r$//; s/$/\r/' "$@"; }
utf8_mark() { printf '\xEF\xBB\xBF'; cat; }
sed "s/@VERSION@/$version/g" "$root/release/INSTALL.txt" | with_crlf | utf8_mark >"$top/INSTALL.txt"
with_crlf "$root/release/finding-codes.txt" | utf8_mark >"$top/finding-codes.txt"
with_crlf "$root/CHANGELOG.md" >"$top/CHANGELOG.md"
with_crlf "$root/LICENSE" >"$top/LICENSE"

zip_path="$out/$name.zip"
rm -f "$zip_path"
(cd "$stage" && TZ=UTC zip -q -X -r "$zip_path" Quillet)
(cd "$out" && sha256sum "$name.zip" >SHA256SUMS)
echo "$zip_path"
