// Any bytes as a rule file, read as they are and behind each byte-order mark: no crash, at
// most 49 rules, and the table saves and reloads to the same rules (a CR kept inside one of
// the first fields is saved as a space, which the second save then keeps: saving is
// idempotent); the saved file holds nothing a later save would have to keep apart. The same
// code units read the same as UTF-16BE as as UTF-16LE.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/LegacyCodePage.h"
#include "rules/RuleFileFormat.h"
#include "rules/RuleStore.h"

namespace {

// Bytes without a mark that are neither UTF-16 nor UTF-8 go through iconv's code page 949.
const LegacyTextDecoder kLegacy = SystemCodePageDecoder();

std::span<const unsigned char> Bytes(const std::string& s) {
    return {reinterpret_cast<const unsigned char*>(s.data()), s.size()};
}

RuleText SavedForm(std::u16string_view text) {
    RuleText out(text);
    for (char16_t& c : out) {
        if (c <= u'\r' && (c == u'\r' || c == u'\n' || c == u'\t')) c = u' ';
    }
    return out;
}

// Equality of texts by their bytes: the same answer as ==, whose unit-by-unit loop is slow
// when every comparison is traced.
bool Same(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
}

// Whether a text reads back as its saved form; a text that holds no separator is its saved
// form, so the copy is made only when the texts differ.
bool ReadsBackAsSaved(std::u16string_view original, std::u16string_view reread) {
    return Same(original, reread) || Same(SavedForm(original), reread);
}

void Check(bool condition) {
    if (!condition) std::abort();
}

// Each text is decoded once and read by the module's reader. The tables are the caller's, so
// that the reads of one input reuse their memory.
void CheckSavesAndReloads(const RuleFileText& decoded, RuleTable& table, RuleTable& reloaded) {
    const auto result = ReadRuleFileText(decoded, table);
    Check(table.count() >= 0 && table.count() <= RuleTable::kCapacity);
    Check(result.acceptedLines - result.ignoredLines == table.count());

    const std::string saved = EncodeRuleFile(table);
    // What the module writes, a save carries whole: no kept copy for it.
    Check(!HoldsLinesNotCarried(Bytes(saved)));
    Check(DecodeRuleFile(Bytes(saved), reloaded, kLegacy).encoding ==
          RuleFileEncoding::Utf16LeWithMark);
    Check(reloaded.count() == table.count());
    for (int32_t n = 1; n <= table.count(); ++n) {
        const HoleRule& a = table.rule(n);
        const HoleRule& b = reloaded.rule(n);
        Check(a.enabled == b.enabled);
        Check(ReadsBackAsSaved(a.CodeFrom, b.CodeFrom) && ReadsBackAsSaved(a.CodeTo, b.CodeTo));
        Check(ReadsBackAsSaved(a.DiameterFrom, b.DiameterFrom));
        Check(ReadsBackAsSaved(a.DiameterTo, b.DiameterTo));
        Check(Same(a.DiameterModify, b.DiameterModify));
    }
    Check(EncodeRuleFile(reloaded) == saved);
}

std::string WithMark(std::string_view mark, const uint8_t* data, size_t size) {
    std::string bytes;
    bytes.reserve(mark.size() + size);
    bytes.append(mark).append(reinterpret_cast<const char*>(data), size);
    return bytes;
}

// The bytes of each pair swapped, after the mark.
std::string Utf16BeTwin(const std::string& utf16LeWithMark) {
    std::string twin = utf16LeWithMark;
    twin[0] = '\xFE';
    twin[1] = '\xFF';
    char* const end = twin.data() + twin.size();
    for (char* pair = twin.data() + 2; pair < end - 1; pair += 2) std::swap(pair[0], pair[1]);
    return twin;
}

}  // namespace

// The checks of a text depend on the text alone: one that an earlier reading of the same
// input gave already is not checked again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using enum RuleFileEncoding;
    RuleTable table;
    RuleTable reloaded;
    const RuleFileText asGiven = DecodeRuleFileText({data, size}, kLegacy);
    CheckSavesAndReloads(asGiven, table, reloaded);

    const std::string utf8 = WithMark("\xEF\xBB\xBF", data, size);
    const RuleFileText utf8Text = DecodeRuleFileText(Bytes(utf8), kLegacy);
    Check(utf8Text.encoding == Utf8WithMark);
    if (!Same(utf8Text.text, asGiven.text)) CheckSavesAndReloads(utf8Text, table, reloaded);

    const std::string utf16Le = WithMark("\xFF\xFE", data, size);
    const std::string utf16Be = Utf16BeTwin(utf16Le);
    const RuleFileText le = DecodeRuleFileText(Bytes(utf16Le), kLegacy);
    const RuleFileText be = DecodeRuleFileText(Bytes(utf16Be), kLegacy);
    Check(le.encoding == Utf16LeWithMark && be.encoding == Utf16BeWithMark);
    Check(Same(le.text, be.text));
    if (!Same(be.text, asGiven.text) && !Same(be.text, utf8Text.text)) {
        CheckSavesAndReloads(be, table, reloaded);
    }
    return 0;
}
