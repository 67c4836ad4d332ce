#!/usr/bin/env bash
# setup: creates the test prefix once, installs fonts with Hangul and the test settings,
#        and starts a persistent server with its services detached from our stdio.
# shutdown: stops this prefix's server and waits until it is gone.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"
case "${1:-}" in
setup)
    # A persistent server left by an earlier run would keep `wineserver -w` waiting forever.
    wineserver -k >/dev/null 2>&1
    wineserver -w
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1 </dev/null
        wineserver -w
    fi
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wine reg import "Z:$here/wine-test.reg" >/dev/null 2>&1 </dev/null
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
    echo "usage: $0 setup|shutdown" >&2
    exit 2
    ;;
esac
exit 0
