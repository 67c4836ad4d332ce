#include "workbench/MapPicture.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <set>
#include <string_view>
#include <utility>

#include "platform/TextEncoding.h"
#include "rules/CompiledRules.h"
#include "workbench/Json.h"
#include "workbench/WorkbenchCommands.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLargest = std::numeric_limits<double>::max();

// ---- Text ----------------------------------------------------------------------------------

constexpr double kFontSize = 12;
constexpr std::string_view kFontFamily =
    "'Malgun Gothic', '맑은 고딕', NanumGothic, '나눔고딕', 'Noto Sans CJK KR', "
    "'Apple SD Gothic Neo', sans-serif";

// XML 1.0 allows no C0 control other than TAB, LF and CR, and neither U+FFFE nor U+FFFF;
// rule texts may hold them, so they show as U+FFFD.
std::string Xml(std::string_view utf8) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&') {
            out += "&amp;";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '>') {
            out += "&gt;";
        } else if (c == '"') {
            out += "&quot;";
        } else if (c == '\'') {
            out += "&apos;";
        } else if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            out += kReplacement;
        } else if (utf8.substr(i, 3) == "\xEF\xBF\xBE" || utf8.substr(i, 3) == "\xEF\xBF\xBF") {
            out += kReplacement;
            i += 2;
        } else {
            out.push_back(c);
        }
    }
    return out;
}

// Wide enough for the common Korean fonts: Latin characters take about 0.6 em, Hangul 1 em.
double TextWidth(std::string_view utf8) {
    double width = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            width += 0.6 * kFontSize;
        } else if (byte >= 0xC0) {
            width += kFontSize;  // the lead byte of a code point beyond ASCII
        }
    }
    return width;
}

// Coordinates to a tenth of a pixel.
std::string Px(double value) {
    std::array<char, 32> buffer{};
    const double rounded = std::round(value * 10) / 10;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      rounded == 0 ? 0.0 : rounded, std::chars_format::fixed, 1);
    return std::string(buffer.data(), result.ptr);
}

std::string CodeBand(int64_t from, int64_t to) {
    return from == to ? std::to_string(from) : std::to_string(from) + " ~ " + std::to_string(to);
}

std::string RuleTexts(const RuleTable& table, int n) {
    const HoleRule& rule = table.rule(n);
    const auto quoted = [](const RuleText& text) {
        return "\"" + Utf8FromUtf16(text, SurrogateForm::Replaced) + "\"";
    };
    return "규칙 " + std::to_string(n) + (rule.enabled != 0 ? "" : " (꺼짐)") + ": 가공코드 " +
           quoted(rule.CodeFrom) + "~" + quoted(rule.CodeTo) + ", 구멍경 " +
           quoted(rule.DiameterFrom) + "~" + quoted(rule.DiameterTo) + " → " +
           quoted(rule.DiameterModify);
}

std::string RuleChain(const std::vector<int>& rules) {
    std::string text;
    for (const int rule : rules)
        text += (text.empty() ? "규칙 " : " → 규칙 ") + std::to_string(rule);
    return text;
}

// "1→7", where a label has little room.
std::string CompactChain(const std::vector<int>& rules) {
    std::string text;
    for (const int rule : rules) text += (text.empty() ? "" : "→") + std::to_string(rule);
    return text;
}

std::string SpaceSeparated(const std::vector<int>& numbers) {
    std::string text;
    for (const int number : numbers) text += (text.empty() ? "" : " ") + std::to_string(number);
    return text;
}

// ---- Interval ends -------------------------------------------------------------------------

// The neighbouring double reads shorter: the end is better told by that rounder value.
bool LowEndIsOpen(double low) {
    return EndIsOpen(low, -kInfinity);
}
bool HighEndIsOpen(double high) {
    return EndIsOpen(high, kInfinity);
}

// ---- The picture's content -----------------------------------------------------------------

struct Column {
    int64_t from, to;
    bool hasPieces;
};

struct Attribute {
    std::string name, value;
};

struct Piece {
    size_t column = 0;
    double low = 0, high = 0;
    std::optional<double> fill;    // the colour of this result; none: the step stays
    bool hasStripe = false;        // a diff piece: the stripe shows what the old table did
    std::optional<double> stripe;  // the old result
    bool chained = false;
    std::string label, shortLabel, title;
    std::vector<Attribute> data;
};

