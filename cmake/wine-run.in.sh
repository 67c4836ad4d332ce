#!/usr/bin/env bash
# Runs a Windows program of this build tree under Wine, in the tree's own prefix, which it
# prepares first if that was never done (fonts with Hangul, test settings). Without a
# display it starts a private Xvfb first, which nobody sees: QUILLET_HIDDEN_DISPLAY tells
# the program so (kephost then refuses to open a dialog that would wait forever).
export WINE_TEST_PREFIX="${WINE_TEST_PREFIX:-@WINE_TEST_PREFIX@}"
. "@CMAKE_SOURCE_DIR@/cmake/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
    # Never mix display and display-less clients on one server.
    wineserver -w
    export QUILLET_HIDDEN_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
if [ ! -f "$WINEPREFIX/.prepared" ]; then
    "@CMAKE_SOURCE_DIR@/cmake/wine-prefix.sh" prepare
fi
exec wine "$@"
