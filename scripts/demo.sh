#!/usr/bin/env bash
# Runs the hole command of the built Quillet.dll on the sample plate under Wine: starts the
# command, selects every element, sends event 0 (rewrite the selected holes) with the preview
# on and applies it, then undoes that rewrite from the rule list, and prints the preview's
# rows, the host messages and message boxes, and the holes' diameters before and after.
#   usage: scripts/demo.sh BUILD_DIR        (a Windows build tree, e.g. build/windows)
set -euo pipefail

build=${1:?usage: $0 BUILD_DIR}
build=$(cd "$build" && pwd)
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

for f in "$build/bin/kephost.exe" "$build/bin/Quillet.dll" "$build/bin/KepLib.dll" \
         "$build/wine-run.sh" "$build/wine-prefix.sh"; do
    [[ -e "$f" ]] || { echo "demo: $f is missing; build the windows preset first" >&2; exit 1; }
done

# One X display for the prefix's server and the run: without one, start a private Xvfb.
if [[ -z "${DISPLAY:-}" ]]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

work=$(mktemp -d)
cleanup() {
    "$build/wine-prefix.sh" shutdown || true
    rm -rf "$work"
}
trap cleanup EXIT

echo "demo: preparing the Wine prefix (the first time takes about half a minute)"
timeout 300 "$build/wine-prefix.sh" setup

echo "demo: kephost.exe --drawing samples/plate.drawing --rules samples/Quillet.def --select all --preview apply --event 0 --undo yes"
echo
timeout 120 "$build/wine-run.sh" "$build/bin/kephost.exe" \
    --drawing "Z:$root/samples/plate.drawing" \
    --rules "Z:$root/samples/Quillet.def" \
    --workdir "Z:$work" \
    --select all \
    --preview apply \
    --event 0 \
    --undo yes
