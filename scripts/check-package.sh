#!/usr/bin/env bash
# check-package.sh BUILD_DIR: builds the release ZIP into a scratch folder and checks that it
# holds exactly the DLL, the sample rule file and the notes, and that its DLL is byte for
# byte the one the end-to-end tests load.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
zip_path=$("$root/scripts/package.sh" "$build" "$scratch")
listing=$(unzip -Z1 "$zip_path" | sort)
expected=$(printf 'Quillet/\nQuillet/INSTALL.txt\nQuillet/Quillet.def\nQuillet/Quillet.dll\n' | sort)
if [ "$listing" != "$expected" ]; then
    echo "unexpected package contents:"; echo "$listing"; exit 1
fi
unzip -q "$zip_path" -d "$scratch/unpacked"
cmp "$scratch/unpacked/Quillet/Quillet.dll" "$build/bin/Quillet.dll"
cmp "$scratch/unpacked/Quillet/Quillet.def" "$root/samples/Quillet.def"
head -c 2 "$scratch/unpacked/Quillet/Quillet.def" | xxd -p | grep -qx fffe
echo "package ok: $(basename "$zip_path") ($(sha256sum "$build/bin/Quillet.dll" | cut -c1-16))"
