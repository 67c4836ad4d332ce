#!/usr/bin/env bash
# prepare: creates the prefix if needed, installs fonts with Hangul and the test settings,
#          and marks it prepared (wine-run.sh does this on its first run in a new prefix).
# setup: stops a server left by an earlier run, prepares the prefix, and starts a
#        persistent server with its services detached from our stdio.
# shutdown: stops this prefix's server and waits until it is gone.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here/wine-env.sh"

# Wine leaves a window with a caption to the window manager and, when it hides one, waits up
# to 2 s for the manager to withdraw it, not handling the thread's messages meanwhile. A bare
# Xvfb has no manager, so every dialog close would take those 2 s: there (and without a
# display, when the wrapper starts its own Xvfb) Wine manages its windows itself.
window_manager_runs() {
    [ -n "${DISPLAY:-}" ] && xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

import_test_settings() {
    local settings managed=N
    window_manager_runs && managed=Y
    settings=$(mktemp --suffix=.reg)
    {
        cat "$here/wine-test.reg"
        printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="%s"\n' "$managed"
    } >"$settings"
    wine reg import "Z:$settings" >/dev/null 2>&1 </dev/null
    rm -f "$settings"
}

prepare() {
    # Programs started at once in a new build tree (ctest -j2 without the fixture, scripts)
    # would otherwise create the prefix twice over each other.
    mkdir -p "$(dirname "$WINEPREFIX")"
    exec 9>"$WINEPREFIX.lock"
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine-prefix: creating the Wine prefix $WINEPREFIX (about half a minute)" >&2
        wineboot -i >/dev/null 2>&1 </dev/null
        wineserver -w
    fi
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    import_test_settings
    touch "$WINEPREFIX/.prepared"
    exec 9>&-
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
