// Any bytes as a journal, read as a stream: no crash, no more rows than lines, and a cut act
// never reads as whole. The same bytes with a journal's header before them take the acts path.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "journal/JournalReader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void ReadAndCheck(const std::string& bytes) {
    const JournalFile file = ReadJournal(bytes);
    size_t lines = 1;
    for (const char c : bytes) lines += c == '\n';
    size_t rows = 0;
    for (const JournalFile::Act& act : file.acts) {
        rows += act.rows.size() + (act.head.summaryKnown ? 1 : 0);
        if (act.head.summaryKnown && act.rows.size() != act.head.summary.rows) Check(act.cut);
    }
    Check(rows <= lines);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ReadAndCheck(bytes);
    ReadAndCheck("\xEF\xBB\xBF" + std::string(kJournalHeader) + "\r\n" + bytes);
    ReadAndCheck(std::string(kFirstJournalHeader) + "\n" + bytes);
    return 0;
}
