# Sourced by every Wine wrapper: one private prefix per build tree, quiet Wine, fixed locale.
export WINEPREFIX="${WINE_TEST_PREFIX:-${TMPDIR:-/tmp}/quillet-wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
unset LANG LANGUAGE
