#!/usr/bin/env bash
# Sets the Wine prefix $WINE_TEST_PREFIX to a display DPI (Wine's LogPixels, 144 being 150 %
# scaling), then runs a Windows program there with QUILLET_TEST_DPI naming that DPI.
# usage: run-at-dpi.sh DPI WINE_RUN PROGRAM [ARGUMENT...]
set -euo pipefail
dpi=$1 wine_run=$2
shift 2
"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1 </dev/null
QUILLET_TEST_DPI=$dpi exec "$wine_run" "$@"
