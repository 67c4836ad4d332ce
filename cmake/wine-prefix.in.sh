#!/usr/bin/env bash
export WINE_TEST_PREFIX="${WINE_TEST_PREFIX:-@WINE_TEST_PREFIX@}"
exec "@CMAKE_SOURCE_DIR@/cmake/wine-prefix.sh" "$@"
