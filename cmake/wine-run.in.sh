#!/usr/bin/env bash
# Runs a Windows program of this build tree under Wine, in the tree's own prefix; without a
# display it starts a private Xvfb first.
export WINE_TEST_PREFIX="${WINE_TEST_PREFIX:-@WINE_TEST_PREFIX@}"
. "@CMAKE_SOURCE_DIR@/cmake/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
    # Never mix display and display-less clients on one server.
    wineserver -w
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
exec wine "$@"
