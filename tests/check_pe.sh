#!/usr/bin/env bash
# Checks the built plug-in's PE tables: it exports exactly Startup, it imports only system
# DLLs and KepLib.dll (so it needs no MinGW runtime DLL beside it), and every function it
# takes from KepLib.dll is one the host library declares.
#
# usage: check_pe.sh <objdump> <Quillet.dll> <KepLib.def>
set -euo pipefail
objdump=$1 dll=$2 def=$3

allowed_dlls="kernel32.dll user32.dll gdi32.dll advapi32.dll comctl32.dll shell32.dll ole32.dll msvcrt.dll keplib.dll"

tables=$("$objdump" -p "$dll")
failed=0
fail() { echo "check_pe: $*" >&2; failed=1; }

exports=$(awk '/^\[Ordinal\/Name Pointer\] Table/ {on=1; next} on && /^[[:space:]]*$/ {on=0}
               on && /\[ *[0-9]+\]/ {print $NF}' <<<"$tables")
[[ "$exports" == "Startup" ]] || fail "exports must be exactly Startup, found: ${exports:-nothing}"

imported_dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$tables")
[[ -n "$imported_dlls" ]] || fail "no import table found"
for name in $imported_dlls; do
    [[ " $allowed_dlls " == *" $name "* ]] || fail "imports a DLL outside the allow-list: $name"
done
grep -qx keplib.dll <<<"$imported_dlls" || fail "does not import KepLib.dll"

keplib_functions=$(awk '/DLL Name:/ {on = (tolower($3) == "keplib.dll"); next}
                        on && /^[[:space:]]*$/ {on=0}
                        on && /^[[:space:]]*[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+[A-Za-z_]/ {print $3}' <<<"$tables")
declared=$(awk '/^[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*$/ {print $1}' "$def")
for fn in $keplib_functions; do
    grep -qx "$fn" <<<"$declared" || fail "imports $fn, which KepLib.dll does not declare"
done

if ((failed)); then
    echo "--- exports: $exports" >&2
    echo "--- imported DLLs: $(echo $imported_dlls)" >&2
    exit 1
fi
echo "check_pe: exports Startup only; imports $(echo $imported_dlls)"
