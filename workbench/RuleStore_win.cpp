// The rule file writer on Windows is the module's own, with its backup.
#include <windows.h>

#include <string>

#include "rules/RuleFile.h"
#include "rules/TextEncoding.h"
#include "workbench/RuleStore.h"

namespace {

std::string Utf8(std::wstring_view text) {
    return Utf8FromUtf16(std::u16string(text.begin(), text.end()), SurrogateForm::Replaced);
}

// The system's own words for the error, without the line break it ends with.
std::string ErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    return Utf8(text);
}

}  // namespace

StoreOutcome StoreRuleFile(const std::filesystem::path& path, const RuleTable& table) {
    const DWORD before = GetFileAttributesW(path.c_str());
    const bool existed =
        before != INVALID_FILE_ATTRIBUTES && (before & FILE_ATTRIBUTE_DIRECTORY) == 0;
    const RuleFileSaveResult result = SaveRuleFileTo(path.wstring(), table);
    if (!result.succeeded()) {
        return {false, false,
                "파일을 저장할 수 없습니다: " + Utf8(path.wstring()) + " (" +
                    ErrorText(result.error) + ", 오류 코드 " + std::to_string(result.error) + ")"};
    }
    return {true, existed, {}};
}
