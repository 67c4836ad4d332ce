#!/usr/bin/env bash
# Captures the rule dialogs under a private Xvfb, with the module and the Wine prefix of a
# Windows build tree:
#   docs/shots/hole-diameter.png   the rule list dialog on a few rules
#   docs/shots/master-setting.png  the rule editor with its default values
# Usage: scripts/screenshots.sh BUILD_DIR   (a tree configured with the MinGW toolchain)
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "$1" && pwd)

if [[ -z "${SHOTS_INSIDE_XVFB:-}" ]]; then
    cmake --build "$build" -j2 --target dialog_shots
    exec env SHOTS_INSIDE_XVFB=1 timeout 300 \
        xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$build"
fi

shots="$root/docs/shots"
mkdir -p "$shots"
tmp=$(mktemp -d)
helper_pid=""
cleanup() {
    [[ -n "$helper_pid" ]] && kill "$helper_pid" 2>/dev/null || true
    "$build/wine-prefix.sh" shutdown
    rm -rf "$tmp"
}
trap cleanup EXIT

"$build/wine-prefix.sh" setup

"$build/wine-run.sh" "$build/bin/dialog_shots.exe" "Z:$tmp" "Z:$tmp/work" \
    >"$tmp/helper.log" 2>&1 </dev/null &
helper_pid=$!

# Waits for the helper to show the dialog, captures its window and lets the helper go on.
capture() {
    local name=$1 caption=$2 out=$3 id=""
    for _ in $(seq 1 600); do
        [[ -f "$tmp/$name.ready" ]] && break
        sleep 0.05
    done
    [[ -f "$tmp/$name.ready" ]] || { echo "screenshots: $caption did not open" >&2; cat "$tmp/helper.log" >&2; exit 1; }
    id=$(xwininfo -root -tree | awk -v c="\"$caption\":" 'index($0, c) { print $1; exit }')
    [[ -n "$id" ]] || { echo "screenshots: no window \"$caption\"" >&2; exit 1; }
    sleep 0.5  # let the last paint reach the X server
    import -window "$id" "$out"
    touch "$tmp/$name.done"
    echo "screenshots: $out"
}

capture list "Hole Diameter" "$shots/hole-diameter.png"
capture editor "Master Setting" "$shots/master-setting.png"

if ! wait "$helper_pid"; then
    helper_pid=""
    echo "screenshots: the helper failed" >&2
    cat "$tmp/helper.log" >&2
    exit 1
fi
helper_pid=""
