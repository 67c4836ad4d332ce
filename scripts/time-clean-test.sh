#!/usr/bin/env bash
# Times `make test` as a new developer meets it: the current commit (HEAD; changes not yet
# committed are left out) cloned into a temporary folder, nothing built, then `make test`
# there. Prints the wall time, the CPU time (user and system) and the machine's nproc on one
# line, the same way every time. CPU time counts every process make waited for; the machine's
# load average at the start says whether other work shared the cores.
#   scripts/time-clean-test.sh
set -euo pipefail

source_repo=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
commit=$(git -C "$source_repo" rev-parse HEAD)
work=$(mktemp -d "${TMPDIR:-/tmp}/quillet-clean-test.XXXXXX")
trap 'rm -rf "$work"' EXIT

git clone --quiet --no-checkout "$source_repo" "$work/clone"
git -C "$work/clone" checkout --quiet --detach "$commit"

load=$(cut -d ' ' -f 1-3 /proc/loadavg)
TIMEFORMAT='%R %U %S'
exec 3>&2
set +e
# make's own output goes on to the terminal (fd 3 is this script's stderr); bash's times go
# to the file.
{ time make -C "$work/clone" --no-print-directory test 2>&3 3>&-; } 2>"$work/times"
status=$?
set -e
read -r wall user system <"$work/times"

outcome="passed"
((status == 0)) || outcome="FAILED (exit code $status)"
printf 'make test on a clean clone of %s: %s\n' "${commit:0:12}" "$outcome"
awk -v wall="$wall" -v user="$user" -v sys="$system" -v nproc="$(nproc)" -v load="$load" \
    'BEGIN { printf "  wall %.0f s, CPU %.0f s (user %.0f s, system %.0f s), nproc %s, load at start %s\n",
                    wall, user + sys, user, sys, nproc, load }'
exit "$status"
