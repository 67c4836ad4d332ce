#!/usr/bin/env bash
# Draws the README's pictures of the rule workbench with a native build's quillet-rules and
# renders them to PNG (ImageMagick's convert, which hands SVG to rsvg-convert):
#   docs/shots/rule-map.png     map samples/Quillet.def --svg
#   docs/shots/rule-diff.png    diff samples/Quillet.def docs/Quillet-changed.def --svg
#   docs/shots/rule-map-30.png  map samples/shop-30-rules.def --svg
# Each rule file is drawn with the time of its last commit, so the pictures change only when
# the rules or the drawing do.
# Usage: scripts/map-pictures.sh BUILD_DIR   (a native build tree, e.g. build/native)
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "$1" && pwd)
cmake --build "$build" -j2 --target quillet-rules

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for file in samples/Quillet.def docs/Quillet-changed.def samples/shop-30-rules.def; do
    cp "$root/$file" "$work/"
    committed=$(git -C "$root" log -1 --format=%cI -- "$file" || true)
    if [[ -n "$committed" ]]; then
        touch -d "$committed" "$work/$(basename "$file")"
    fi
done

cd "$work"
"$build/bin/quillet-rules" map Quillet.def --svg rule-map.svg >/dev/null
"$build/bin/quillet-rules" map shop-30-rules.def --svg rule-map-30.svg >/dev/null
status=0
"$build/bin/quillet-rules" diff Quillet.def Quillet-changed.def --svg rule-diff.svg >/dev/null ||
    status=$?
if [[ $status -ne 1 ]]; then
    echo "$0: diff exited with $status; the two sample tables should differ (1)" >&2
    exit 1
fi
mkdir -p "$root/docs/shots"
for picture in rule-map rule-diff rule-map-30; do
    convert "$picture.svg" "$root/docs/shots/$picture.png"
    echo "docs/shots/$picture.png"
done
