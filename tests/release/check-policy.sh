#!/usr/bin/env bash
# check-policy.sh SOURCE_DIR: the policy template (release/policy) against the module.
# - Quillet.admx and both language files are well-formed XML;
# - the template sets exactly the module's machine settings (tests/release/machine-settings.sh
#   reads their names and types from the module's header), each as a computer policy under
#   the module's policy key (which a removed policy empties, unlike the module's own key), in
#   the settings' types, a switch as the texts "1" and "0";
# - every text and presentation the template names is in en-US and ko-KR alike, each
#   presentation's boxes name elements of its policy, and the two languages hold the same ids.
set -euo pipefail
source_dir=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
. "$here/machine-settings.sh"
policy="$source_dir/release/policy"
admx="$policy/Quillet.admx"
languages=(en-US ko-KR)
failed=0
fail() { echo "check-policy: $*" >&2; failed=1; }

for file in "$admx" "${languages[@]/#/$policy/}"; do
    [[ "$file" == *.admx ]] || file="$file/Quillet.adml"
    xmllint --noout "$file" || fail "$file is not well-formed"
done
((failed == 0)) || exit 1

key=$(policy_key "$source_dir")
expected=$(machine_settings "$source_dir" | while read -r name type; do
    values="- -"
    [[ "$name" == PreviewBeforeRewrite ]] && values="1 0"
    echo "Machine $key $name $type $values"
done | sort)
actual=$(xsltproc "$here/policy-values.xsl" "$admx" | sort)
[[ "$actual" == "$expected" ]] ||
    fail "the template's values differ from the module's settings:"$'\n'"$(diff <(echo "$expected") <(echo "$actual"))"

ids_in() { xmllint --xpath "//*[local-name()='$2']/@id" "$1" 2>/dev/null | grep -o 'id="[^"]*"' | cut -d'"' -f2 | sort; }
referenced() { grep -o "\$($1\.[A-Za-z0-9_]*)" "$admx" | sed "s/^\$($1\.//; s/)\$//" | sort -u; }
element_ids=$(xmllint --xpath "//*[local-name()='elements']/*/@id" "$admx" | grep -o 'id="[^"]*"' | cut -d'"' -f2 | sort)
first=""
for language in "${languages[@]}"; do
    adml="$policy/$language/Quillet.adml"
    strings=$(ids_in "$adml" string)
    presentations=$(ids_in "$adml" presentation)
    missing=$(comm -23 <(referenced string) <(echo "$strings"); comm -23 <(referenced presentation) <(echo "$presentations"))
    [[ -z "$missing" ]] || fail "$language lacks: $missing"
    boxes=$(xmllint --xpath "//*[local-name()='presentation']/*/@refId" "$adml" | grep -o 'refId="[^"]*"' | cut -d'"' -f2 | sort)
    unknown=$(comm -23 <(echo "$boxes") <(echo "$element_ids"))
    [[ -z "$unknown" ]] || fail "$language presents elements the template lacks: $unknown"
    ids="$strings"$'\n'"$presentations"
    if [[ -z "$first" ]]; then
        first="$ids"
    elif [[ "$ids" != "$first" ]]; then
        fail "$language and ${languages[0]} hold other ids:"$'\n'"$(diff <(echo "$first") <(echo "$ids"))"
    fi
done

((failed == 0)) || exit 1
echo "policy ok: $(wc -l <<<"$expected") settings under HKLM\\$key in ${languages[*]}"
