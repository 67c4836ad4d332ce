// Every finding code quillet-rules can report, with its severity and a line that says what
// it means. `quillet-rules codes` prints this list and the release carries it.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "workbench/RuleAnalysis.h"

struct FindingCode {
    std::string_view code;
    Severity severity;
    std::string meaning;  // Korean, UTF-8, one line
};

std::span<const FindingCode> AllFindingCodes();
