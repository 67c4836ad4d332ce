#!/usr/bin/env bash
# Runs a Windows program of this build tree under Wine, in the tree's own prefix, which it
# prepares first if that was never done (fonts with Hangul, test settings). Without a
# display it starts a private Xvfb first, which nobody sees: QUILLET_HIDDEN_DISPLAY tells
# the program so (kephost then refuses to open a dialog that would wait forever).
# Everything is found from where this script stands, so the build tree may be moved.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINE_TEST_PREFIX="${WINE_TEST_PREFIX:-$here/wineprefix}"
. "$here/wine/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
    # Never mix display and display-less clients on one server.
    wineserver -w
    export QUILLET_HIDDEN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$here/wine-run.sh" "$@"
fi
if [ ! -f "$WINEPREFIX/.prepared" ]; then
    "$here/wine/wine-prefix.sh" prepare
fi
exec wine "$@"
