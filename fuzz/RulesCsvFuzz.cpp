// Any bytes as a rules CSV: no crash, and a CSV that imports exports back to the same rows.
// The same bytes as a rule file: the file the module writes for its table comes back byte
// for byte from export and import.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

#include "platform/LegacyCodePage.h"
#include "rules/RuleFileFormat.h"
#include "workbench/RuleFileLines.h"
#include "workbench/RulesCsv.h"

namespace {

const LegacyTextDecoder kLegacy = SystemCodePageDecoder();

std::span<const unsigned char> Bytes(const std::string& s) {
    return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

void Check(bool condition) {
    if (!condition) std::abort();
}

bool SameRows(const RuleTable& a, const RuleTable& b) {
    if (a.count() != b.count()) return false;
    for (int32_t n = 1; n <= a.count(); ++n) {
        if (!(a.rule(n) == b.rule(n))) return false;
    }
    return true;
}

// The rule file written for `table`, exported and imported again; returns the exported rows.
RuleTable CheckFileRoundTrip(const RuleTable& table) {
    const std::string file = EncodeRuleFile(table);
    const RuleFileView view = ViewRuleFile(Bytes(file), kLegacy, kDefaultLegacyCodePage);
    const CsvRules imported = RulesFromCsv(RulesToCsv(view.asWritten));
    Check(imported.problems.empty());
    Check(SameRows(imported.table, view.asWritten));
    Check(EncodeRuleFile(imported.table) == file);
    return view.asWritten;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const CsvRules imported = RulesFromCsv(input);
    Check(imported.table.count() <= RuleTable::kCapacity);
    if (imported.problems.empty())
        Check(SameRows(CheckFileRoundTrip(imported.table), imported.table));
    CheckFileRoundTrip(ViewRuleFile({data, size}, kLegacy, kDefaultLegacyCodePage).table);
    return 0;
}