// A disabled rule's ranges.
struct Outline {
    int64_t codeFrom, codeTo;
    double low, high;
    std::string title;
};

struct Picture {
    std::string heading;
    std::vector<std::string> caption;
    std::string emptyText;  // shown when there is no piece
    std::vector<Column> columns;
    std::vector<Piece> pieces;
    std::vector<Outline> outlines;
    std::vector<double> results;  // every result that has a colour, ascending
    std::vector<std::string> legendNotes;
    double minColumnWidth = 64;  // a diff piece's label names two results
};

std::string CaptionOf(std::string_view role, const PictureSource& source) {
    std::string line = std::string(role) + source.name;
    if (!source.time.empty()) line += " (" + source.time + ")";
    return line;
}

std::vector<double> SortedResults(std::vector<double> results) {
    std::sort(results.begin(), results.end());
    results.erase(std::unique(results.begin(), results.end()), results.end());
    return results;
}

std::string OutcomeText(const StepOutcome& outcome) {
    if (!outcome.changed) return "그대로";
    return TextNumber(outcome.result) + " (규칙 " + NumberList(outcome.rules) + ")";
}

void AddOutcomeData(Piece& piece, std::string_view side, const StepOutcome& outcome) {
    if (!outcome.changed) return;
    piece.data.push_back({"data-" + std::string(side) + "-result", ShortestNumber(outcome.result)});
    piece.data.push_back({"data-" + std::string(side) + "-rules", SpaceSeparated(outcome.rules)});
}

std::vector<Attribute> BandData(int64_t codeFrom, int64_t codeTo, double low, double high) {
    return {{"data-code-from", std::to_string(codeFrom)},
            {"data-code-to", std::to_string(codeTo)},
            {"data-low", ShortestNumber(low)},
            {"data-high", ShortestNumber(high)}};
}

// Code intervals that only disabled rules cover, so that their outlines have a place.
std::vector<Column> DisabledOnlyColumns(const std::vector<RuleNumbers>& numbers,
                                        const std::vector<MapSegment>& map) {
    std::set<int64_t> codes;  // cut points
    std::vector<std::pair<int64_t, int64_t>> disabled;
    for (const RuleNumbers& rule : numbers) {
        if (rule.enabled || rule.codeFrom > rule.codeTo) continue;
        disabled.push_back({rule.codeFrom, rule.codeTo});
        codes.insert({rule.codeFrom, int64_t{rule.codeTo} + 1});
    }
    for (const MapSegment& segment : map) codes.insert({segment.codeFrom, segment.codeTo + 1});
    const std::vector<int64_t> cuts(codes.begin(), codes.end());
    std::vector<Column> columns;
    for (size_t i = 0; i + 1 < cuts.size(); ++i) {
        const int64_t from = cuts[i], to = cuts[i + 1] - 1;
        const auto holds = [&](int64_t low, int64_t high) { return low <= from && to <= high; };
        const bool isDisabled = std::any_of(disabled.begin(), disabled.end(), [&](const auto& r) {
            return holds(r.first, r.second);
        });
        const bool isMapped = std::any_of(map.begin(), map.end(), [&](const MapSegment& s) {
            return holds(s.codeFrom, s.codeTo);
        });
        if (!isDisabled || isMapped) continue;
        if (!columns.empty() && columns.back().to + 1 == from) {
            columns.back().to = to;
        } else {
            columns.push_back({from, to, false});
        }
    }
    return columns;
}

Piece MapPiece(const RuleTable& table, const MapSegment& segment, const MapChange& change,
               size_t column) {
    Piece piece;
    piece.column = column;
    piece.low = change.low;
    piece.high = change.high;
    piece.fill = change.result;
    piece.chained = change.rules.size() > 1;
    piece.shortLabel = TextNumber(change.result);
    piece.label = piece.chained ? piece.shortLabel + " (" + CompactChain(change.rules) + ")"
                                : piece.shortLabel;
    piece.title = "코드 " + CodeBand(segment.codeFrom, segment.codeTo) + ", 지름 " +
                  DiameterInterval(change.low, change.high) + " → " + TextNumber(change.result) +
                  " (규칙 " + NumberList(change.rules) + ")";
    if (piece.chained) piece.title += "\n연쇄: " + RuleChain(change.rules);
    for (const int rule : change.rules) piece.title += "\n" + RuleTexts(table, rule);
    piece.data = BandData(segment.codeFrom, segment.codeTo, change.low, change.high);
    piece.data.push_back({"data-result", ShortestNumber(change.result)});
    piece.data.push_back({"data-rules", SpaceSeparated(change.rules)});
    return piece;
}

