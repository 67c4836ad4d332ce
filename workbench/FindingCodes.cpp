#include "workbench/FindingCodes.h"

#include <array>

#include "rules/CompiledRules.h"
#include "texts/TextFormat.h"

namespace {

// Two meanings give the limits of a new diameter that the rewrite puts in force, filled in
// from the constants it checks them by.
const std::array kCodes = {
    FindingCode{"skipped-line", Severity::Error,
                "TAB이 있지만 필드가 6개가 아니라 모듈이 적용하지 않는 줄. 다음 저장 때 "
                "Quillet.def에서 빠지고 보관 사본 Quillet.def.<날짜-시각>.bak에만 남습니다."},
    FindingCode{"beyond-49", Severity::Error,
                "49번째 규칙 뒤의 규칙 줄. 모듈이 적용하지 않고, 다음 저장 때 보관 사본에만 "
                "남습니다."},
    FindingCode{"partial-number", Severity::Error,
                "숫자 뒤에 다른 글자가 있는 값. 범위는 앞부분만 읽고 (\"8,5\"는 8), "
                "구멍경(수정)이면 (\"8.5 9\", \"8 .5\") 그 규칙은 적용되지 않습니다."},
    FindingCode{"no-number", Severity::Error, "숫자가 없어 0으로 읽는 값."},
    FindingCode{"not-finite", Severity::Error,
                "무한대로 읽는 지름 (\"1e309\"처럼 binary64를 넘는 수)."},
    FindingCode{"not-in-force", Severity::Error,
                FormatUtf8(u"구멍경(수정)이 {}부터 {}까지의 숫자 하나가 아니라 (빈 칸, \"8.5 9\", "
                           u"0, 음수, \"1e-320\", \"1e309\") 모듈이 적용하지 않는 규칙.",
                           kSmallestNewDiameter, kLargestNewDiameter)},
    FindingCode{"implausible-diameter", Severity::Error,
                FormatUtf8(u"{}부터 {}까지를 벗어나 구멍 지름일 수 없는 구멍경(수정) (0, 음수, "
                           u"\"1e-320\", \"1e300\"). 그 규칙은 적용되지 않습니다.",
                           kSmallestNewDiameter, kLargestNewDiameter)},
    FindingCode{"reversed-range", Severity::Error,
                "From이 To보다 커서 어떤 구멍에도 맞지 않는 범위."},
    FindingCode{"code-overflow", Severity::Warning,
                "32비트를 넘는 가공코드. 2147483647 또는 -2147483648로 읽습니다."},
    FindingCode{"never-applies", Severity::Warning,
                "앞 규칙들이 맞는 값을 모두 바꾸어 한 번도 적용되지 않는 규칙."},
    FindingCode{"chained", Severity::Warning,
                "앞 규칙이 쓴 지름이 이 규칙의 범위에 들어 한 번 더 바뀌는 규칙."},
    FindingCode{"duplicate", Severity::Warning, "앞 규칙과 모듈이 읽는 숫자가 모두 같은 규칙."},
    FindingCode{"not-utf16", Severity::Info,
                "UTF-16LE(BOM)가 아닌 파일. 모듈은 읽고, 처음 저장할 때 UTF-16LE(BOM)로 "
                "바꿉니다."},
    FindingCode{"legacy-code-page", Severity::Info,
                "바이트 순서 표시 없이 UTF-16도 UTF-8도 아닌 파일(ANSI). 모듈은 시스템 코드 "
                "페이지로 읽고, 처음 저장할 때 UTF-16LE(BOM)로 바꾸며 원래 파일을 보관 사본에 "
                "남깁니다."},
    FindingCode{"disabled", Severity::Info, "꺼져 있어 적용되지 않는 규칙."},
};

}  // namespace

std::span<const FindingCode> AllFindingCodes() {
    return kCodes;
}
