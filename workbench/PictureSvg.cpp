#include "workbench/PictureSvg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>
#include <utility>

#include "workbench/PictureLayout.h"
#include "workbench/ReportWords.h"
#include "workbench/RulePalette.h"

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// ---- Text ----------------------------------------------------------------------------------

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

// Coordinates to a tenth of a pixel.
std::string Px(double value) {
    std::array<char, 32> buffer{};
    const double rounded = std::round(value * 10) / 10;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(),
                                      rounded == 0 ? 0.0 : rounded, std::chars_format::fixed, 1);
    return std::string(buffer.data(), result.ptr);
}

// ---- Interval ends -------------------------------------------------------------------------

// The neighbouring double reads shorter: the end is better told by that rounder value.
bool LowEndIsOpen(double low) {
    return EndIsOpen(low, -kInfinity);
}
bool HighEndIsOpen(double high) {
    return EndIsOpen(high, kInfinity);
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
              const std::vector<PictureAttribute>& data = {}, std::string_view title = "") {
        out_ += "<rect class=\"" + std::string(cls) + "\" x=\"" + Px(x) + "\" y=\"" + Px(y) +
                "\" width=\"" + Px(w) + "\" height=\"" + Px(h) + "\" " + std::string(style);
        for (const PictureAttribute& attribute : data) {
            out_ += " " + attribute.name + "=\"" + Xml(attribute.value) + "\"";
        }
        out_ += title.empty() ? "/>\n" : "><title>" + Xml(title) + "</title></rect>\n";
    }
    void Path(std::string_view d, std::string_view style) {
        if (!d.empty()) out_ += "<path d=\"" + std::string(d) + "\" " + std::string(style) + "/>\n";
    }
    void Raw(std::string_view text) { out_ += text; }
    std::string Take() && { return std::move(out_); }

private:
    std::string out_;
};

constexpr std::string_view kClosedEnd = "stroke=\"#202020\" stroke-width=\"2\"";
constexpr std::string_view kOpenEnd =
    "stroke=\"#202020\" stroke-width=\"1\" stroke-dasharray=\"2 2\"";
constexpr double kLine = kPictureLineHeight;
constexpr double kMargin = 16;

// ---- Swatches ------------------------------------------------------------------------------

// The lines (or dots) of a pattern over a rectangle, as path data. They are laid on the whole
// picture's grid, so that pieces of one rule side by side continue each other's lines.
std::string HatchPath(SwatchPattern pattern, double x, double y, double w, double h) {
    constexpr double kStep = 7, kDotStep = 9;
    std::string d;
    const auto segment = [&](double x1, double y1, double x2, double y2) {
        d += "M" + Px(x1) + " " + Px(y1) + "L" + Px(x2) + " " + Px(y2);
    };
    const double right = x + w, bottom = y + h;
    const auto diagonals = [&](bool rising, double step) {
        // rising: x + y = c; falling: y - x = c
        const double from = rising ? x + y : y - right, to = rising ? right + bottom : bottom - x;
        for (double c = std::ceil(from / step) * step; c <= to; c += step) {
            const double x1 = rising ? std::max(x, c - bottom) : std::max(x, y - c);
            const double x2 = rising ? std::min(right, c - y) : std::min(right, bottom - c);
            if (x2 - x1 < 0.5) continue;
            segment(x1, rising ? c - x1 : c + x1, x2, rising ? c - x2 : c + x2);
        }
    };
    switch (pattern) {
        case SwatchPattern::Plain:
            break;
        case SwatchPattern::Rising:
            diagonals(true, kStep);
            break;
        case SwatchPattern::Falling:
            diagonals(false, kStep);
            break;
        case SwatchPattern::Crossed:
            diagonals(true, kStep * 1.5);
            diagonals(false, kStep * 1.5);
            break;
        case SwatchPattern::Level:
            for (double at = std::ceil(y / kStep) * kStep + kStep / 2; at < bottom; at += kStep) {
                if (at > y) segment(x, at, right, at);
            }
            break;
        case SwatchPattern::Upright:
            for (double at = std::ceil(x / kStep) * kStep + kStep / 2; at < right; at += kStep) {
                if (at > x) segment(at, y, at, bottom);
            }
            break;
        case SwatchPattern::Dotted:
            // Wider apart than the lines: a large piece is thousands of dots.
            for (double row = std::ceil(y / kDotStep) * kDotStep; row + 2 <= bottom;
                 row += kDotStep) {
                const double shift = std::fmod(row / kDotStep, 2.0) == 0 ? 0 : kDotStep / 2;
                for (double at = std::ceil((x - shift) / kDotStep) * kDotStep + shift;
                     at + 2 <= right; at += kDotStep) {
                    if (at >= x && row >= y) d += "M" + Px(at) + " " + Px(row) + "h2.4v2.4h-2.4z";
                }
            }
            break;
    }
    return d;
}

