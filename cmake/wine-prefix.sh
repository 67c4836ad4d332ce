#!/usr/bin/env bash
# prepare: creates the prefix if needed, installs fonts with Hangul and the test settings,
#          and marks it prepared (wine-run.sh does this on its first run in a new prefix).
# setup: stops a server left by an earlier run, prepares the prefix, and starts a
#        persistent server with its services detached from our stdio.
# shutdown: stops this prefix's server and waits until it is gone.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"

prepare() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-prefix: creating the Wine prefix $WINEPREFIX (about half a minute)" >&2
        wineboot -i >/dev/null 2>&1 </dev/null
        wineserver -w
    fi
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wine reg import "Z:$here/wine-test.reg" >/dev/null 2>&1 </dev/null
    touch "$WINEPREFIX/.prepared"
}

case "${1:-}" in
prepare)
    prepare
    ;;
setup)
    # A persistent server left by an earlier run would keep `wineserver -w` waiting forever.
    wineserver -k >/dev/null 2>&1
    wineserver -w
    prepare
    wineserver -w
    if [ -n "${DISPLAY:-}" ]; then
        wineserver -p >/dev/null 2>&1 </dev/null
        wine cmd /c exit </dev/null >/dev/null 2>&1
    fi
    ;;
shutdown)
    wineserver -k >/dev/null 2>&1
    wineserver -w
    ;;
*)
    echo "usage: $0 prepare|setup|shutdown" >&2
    exit 2
    ;;
esac
exit 0