Picture MapPicture(const RuleTable& table, const std::vector<MapSegment>& map,
                   const PictureSource& source) {
    Picture picture;
    picture.heading = "구멍경 규칙 지도";
    picture.caption = {CaptionOf("규칙 파일: ", source)};
    picture.emptyText = "켜진 규칙이 없어 아무것도 바뀌지 않습니다.";
    const std::vector<RuleNumbers> numbers = NumbersOf(table);
    for (const MapSegment& segment : map) {
        picture.columns.push_back({segment.codeFrom, segment.codeTo, true});
    }
    for (const Column& column : DisabledOnlyColumns(numbers, map)) {
        picture.columns.push_back(column);
    }
    std::sort(picture.columns.begin(), picture.columns.end(),
              [](const Column& a, const Column& b) { return a.from < b.from; });
    std::vector<double> results;
    for (const MapSegment& segment : map) {
        const auto column = static_cast<size_t>(
            std::find_if(picture.columns.begin(), picture.columns.end(),
                         [&](const Column& c) { return c.from == segment.codeFrom; }) -
            picture.columns.begin());
        for (const MapChange& change : segment.changes) {
            picture.pieces.push_back(MapPiece(table, segment, change, column));
            results.push_back(change.result);
        }
    }
    for (const RuleNumbers& rule : numbers) {
        if (rule.enabled || rule.codeFrom > rule.codeTo ||
            !(rule.diameterLow <= rule.diameterHigh)) {
            continue;
        }
        picture.outlines.push_back({rule.codeFrom, rule.codeTo, rule.diameterLow, rule.diameterHigh,
                                    RuleTexts(table, rule.rule) + "\n켜면: 코드 " +
                                        CodeBand(rule.codeFrom, rule.codeTo) + ", 지름 " +
                                        DiameterInterval(rule.diameterLow, rule.diameterHigh) +
                                        " → " + TextNumber(rule.newDiameter)});
    }
    picture.results = SortedResults(std::move(results));
    picture.legendNotes = {"빈 곳: 어떤 켜진 규칙도 바꾸지 않음", "점선 상자: 꺼진 규칙",
                           "굵은 테두리: 규칙이 이어서 바꿈 (연쇄)"};
    return picture;
}

std::string OutcomeTitle(const RuleTable& table, const StepOutcome& outcome) {
    std::string text = OutcomeText(outcome);
    for (const int rule : outcome.rules) text += "\n  " + RuleTexts(table, rule);
    return text;
}

Piece DiffPiece(const RuleTable& before, const RuleTable& after, const DiffSegment& segment,
                const DiffChange& change, size_t column) {
    Piece piece;
    piece.column = column;
    piece.low = change.low;
    piece.high = change.high;
    if (change.after.changed) piece.fill = change.after.result;
    piece.hasStripe = true;
    if (change.before.changed) piece.stripe = change.before.result;
    const auto shortText = [](const StepOutcome& outcome) {
        return outcome.changed ? TextNumber(outcome.result) : std::string("그대로");
    };
    piece.label = shortText(change.before) + " → " + shortText(change.after);
    piece.shortLabel = shortText(change.after);
    piece.title = "코드 " + CodeBand(segment.codeFrom, segment.codeTo) + ", 지름 " +
                  DiameterInterval(change.low, change.high) +
                  "\n이전: " + OutcomeTitle(before, change.before) +
                  "\n새: " + OutcomeTitle(after, change.after);
    piece.data = BandData(segment.codeFrom, segment.codeTo, change.low, change.high);
    AddOutcomeData(piece, "old", change.before);
    AddOutcomeData(piece, "new", change.after);
    return piece;
}

