# Sourced by every Wine wrapper: one private prefix per build tree, quiet Wine, fixed locale.
export WINEPREFIX="${WINE_TEST_PREFIX:-${TMPDIR:-/tmp}/quillet-wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine takes its system and user locale from LC_ALL: en-US (ANSI code page 1252) from
# C.UTF-8. QUILLET_WINE_LOCALE=ko_KR.UTF-8 gives a Korean Windows's (code page 949) to a test
# that needs it, even where that locale is not installed (only non-ASCII file names then fail).
export LC_ALL="${QUILLET_WINE_LOCALE:-C.UTF-8}"
unset LANG LANGUAGE