// A rectangle in the rule's swatch (white for 0: the step stays).
void SwatchRect(Svg& svg, std::string_view cls, int rule, double x, double y, double w, double h,
                std::string_view extra, const std::vector<PictureAttribute>& data = {},
                std::string_view title = "") {
    if (rule == 0) {
        svg.Rect(cls, x, y, w, h, "fill=\"#ffffff\"" + std::string(extra), data, title);
        return;
    }
    const RuleSwatch swatch = SwatchOfRule(rule);
    svg.Rect(cls, x, y, w, h,
             "fill=\"" + HexColour(swatch.colour) + "\" data-swatch=\"" + std::to_string(rule) +
                 "\"" + std::string(extra),
             data, title);
    const bool dots = swatch.pattern == SwatchPattern::Dotted;
    svg.Path(HatchPath(swatch.pattern, x, y, w, h),
             (dots ? "fill=\"" : "fill=\"none\" stroke-width=\"1.5\" stroke=\"") +
                 HexColour(swatch.ink) + "\" opacity=\"0.8\" pointer-events=\"none\"");
}

// A text on a white box, so that it reads on any swatch.
void BoxedText(Svg& svg, double middleX, double middleY, std::string_view text) {
    const double width = PictureTextWidth(text) + 6;
    svg.Rect("label-box", middleX - width / 2, middleY - 8, width, 16,
             "fill=\"#ffffff\" fill-opacity=\"0.88\" rx=\"3\"");
    svg.Text(middleX, middleY + 5, text, " text-anchor=\"middle\" class=\"label\"");
}

void NumberBox(Svg& svg, double x, double y, double width, double height, int number) {
    svg.Rect("callout", x, y, width, height, "fill=\"#ffffff\" stroke=\"#202020\" rx=\"3\"");
    svg.Text(x + width / 2, y + height - 4, std::to_string(number), " text-anchor=\"middle\"");
}

// ---- Parts ---------------------------------------------------------------------------------

void DrawHeader(Svg& svg, const Picture& picture, const PictureLayout& layout) {
    svg.Raw(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
        "width=\"" +
        Px(layout.width) + "\" height=\"" + Px(layout.height) + "\" viewBox=\"0 0 " +
        Px(layout.width) + " " + Px(layout.height) + "\" font-family=\"" + Xml(kFontFamily) +
        "\" font-size=\"" + Px(kPictureTextSize) + "\">\n");
    svg.Raw("<title>" + Xml(picture.heading + " - " + picture.caption.back()) + "</title>\n");
    svg.Rect("background", 0, 0, layout.width, layout.height, "fill=\"#ffffff\"");
    svg.Text(kMargin, kMargin + kPictureHeadingSize, picture.heading,
             " font-size=\"" + Px(kPictureHeadingSize) + "\" font-weight=\"bold\"");
    double y = kMargin + kPictureHeadingSize + 8 + kLine;
    for (const std::string& line : picture.caption) {
        svg.Text(kMargin, y, line);
        y += kLine;
    }
}

// Round tick values of 1, 2 or 5 times a power of ten, about eight of them.
void DrawDiameterAxis(Svg& svg, const PictureLayout& layout) {
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
        svg.Text(layout.plotLeft - 8, y + 5, std::string_view(buffer.data(), result.ptr),
                 " text-anchor=\"end\"");
    }
    svg.Line(layout.plotLeft, layout.plotTop, layout.plotLeft, layout.plotBottom,
             "stroke=\"#404040\" stroke-width=\"1\"");
    svg.Text(kMargin, layout.plotTop - 10, "구멍경 (바꾸기 전)");
}