Picture DiffPicture(const RuleTable& beforeTable, const RuleTable& afterTable,
                    const std::vector<DiffSegment>& diff, const PictureSource& before,
                    const PictureSource& after) {
    Picture picture;
    picture.minColumnWidth = 110;
    picture.heading = "구멍경 규칙 비교";
    picture.caption = {CaptionOf("이전: ", before), CaptionOf("새: ", after)};
    picture.emptyText = "두 표는 모든 단계에서 같게 동작합니다.";
    std::vector<double> results;
    for (const DiffSegment& segment : diff) {
        picture.columns.push_back({segment.codeFrom, segment.codeTo, true});
        for (const DiffChange& change : segment.changes) {
            picture.pieces.push_back(
                DiffPiece(beforeTable, afterTable, segment, change, picture.columns.size() - 1));
            for (const StepOutcome* outcome : {&change.before, &change.after}) {
                if (outcome->changed) results.push_back(outcome->result);
            }
        }
    }
    picture.results = SortedResults(std::move(results));
    picture.legendNotes = {"바탕: 새 표의 결과", "왼쪽 띠: 이전 표의 결과",
                           "흰색: 그대로 (어떤 규칙도 바꾸지 않음)",
                           "나오지 않은 곳: 두 표가 같게 동작함"};
    return picture;
}

// ---- Layout --------------------------------------------------------------------------------

constexpr double kMargin = 16;
constexpr double kAxisWidth = 78;
constexpr double kPlotHeight = 520;
constexpr double kColumnPadding = 16;
constexpr double kColumnGap = 10;  // between bands whose codes do not touch
constexpr double kLegendWidth = 260;
constexpr double kLineHeight = 18;
constexpr double kMinPieceHeight = 3;

// The input diameter axis: linear over the finite bounds the picture shows, with a margin.
// Positions are worked out on halves, so that even the widest doubles give finite spans.
struct DiameterAxis {
    double low, high;

    double Fraction(double value) const {
        const double clamped = std::clamp(value, low, high);
        return (clamped / 2 - low / 2) / (high / 2 - low / 2);
    }
};

DiameterAxis AxisOf(const Picture& picture) {
    double low = kInfinity, high = -kInfinity;
    const auto take = [&](double value) {
        if (!std::isfinite(value)) return;
        low = std::min(low, value);
        high = std::max(high, value);
    };
    for (const Piece& piece : picture.pieces) {
        take(piece.low);
        take(piece.high);
    }
    for (const Outline& outline : picture.outlines) {
        take(outline.low);
        take(outline.high);
    }
    if (low > high) return {0, 10};
    double margin = (high / 2 - low / 2) * 0.1;  // 5 % of the span on each side
    if (margin == 0) margin = std::max(0.5, std::abs(low) * 0.05);
    return {std::max(low - margin, -kLargest), std::min(high + margin, kLargest)};
}

struct Layout {
    double plotLeft, plotTop, plotBottom, plotRight;
    double legendLeft;
    double width, height;
    std::vector<double> columnX, columnWidth;
    DiameterAxis axis;

    double Y(double diameter) const {
        return plotBottom - axis.Fraction(diameter) * (plotBottom - plotTop);
    }
    // Where a code falls across its column, so that part of a band can be shown.
    double X(const Column& column, size_t index, double code) const {
        const double span = static_cast<double>(column.to - column.from) + 1;
        return columnX[index] +
               (code - static_cast<double>(column.from)) / span * columnWidth[index];
    }
};

Layout LayoutOf(const Picture& picture) {
    Layout layout{};
    layout.axis = AxisOf(picture);
    layout.plotLeft = kMargin + kAxisWidth;
    layout.plotTop = kMargin + kLineHeight * (2.5 + static_cast<double>(picture.caption.size()));
    layout.plotBottom = layout.plotTop + kPlotHeight;
    double x = layout.plotLeft + kColumnGap;
    for (size_t i = 0; i < picture.columns.size(); ++i) {
        const Column& column = picture.columns[i];
        if (i > 0 && picture.columns[i - 1].to + 1 != column.from) x += kColumnGap;
        const double width = std::max(picture.minColumnWidth,
                                      TextWidth(CodeBand(column.from, column.to)) + kColumnPadding);
        layout.columnX.push_back(x);
        layout.columnWidth.push_back(width);
        x += width;
    }
    if (picture.columns.empty()) x += TextWidth(picture.emptyText) + 2 * kColumnGap;
    layout.plotRight = x + kColumnGap;
    layout.legendLeft = layout.plotRight + 2 * kMargin;
    layout.width = layout.legendLeft + kLegendWidth;
    for (const std::string& line : picture.caption) {
        layout.width = std::max(layout.width, 2 * kMargin + TextWidth(line));
    }
    const double legendLines =
        3.0 + static_cast<double>(picture.results.size() + picture.legendNotes.size()) + 2.0;
    layout.height = std::max(layout.plotBottom + 3 * kLineHeight + kMargin,
                             layout.plotTop + legendLines * kLineHeight + kMargin);
    return layout;
}

