// Any bytes as a rule file: no crash, at most 49 rules, and the table saves and reloads to
// the same rules (a CR kept inside one of the first fields is saved as a space, which the
// second save then keeps: saving is idempotent).
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "rules/RuleFileFormat.h"

namespace {

std::span<const unsigned char> Bytes(const std::string& s) {
    return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

RuleText SavedForm(const RuleText& text) {
    RuleText out = text;
    for (char16_t& c : out) {
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
    }
    return out;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RuleTable table;
    const auto result = DecodeRuleFile({data, size}, table);
    Check(table.count() >= 0 && table.count() <= RuleTable::kCapacity);
    Check(result.acceptedLines - result.ignoredLines == table.count());

    const std::string saved = EncodeRuleFile(table);
    RuleTable reloaded;
    DecodeRuleFile(Bytes(saved), reloaded);
    Check(reloaded.count() == table.count());
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& a = table.rule(n);
        const HoleRule& b = reloaded.rule(n);
        Check(a.isDisplay == b.isDisplay);
        Check(SavedForm(a.CodeFrom) == b.CodeFrom && SavedForm(a.CodeTo) == b.CodeTo);
        Check(SavedForm(a.DiameterFrom) == b.DiameterFrom);
        Check(SavedForm(a.DiameterTo) == b.DiameterTo);
        Check(a.DiameterModify == b.DiameterModify);
    }
    Check(EncodeRuleFile(reloaded) == saved);
    return 0;
}
