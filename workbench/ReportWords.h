// Words the reports share: numbers, number lists, diameter intervals and severities as people
// read them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/RuleAnalysis.h"

// "1, 3, 4".
std::string NumberList(const std::vector<int>& numbers);

// Numbers for people: the shortest text that reads back, infinities as "∞" and "-∞".
std::string TextNumber(double value);

// An end of a closed binary64 interval as a shop reads it: the neighbour beyond the end when
// that has the shorter decimal (the interval stops just before it), else the end itself.
struct Bound {
    double value;
    bool included;
};
// None for an infinite end.
std::optional<Bound> LowerBound(double low);
std::optional<Bound> UpperBound(double high);

// A closed binary64 interval as a shop reads it: "8 이상 8.1 미만", "8.99 초과", "8.5". An end
// is named open by the neighbour beyond it when that reads shorter.
std::string IntervalText(double low, double high);
class JsonWriter;
// An interval's members in an open JSON object, as every report writes them: the exact ends
// "low" and "high", and the ends as read, "lower" and "upper" ({"value", "included"}, null
// when unbounded).
void IntervalJson(JsonWriter& json, double low, double high);

// Whether the end `bound` of an interval reaching no further towards `outward` reads as open.
bool EndIsOpen(double bound, double outward);

// "정보", "경고", "오류".
std::string_view SeverityText(Severity severity);