// ---- Colour --------------------------------------------------------------------------------

// Results in ascending order run from blue to red; neighbouring results get clearly
// different hues, however close their values, so that a chain that adds 0.1 still shows.
std::string ColourOf(const std::vector<double>& results, std::optional<double> result) {
    if (!result) return "#ffffff";
    const auto rank = std::lower_bound(results.begin(), results.end(), *result) - results.begin();
    const double hue =
        results.size() < 2 ? 200 : 230 - 230 * static_cast<double>(rank) / (results.size() - 1);
    const double s = 0.65, l = 0.68;
    const double c = (1 - std::abs(2 * l - 1)) * s;
    const double h = hue / 60;
    const double x = c * (1 - std::abs(std::fmod(h, 2) - 1));
    double r = 0, g = 0, b = 0;
    if (h < 1) {
        r = c, g = x;
    } else if (h < 2) {
        r = x, g = c;
    } else if (h < 3) {
        g = c, b = x;
    } else {
        g = x, b = c;
    }
    const auto hex = [&](double channel) {
        static constexpr char kHex[] = "0123456789abcdef";
        const int value = static_cast<int>(std::lround((channel + l - c / 2) * 255));
        return std::string{kHex[value / 16], kHex[value % 16]};
    };
    return "#" + hex(r) + hex(g) + hex(b);
}

// ---- SVG -----------------------------------------------------------------------------------

class Svg {
public:
    void Text(double x, double y, std::string_view text, std::string_view extra = "") {
        out_ += "<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\"" + std::string(extra) + ">" +
                Xml(text) + "</text>\n";
    }
    void Line(double x1, double y1, double x2, double y2, std::string_view style) {
        out_ += "<line x1=\"" + Px(x1) + "\" y1=\"" + Px(y1) + "\" x2=\"" + Px(x2) + "\" y2=\"" +
                Px(y2) + "\" " + std::string(style) + "/>\n";
    }
    // A rectangle, with a tooltip when `title` is not empty.
    void Rect(std::string_view cls, double x, double y, double w, double h, std::string_view style,
              const std::vector<Attribute>& data = {}, std::string_view title = "") {
        out_ += "<rect class=\"" + std::string(cls) + "\" x=\"" + Px(x) + "\" y=\"" + Px(y) +
                "\" width=\"" + Px(w) + "\" height=\"" + Px(h) + "\" " + std::string(style);
        for (const Attribute& attribute : data) {
            out_ += " " + attribute.name + "=\"" + Xml(attribute.value) + "\"";
        }
        out_ += title.empty() ? "/>\n" : "><title>" + Xml(title) + "</title></rect>\n";
    }
    void Raw(std::string_view text) { out_ += text; }
    std::string Take() && { return std::move(out_); }

private:
    std::string out_;
};

constexpr std::string_view kClosedEnd = "stroke=\"#202020\" stroke-width=\"2\"";
constexpr std::string_view kOpenEnd =
    "stroke=\"#202020\" stroke-width=\"1\" stroke-dasharray=\"2 2\"";

void DrawHeader(Svg& svg, const Picture& picture, const Layout& layout) {
    svg.Raw(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
        "width=\"" +
        Px(layout.width) + "\" height=\"" + Px(layout.height) + "\" viewBox=\"0 0 " +
        Px(layout.width) + " " + Px(layout.height) + "\" font-family=\"" + Xml(kFontFamily) +
        "\" font-size=\"" + Px(kFontSize) + "\">\n");
    svg.Raw("<title>" + Xml(picture.heading + " - " + picture.caption.back()) + "</title>\n");
    svg.Rect("background", 0, 0, layout.width, layout.height, "fill=\"#ffffff\"");
    svg.Text(kMargin, kMargin + kLineHeight, picture.heading,
             " font-size=\"16\" font-weight=\"bold\"");
    double y = kMargin + 2 * kLineHeight;
    for (const std::string& line : picture.caption) {
        svg.Text(kMargin, y, line);
        y += kLineHeight;
    }
}

