#!/usr/bin/env bash
# Takes the sample rule table through a spreadsheet and back, as a shop does: quillet-rules
# exports it (UTF-8 CSV with the mark), LibreOffice Calc opens that CSV headless and saves it
# as CSV again (UTF-8, commas, quotes as needed), quillet-rules imports the result, and the
# rule file is compared with the sample: byte for byte, rule texts, and what the rules do
# (quillet-rules diff). Calc opens the CSV twice: as a double-click does (Calc decides which
# cells are numbers) and with every column as text.
# Not part of `make test`. When soffice is missing it installs LibreOffice Calc (as root:
# apt-get install -y --no-install-recommends libreoffice-calc-nogui).
# Usage: scripts/libreoffice-roundtrip.sh BUILD_DIR   (a native build tree, e.g. build/native)
# Exit status: 0 the rules act alike after every pass, 1 they do not, 2 the run failed.
set -euo pipefail

if [[ $# -ne 1 ]]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "$1" && pwd)
cmake --build "$build" -j2 --target quillet-rules >/dev/null
rules_tool=$build/bin/quillet-rules

if ! command -v soffice >/dev/null; then
    if [[ $(id -u) -ne 0 ]]; then
        echo "$0: LibreOffice Calc is missing; install it with" >&2
        echo "  sudo apt-get install -y --no-install-recommends libreoffice-calc-nogui" >&2
        exit 2
    fi
    echo "Installing LibreOffice Calc (libreoffice-calc-nogui) ..."
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        libreoffice-calc-nogui >/dev/null
fi
soffice --version | head -n 1

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
cp "$root/samples/Quillet.def" sample.def
"$rules_tool" export sample.def -o exported.csv >/dev/null
"$rules_tool" export sample.def >sample.csv
printf 'exported: %s rules, %s bytes, starts with the UTF-8 mark: %s\n' \
    "$(($(wc -l <sample.csv) - 1))" "$(wc -c <exported.csv)" \
    "$([[ $(head -c 3 exported.csv | od -An -tx1 | tr -d ' ') == efbbbf ]] && echo yes || echo no)"

# CSV filter options: fields separated by 44 (,), texts in 34 ("), character set 76 (UTF-8),
# from line 1; then the column formats (2 = text) where they are given. Calc writes its CSV
# with the same separator, quotes and character set.
columns_as_text=1/2/2/2/3/2/4/2/5/2/6/2
status=0
for pass in default text; do
    infilter="CSV:44,34,76,1"
    [[ $pass == text ]] && infilter+=",$columns_as_text"
    mkdir -p "$pass"
    soffice -env:UserInstallation="file://$work/profile" --headless \
        --infilter="$infilter" --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1' \
        --outdir "$pass" exported.csv >/dev/null 2>&1
    saved=$pass/exported.csv
    if [[ ! -s $saved ]]; then
        echo "$0: LibreOffice wrote no CSV in the $pass pass" >&2
        exit 2
    fi
    echo
    echo "== Calc, $([[ $pass == text ]] && echo 'every column as text' || echo 'as a double-click opens it')"
    import_status=0
    "$rules_tool" import "$saved" -o "$pass.def" --force || import_status=$?
    echo "import exit status: $import_status"
    if [[ $import_status -gt 1 ]]; then
        status=1
        continue
    fi
    if cmp -s sample.def "$pass.def"; then
        echo "rule file: the same bytes as the sample"
    else
        echo "rule file: other bytes than the sample; rule texts that changed:"
        "$rules_tool" export "$pass.def" >"$pass.csv"
        diff -u --label sample --label "after Calc" sample.csv "$pass.csv" | sed -n '3,$p' |
            grep '^[-+]' || true
    fi
    diff_status=0
    "$rules_tool" diff sample.def "$pass.def" >"$pass.diff" || diff_status=$?
    if [[ $diff_status -eq 0 ]]; then
        echo "effect: the same on every code and diameter (diff exit 0)"
    else
        echo "effect: differs (diff exit $diff_status):"
        cat "$pass.diff"
        status=1
    fi
done
exit "$status"
