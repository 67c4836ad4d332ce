#!/usr/bin/env bash
# Runs a Windows program in the Wine prefix $WINE_TEST_PREFIX set to a display DPI (Wine's
# LogPixels; 144 is 150 % scaling), with QUILLET_TEST_DPI naming that DPI. The run has an
# Xvfb of its own and stops the prefix's server afterwards, so that it shares neither the
# display nor a Wine server with the other tests. The prefix is made on first use.
# usage: run-at-dpi.sh DPI WINE_RUN PROGRAM [ARGUMENT...]
set -uo pipefail
if [[ -z "${RUN_AT_DPI_INSIDE_XVFB:-}" ]]; then
    exec env RUN_AT_DPI_INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$@"
fi
dpi=$1 wine_run=$2
shift 2
"$wine_run" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
    >/dev/null 2>&1 </dev/null
QUILLET_TEST_DPI=$dpi "$wine_run" "$@"
status=$?
"$(dirname "$wine_run")/wine-prefix.sh" shutdown
exit $status
