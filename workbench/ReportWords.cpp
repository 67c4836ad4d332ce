#include "workbench/ReportWords.h"

#include <cmath>
#include <limits>

#include "workbench/Json.h"

namespace {

// Digits of the shortest text from the first nonzero one: 8.1 has 2, 8.099999999999998 has 16.
size_t SignificantDigits(double value) {
    const std::string text = ShortestNumber(value);
    const std::string_view mantissa = std::string_view(text).substr(0, text.find('e'));
    size_t digits = 0;
    for (const char c : mantissa) {
        if (c >= '1' && c <= '9') ++digits;
        if (c == '0' && digits > 0) ++digits;
    }
    return digits;
}

Bound ReadableBound(double bound, double outward) {
    const double beyond = std::nextafter(bound, outward);
    if (std::isfinite(beyond) && SignificantDigits(beyond) < SignificantDigits(bound)) {
        return {beyond, false};
    }
    return {bound, true};
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace

std::string_view SeverityText(Severity severity) {
    switch (severity) {
        case Severity::Info:
            return "정보";
        case Severity::Warning:
            return "경고";
        case Severity::Error:
            return "오류";
    }
    return "";
}

std::optional<Bound> LowerBound(double low) {
    if (low == -kInfinity) return std::nullopt;
    return ReadableBound(low, -kInfinity);
}
std::optional<Bound> UpperBound(double high) {
    if (high == kInfinity) return std::nullopt;
    return ReadableBound(high, kInfinity);
}

std::string NumberList(const std::vector<int>& numbers) {
    std::string text;
    for (const int number : numbers) text += (text.empty() ? "" : ", ") + std::to_string(number);
    return text;
}

std::string TextNumber(double value) {
    if (std::isinf(value)) return value > 0 ? "∞" : "-∞";
    return ShortestNumber(value);
}

// "8 이상 8.1 미만", "8.99 초과", "8.5".
std::string IntervalText(double low, double high) {
    if (low == high) return TextNumber(low);
    const std::optional<Bound> lower = LowerBound(low);
    const std::optional<Bound> upper = UpperBound(high);
    std::string text;
    if (lower) text += TextNumber(lower->value) + (lower->included ? " 이상" : " 초과");
    if (lower && upper) text += " ";
    if (upper) text += TextNumber(upper->value) + (upper->included ? " 이하" : " 미만");
    return text.empty() ? "모든 값" : text;
}

namespace {

void BoundJson(JsonWriter& json, std::string_view key, const std::optional<Bound>& bound) {
    json.Key(key);
    if (!bound) {
        json.Null();
        return;
    }
    json.BeginObject().Key("value").Number(bound->value);
    json.Key("included").Bool(bound->included).EndObject();
}

}  // namespace

void IntervalJson(JsonWriter& json, double low, double high) {
    json.Key("low").Number(low).Key("high").Number(high);
    BoundJson(json, "lower", LowerBound(low));
    BoundJson(json, "upper", UpperBound(high));
}

bool EndIsOpen(double bound, double outward) {
    return std::isfinite(bound) && !ReadableBound(bound, outward).included;
}
