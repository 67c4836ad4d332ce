#!/usr/bin/env bash
# Opens the rule list dialog ("Hole Diameter") of the built Quillet.dll on your desktop, with
# the sample plate loaded and all of its holes selected. Edit the rules, confirm with "확인",
# and the rewrite that follows (event 0) runs with them; the holes' diameters before and
# after are printed. The rules live on in BUILD_DIR/edit-rules/Quillet.def, so the next run
# starts from your edits.
#   usage: scripts/edit-rules.sh BUILD_DIR [--reset]
#   --reset  start again from samples/Quillet.def
set -euo pipefail

usage="usage: $0 BUILD_DIR [--reset]"
build=${1:?$usage}
build=$(cd "$build" && pwd)
reset=${2:-}
[[ -z "$reset" || "$reset" == --reset ]] || { echo "$usage" >&2; exit 2; }
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

for f in "$build/bin/kephost.exe" "$build/bin/Quillet.dll" "$build/bin/KepLib.dll" \
         "$build/wine-run.sh" "$build/wine-prefix.sh"; do
    [[ -e "$f" ]] || { echo "edit-rules: $f is missing; build the windows preset first" >&2; exit 1; }
done
if [[ -z "${DISPLAY:-}" ]]; then
    echo "edit-rules: no desktop (DISPLAY is not set); this script is for a person at one" >&2
    exit 1
fi

work="$build/edit-rules"
mkdir -p "$work"
if [[ -n "$reset" || ! -f "$work/Quillet.def" ]]; then
    cp "$root/samples/Quillet.def" "$work/Quillet.def"
    echo "edit-rules: starting from samples/Quillet.def"
fi

trap '"$build/wine-prefix.sh" shutdown || true' EXIT
echo "edit-rules: preparing the Wine prefix (the first time takes about half a minute)"
timeout 300 "$build/wine-prefix.sh" setup

echo "edit-rules: the dialog opens now; the rewrite runs when it is closed"
echo
status=0
"$build/wine-run.sh" "$build/bin/kephost.exe" \
    --drawing "Z:$root/samples/plate.drawing" \
    --rules "Z:$work/Quillet.def" \
    --select all \
    --event 7 \
    --event 0 || status=$?
echo
((status == 0)) || echo "edit-rules: kephost ended with status $status (see its messages above)"
echo "edit-rules: rules kept in $work/Quillet.def (confirmed edits only);"
echo "edit-rules: run again to go on from them, or with --reset to start from the sample"