// Round tick values of 1, 2 or 5 times a power of ten, about eight of them.
void DrawDiameterAxis(Svg& svg, const Layout& layout) {
    const DiameterAxis& axis = layout.axis;
    const double eighth = (axis.high / 2 - axis.low / 2) / 4;
    const double power = std::pow(10.0, std::floor(std::log10(eighth)));
    double step = power * 10;
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (power * factor >= eighth) {
            step = power * factor;
            break;
        }
    }
    const double first = std::ceil(axis.low / step);
    for (int i = 0; i < 20; ++i) {
        double value = (first + i) * step;
        if (value > axis.high || !std::isfinite(value)) break;
        if (std::abs(value) < step * 1e-9) value = 0;
        const double y = layout.Y(value);
        svg.Line(layout.plotLeft - 4, y, layout.plotRight, y,
                 "stroke=\"#d8d8d8\" stroke-width=\"1\"");
        std::array<char, 32> buffer{};
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                          std::chars_format::general, 6);
        svg.Text(layout.plotLeft - 8, y + 4, std::string_view(buffer.data(), result.ptr),
                 " text-anchor=\"end\"");
    }
    svg.Line(layout.plotLeft, layout.plotTop, layout.plotLeft, layout.plotBottom,
             "stroke=\"#404040\" stroke-width=\"1\"");
    svg.Text(kMargin, layout.plotTop - 8, "구멍경 (바꾸기 전)");
}

void DrawColumns(Svg& svg, const Picture& picture, const Layout& layout) {
    for (size_t i = 0; i < picture.columns.size(); ++i) {
        const Column& column = picture.columns[i];
        const std::vector<Attribute> data = {{"data-code-from", std::to_string(column.from)},
                                             {"data-code-to", std::to_string(column.to)}};
        svg.Rect("band", layout.columnX[i], layout.plotTop, layout.columnWidth[i],
                 layout.plotBottom - layout.plotTop,
                 column.hasPieces ? "fill=\"#f4f4f4\" stroke=\"#e0e0e0\""
                                  : "fill=\"#fbfbfb\" stroke=\"#e0e0e0\"",
                 data);
        svg.Text(layout.columnX[i] + layout.columnWidth[i] / 2, layout.plotBottom + kLineHeight,
                 CodeBand(column.from, column.to), " text-anchor=\"middle\"");
    }
    svg.Text(layout.plotLeft, layout.plotBottom + 2.3 * kLineHeight, "가공코드");
    if (picture.columns.empty()) {
        svg.Text((layout.plotLeft + layout.plotRight) / 2, (layout.plotTop + layout.plotBottom) / 2,
                 picture.emptyText, " text-anchor=\"middle\"");
    }
}

// An end that holds its value is drawn solid; one that stops just short of a rounder value
// (as "미만" and "초과" say) dotted; an infinite end runs off the plot without a line.
void DrawEnd(Svg& svg, double x, double width, double y, double value, bool isOpen) {
    if (std::isinf(value)) return;
    svg.Line(x, y, x + width, y, isOpen ? kOpenEnd : kClosedEnd);
}

