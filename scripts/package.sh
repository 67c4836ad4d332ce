#!/usr/bin/env bash
# package.sh BUILD_DIR OUT_DIR: the release ZIP with the built Quillet.dll, the sample rule
# file and the installation notes. Prints the path of the ZIP.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
version=$(git -C "$root" describe --always --dirty 2>/dev/null || echo dev)
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/Quillet"
cp "$build/bin/Quillet.dll" "$root/samples/Quillet.def" "$root/release/INSTALL.txt" "$stage/Quillet/"
zip_path="$out/Quillet-$version.zip"
rm -f "$zip_path"
(cd "$stage" && TZ=UTC zip -q -X -r "$zip_path" Quillet)
echo "$zip_path"
