#include "workbench/PictureSvg.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>

#include "workbench/ReportWords.h"

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

// ---- Interval ends -------------------------------------------------------------------------

// The neighbouring double reads shorter: the end is better told by that rounder value.
bool LowEndIsOpen(double low) {
    return EndIsOpen(low, -kInfinity);
}
bool HighEndIsOpen(double high) {
    return EndIsOpen(high, kInfinity);
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
    for (const PicturePiece& piece : picture.pieces) {
        take(piece.low);
        take(piece.high);
    }
    for (const PictureOutline& outline : picture.outlines) {
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
    double X(const PictureColumn& column, size_t index, double code) const {
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
        const PictureColumn& column = picture.columns[i];
        if (i > 0 && picture.columns[i - 1].to + 1 != column.from) x += kColumnGap;
        const double width =
            std::max(picture.minColumnWidth,
                     TextWidth(CodeBandText(column.from, column.to)) + kColumnPadding);
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
              const std::vector<PictureAttribute>& data = {}, std::string_view title = "") {
        out_ += "<rect class=\"" + std::string(cls) + "\" x=\"" + Px(x) + "\" y=\"" + Px(y) +
                "\" width=\"" + Px(w) + "\" height=\"" + Px(h) + "\" " + std::string(style);
        for (const PictureAttribute& attribute : data) {
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
        const PictureColumn& column = picture.columns[i];
        const std::vector<PictureAttribute> data = {{"data-code-from", std::to_string(column.from)},
                                                    {"data-code-to", std::to_string(column.to)}};
        svg.Rect("band", layout.columnX[i], layout.plotTop, layout.columnWidth[i],
                 layout.plotBottom - layout.plotTop,
                 column.hasPieces ? "fill=\"#f4f4f4\" stroke=\"#e0e0e0\""
                                  : "fill=\"#fbfbfb\" stroke=\"#e0e0e0\"",
                 data);
        svg.Text(layout.columnX[i] + layout.columnWidth[i] / 2, layout.plotBottom + kLineHeight,
                 CodeBandText(column.from, column.to), " text-anchor=\"middle\"");
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

void DrawPiece(Svg& svg, const Picture& picture, const Layout& layout, const PicturePiece& piece) {
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

void DrawOutline(Svg& svg, const Picture& picture, const Layout& layout,
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

}  // namespace

std::string PictureSvg(const Picture& picture) {
    const Layout layout = LayoutOf(picture);
    Svg svg;
    DrawHeader(svg, picture, layout);
    DrawDiameterAxis(svg, layout);
    DrawColumns(svg, picture, layout);
    for (const PicturePiece& piece : picture.pieces) DrawPiece(svg, picture, layout, piece);
    for (const PictureOutline& outline : picture.outlines)
        DrawOutline(svg, picture, layout, outline);
    DrawLegend(svg, picture, layout);
    svg.Raw("</svg>\n");
    return std::move(svg).Take();
}