void DrawColumns(Svg& svg, const Picture& picture, const PictureLayout& layout) {
    for (size_t i = 0; i < picture.columns.size(); ++i) {
        const PictureColumn& column = picture.columns[i];
        const std::vector<PictureAttribute> data = {{"data-code-from", std::to_string(column.from)},
                                                    {"data-code-to", std::to_string(column.to)}};
        svg.Rect("band", layout.columnX[i], layout.plotTop, layout.columnWidth[i],
                 layout.plotBottom - layout.plotTop,
                 column.hasPieces ? "fill=\"#f4f4f4\" stroke=\"#e0e0e0\""
                                  : "fill=\"#fbfbfb\" stroke=\"#e0e0e0\"",
                 data);
        const double middle = layout.columnX[i] + layout.columnWidth[i] / 2;
        const std::string codes = CodeBandText(column.from, column.to);
        if (layout.codesTurned) {
            const std::string x = Px(middle + 5), y = Px(layout.plotBottom + 6);
            svg.Text(middle + 5, layout.plotBottom + 6, codes,
                     " text-anchor=\"end\" transform=\"rotate(-90 " + x + " " + y + ")\"");
        } else {
            svg.Text(middle, layout.plotBottom + kLine, codes, " text-anchor=\"middle\"");
        }
    }
    svg.Line(layout.plotLeft, layout.plotBottom, layout.plotRight, layout.plotBottom,
             "stroke=\"#404040\" stroke-width=\"1\"");
    // A gap of codes without rules, drawn narrow: the axis is broken there.
    for (const CodeBreak& gap : layout.breaks) {
        svg.Rect("code-break", gap.x - 4, layout.plotTop, 8, layout.plotBottom - layout.plotTop,
                 "fill=\"#ffffff\"", {},
                 "코드 " + CodeBandText(gap.from, gap.to) + ": 규칙 없음 (줄여 보임)");
        for (const double y : {layout.plotTop, layout.plotBottom}) {
            svg.Rect("break-mark", gap.x - 5, y - 6, 10, 12, "fill=\"#ffffff\"");
            for (const double dx : {-3.0, 3.0}) {
                svg.Line(gap.x + dx - 3, y + 7, gap.x + dx + 3, y - 7,
                         "stroke=\"#404040\" stroke-width=\"1.5\"");
            }
        }
    }
    svg.Text(layout.plotLeft, layout.codeAxisTitleY, "가공코드");
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

void DrawPiece(Svg& svg, const PicturePiece& piece, const PieceBox& box) {
    const std::string_view border = piece.chained ? " stroke=\"#000000\" stroke-width=\"3\""
                                                  : " stroke=\"#808080\" stroke-width=\"0.5\"";
    SwatchRect(svg, "piece", piece.rule, box.x, box.y, box.width, box.height, border, piece.data,
               piece.title);
    double textLeft = box.x;
    if (piece.hasStripe) {
        const double stripe = std::min(8.0, box.width / 3);
        SwatchRect(svg, "before", piece.stripeRule, box.x, box.y, stripe, box.height,
                   " stroke=\"#808080\" stroke-width=\"0.5\"");
        textLeft += stripe;
    }
    DrawEnd(svg, box.x, box.width, box.y, piece.high, HighEndIsOpen(piece.high));
    DrawEnd(svg, box.x, box.width, box.y + box.height, piece.low, LowEndIsOpen(piece.low));
    if (box.text) {
        BoxedText(svg, (textLeft + box.x + box.width) / 2, box.y + box.height / 2, *box.text);
    }
}

void DrawCallouts(Svg& svg, const Picture& picture, const PictureLayout& layout) {
    for (const CalloutMark& mark : layout.callouts) {
        if (mark.leader) {
            svg.Line(mark.toX, mark.toY, mark.x, mark.y + mark.height / 2,
                     "stroke=\"#202020\" stroke-width=\"1\"");
        }
        NumberBox(svg, mark.x, mark.y, mark.width, mark.height, mark.number);
    }
    if (layout.callouts.empty()) return;
    double y = layout.calloutListTop + kLine;
    svg.Text(kMargin, y, "번호: 글자가 들어가지 않는 조각", " font-weight=\"bold\"");
    y += kLine * 0.5;
    for (size_t i = 0; i < layout.callouts.size(); ++i) {
        const CalloutMark& mark = layout.callouts[i];
        const double x =
            kMargin + static_cast<double>(i / layout.calloutRows) * layout.calloutColumnWidth;
        const double rowY = y + static_cast<double>(i % layout.calloutRows) * kLine;
        NumberBox(svg, x, rowY + 2, mark.width, mark.height - 2, mark.number);
        svg.Text(x + mark.width + 8, rowY + kLine - 5, picture.pieces[mark.piece].callout,
                 " class=\"callout-text\" data-callout=\"" + std::to_string(mark.number) + "\"");
    }
}

void DrawOutline(Svg& svg, const Picture& picture, const PictureLayout& layout,
                 const PictureOutline& outline) {
    const auto columnOf = [&](int64_t code) {
        return static_cast<size_t>(
            std::find_if(picture.columns.begin(), picture.columns.end(),
                         [&](const PictureColumn& c) { return c.from <= code && code <= c.to; }) -
            picture.columns.begin());
    };
    const size_t first = columnOf(outline.codeFrom), last = columnOf(outline.codeTo);
    if (last >= picture.columns.size()) return;
    const double left =
        layout.X(picture.columns[first], first, static_cast<double>(outline.codeFrom)) + 1;
    const double right =
        layout.X(picture.columns[last], last, static_cast<double>(outline.codeTo) + 1) - 1;
    const double top = layout.Y(outline.high);
    const double bottom = std::max(layout.Y(outline.low), top + 3);
    svg.Rect("disabled-rule", left, top, right - left, bottom - top,
             "fill=\"none\" stroke=\"#303030\" stroke-width=\"1.5\" stroke-dasharray=\"6 3\"", {},
             outline.title);
}

void DrawLegend(Svg& svg, const Picture& picture, const PictureLayout& layout) {
    const double x = layout.legendLeft;
    double y = layout.plotTop + kLine;
    svg.Text(x, y, "규칙 (색과 무늬)", " font-weight=\"bold\"");
    for (size_t i = 0; i < picture.legend.size(); ++i) {
        const PictureLegendEntry& entry = picture.legend[i];
        const double left =
            x + static_cast<double>(i / layout.legendRows) * layout.legendColumnWidth;
        const double top = y + static_cast<double>(i % layout.legendRows) * kLine + 6;
        SwatchRect(svg, "legend", entry.rule, left, top, 30, 16, " stroke=\"#808080\"");
        svg.Text(left + 38, top + 13, entry.text);
    }
    y = layout.notesTop;
    std::vector<std::string> notes = picture.legendNotes;
    if (!layout.callouts.empty()) notes.push_back("네모 번호: 새 지름은 그림 아래 목록에");
    if (!layout.breaks.empty()) notes.push_back("끊긴 축 (//): 규칙이 없는 코드를 줄여 보임");
    for (const std::string& note : notes) {
        svg.Text(x, y, note);
        y += kLine;
    }
    svg.Line(x, y - 5, x + 30, y - 5, kClosedEnd);
    svg.Text(x + 38, y, "닫힌 끝 (이상, 이하)");
    y += kLine;
    svg.Line(x, y - 5, x + 30, y - 5, kOpenEnd);
    svg.Text(x + 38, y, "열린 끝 (초과, 미만)");
}

}  // namespace

std::string PictureSvg(const Picture& picture) {
    const PictureLayout layout = LayOutPicture(picture);
    Svg svg;
    DrawHeader(svg, picture, layout);
    DrawDiameterAxis(svg, layout);
    DrawColumns(svg, picture, layout);
    for (size_t i = 0; i < picture.pieces.size(); ++i) {
        DrawPiece(svg, picture.pieces[i], layout.pieces[i]);
    }
    for (const PictureOutline& outline : picture.outlines)
        DrawOutline(svg, picture, layout, outline);
    DrawCallouts(svg, picture, layout);
    DrawLegend(svg, picture, layout);
    svg.Raw("</svg>\n");
    return std::move(svg).Take();
}