void DrawPiece(Svg& svg, const Picture& picture, const Layout& layout, const Piece& piece) {
    const double x = layout.columnX[piece.column] + 2;
    const double width = layout.columnWidth[piece.column] - 4;
    double top = layout.Y(piece.high), bottom = layout.Y(piece.low);
    if (bottom - top < kMinPieceHeight) {
        const double middle = (top + bottom) / 2;
        top = middle - kMinPieceHeight / 2;
        bottom = middle + kMinPieceHeight / 2;
    }
    const std::string fill = "fill=\"" + ColourOf(picture.results, piece.fill) + "\"";
    const std::string_view border = piece.chained ? " stroke=\"#000000\" stroke-width=\"3\""
                                                  : " stroke=\"#808080\" stroke-width=\"0.5\"";
    svg.Rect("piece", x, top, width, bottom - top, fill + std::string(border), piece.data,
             piece.title);
    if (piece.hasStripe) {
        svg.Rect("before", x, top, 8, bottom - top,
                 "fill=\"" + ColourOf(picture.results, piece.stripe) +
                     "\" stroke=\"#808080\" stroke-width=\"0.5\"");
    }
    DrawEnd(svg, x, width, top, piece.high, HighEndIsOpen(piece.high));
    DrawEnd(svg, x, width, bottom, piece.low, LowEndIsOpen(piece.low));
    const double room = width - (piece.hasStripe ? 12 : 4);
    for (const std::string* label : {&piece.label, &piece.shortLabel}) {
        if (bottom - top < kFontSize + 1 || TextWidth(*label) > room) continue;
        svg.Text(x + (piece.hasStripe ? 10 : 0) + room / 2 + 2, (top + bottom) / 2 + 4, *label,
                 " text-anchor=\"middle\"");
        break;
    }
}

void DrawOutline(Svg& svg, const Picture& picture, const Layout& layout, const Outline& outline) {
    const auto columnOf = [&](int64_t code) {
        return static_cast<size_t>(
            std::find_if(picture.columns.begin(), picture.columns.end(),
                         [&](const Column& c) { return c.from <= code && code <= c.to; }) -
            picture.columns.begin());
    };
    const size_t first = columnOf(outline.codeFrom), last = columnOf(outline.codeTo);
    if (last >= picture.columns.size()) return;
    const double left =
        layout.X(picture.columns[first], first, static_cast<double>(outline.codeFrom)) + 1;
    const double right =
        layout.X(picture.columns[last], last, static_cast<double>(outline.codeTo) + 1) - 1;
    const double top = layout.Y(outline.high);
    const double bottom = std::max(layout.Y(outline.low), top + kMinPieceHeight);
    svg.Rect("disabled-rule", left, top, right - left, bottom - top,
             "fill=\"none\" stroke=\"#303030\" stroke-width=\"1.5\" stroke-dasharray=\"6 3\"", {},
             outline.title);
}

void DrawLegend(Svg& svg, const Picture& picture, const Layout& layout) {
    const double x = layout.legendLeft;
    double y = layout.plotTop + kLineHeight;
    svg.Text(x, y, "결과 지름", " font-weight=\"bold\"");
    for (const double result : picture.results) {
        y += kLineHeight;
        svg.Rect("legend", x, y - 11, 24, 13,
                 "fill=\"" + ColourOf(picture.results, result) + "\" stroke=\"#808080\"");
        svg.Text(x + 32, y, TextNumber(result));
    }
    y += 1.5 * kLineHeight;
    for (const std::string& note : picture.legendNotes) {
        svg.Text(x, y, note);
        y += kLineHeight;
    }
    svg.Line(x, y - 4, x + 24, y - 4, kClosedEnd);
    svg.Text(x + 32, y, "닫힌 끝 (이상, 이하)");
    y += kLineHeight;
    svg.Line(x, y - 4, x + 24, y - 4, kOpenEnd);
    svg.Text(x + 32, y, "열린 끝 (초과, 미만)");
}

std::string Render(const Picture& picture) {
    const Layout layout = LayoutOf(picture);
    Svg svg;
    DrawHeader(svg, picture, layout);
    DrawDiameterAxis(svg, layout);
    DrawColumns(svg, picture, layout);
    for (const Piece& piece : picture.pieces) DrawPiece(svg, picture, layout, piece);
    for (const Outline& outline : picture.outlines) DrawOutline(svg, picture, layout, outline);
    DrawLegend(svg, picture, layout);
    svg.Raw("</svg>\n");
    return std::move(svg).Take();
}

}  // namespace

std::string DiameterInterval(double low, double high) {
    return IntervalText(low, high);
}

std::string MapPictureSvg(const RuleTable& table, const std::vector<MapSegment>& map,
                          const PictureSource& source) {
    return Render(MapPicture(table, map, source));
}

std::string DiffPictureSvg(const RuleTable& before, const RuleTable& after,
                           const std::vector<DiffSegment>& diff, const PictureSource& beforeSource,
                           const PictureSource& afterSource) {
    return Render(DiffPicture(before, after, diff, beforeSource, afterSource));
}
