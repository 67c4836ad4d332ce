#!/usr/bin/env bash
# Captures the module's dialogs under a private Xvfb, with the module of a Windows build tree, at
# 100 % display scaling (96 DPI, the tree's Wine prefix) and at 150 % (144 DPI, the prefix
# that the tree's DPI tests use):
#   docs/shots/hole-diameter.png       the rule list dialog on a few rules
#   docs/shots/master-setting.png      the rule editor with its default values
#   docs/shots/preview.png             the preview of a rewrite by those rules
#   docs/shots/hole-diameter-150.png   the same at 150 %
#   docs/shots/master-setting-150.png
#   docs/shots/preview-150.png
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
        xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$build"
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

# Both dialogs in the prefix given, set to the DPI given; the files' names end in `suffix`.
shoot() {
    local prefix=$1 dpi=$2 suffix=$3
    export WINE_TEST_PREFIX=$prefix
    "$build/wine-prefix.sh" setup
    "$build/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$dpi" /f >/dev/null 2>&1 </dev/null
    rm -f "$tmp"/*.ready "$tmp"/*.done
    "$build/wine-run.sh" "$build/bin/dialog_shots.exe" "Z:$tmp" "Z:$tmp/work" \
        >"$tmp/helper.log" 2>&1 </dev/null &
    helper_pid=$!
    capture list "Hole Diameter" "$shots/hole-diameter$suffix.png"
    capture editor "Master Setting" "$shots/master-setting$suffix.png"
    capture preview "미리 보기" "$shots/preview$suffix.png"
    if ! wait "$helper_pid"; then
        helper_pid=""
        echo "screenshots: the helper failed" >&2
        cat "$tmp/helper.log" >&2
        exit 1
    fi
    helper_pid=""
    "$build/wine-prefix.sh" shutdown
}

shoot "$build/wineprefix" 96 ""
shoot "$build/wineprefix-dpi" 144 "-150"
