#!/usr/bin/env bash
# The prefix commands of wine/wine-prefix.sh for this build tree's own prefix.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
export WINE_TEST_PREFIX="${WINE_TEST_PREFIX:-$here/wineprefix}"
exec "$here/wine/wine-prefix.sh" "$@"
