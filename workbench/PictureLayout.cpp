#include "workbench/PictureLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kLargest = std::numeric_limits<double>::max();

constexpr double kMargin = 16;
constexpr double kAxisWidth = 84;
constexpr double kPlotHeight = 600;
constexpr double kPlotEdge = 10;     // between the axis and the first band, the last and the end
constexpr double kBandPadding = 12;  // around a text across a band
constexpr double kMostBandWidth = 200;
constexpr double kBreakGap = 20;  // a gap of codes without rules
constexpr double kNarrowBreakGap = 8;
constexpr double kMinPieceHeight = 3;
constexpr double kLabelHeight = kPictureTextSize + 2;
constexpr double kLeader = 8;  // the callout line between a band and its number
constexpr double kMarkPadding = 8;
constexpr double kMarkHeight = kPictureTextSize + 4;
constexpr double kSwatchWidth = 30;
constexpr size_t kMostLegendRows = 25;  // 49 rules in two columns
constexpr double kStripeWidth = 8;      // a diff piece's stripe of the old result

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

std::string MarkText(int number) {
    return std::to_string(number);
}

double MarkWidth(int number) {
    return PictureTextWidth(MarkText(number)) + kMarkPadding;
}

// The room for a label across a piece of this width.
double LabelRoom(const PicturePiece& piece, double width) {
    return width - (piece.hasStripe ? kStripeWidth + 4 : 4);
}

const std::string* LabelThatFits(const PicturePiece& piece, double width, double height) {
    if (height < kLabelHeight) return nullptr;
    for (const std::string* label : {&piece.label, &piece.shortLabel}) {
        if (!label->empty() && PictureTextWidth(*label) <= LabelRoom(piece, width)) return label;
    }
    return nullptr;
}

struct Bands {
    std::vector<double> width;  // each band
    std::vector<bool> lane;     // whether it has a lane for the numbers of its thin pieces
    double laneWidth = 0;
    double gap = kBreakGap;

    // The plot's width, bands apart.
    double Fixed(const Picture& picture) const {
        double total = 2 * kPlotEdge;
        for (size_t i = 0; i < lane.size(); ++i) {
            if (lane[i]) total += laneWidth;
            if (i > 0 && picture.columns[i - 1].to + 1 != picture.columns[i].from) total += gap;
        }
        return total;
    }
};

double Sum(const std::vector<double>& widths) {
    double sum = 0;
    for (const double width : widths) sum += width;
    return sum;
}

// Widths that keep the plot within `room`. Each band is as wide as its code label and the
// labels of its pieces need; else as its pieces' labels need, the code labels turned; else
// all are narrowed alike, and the pieces whose labels no longer fit get numbers on them. The
// bands of `lanes` have a lane beside them for the numbers of thin pieces; when even the lanes
// do not fit, those numbers go on the bands too.
Bands BandsWithin(const Picture& picture, const std::vector<double>& heights,
                  const std::vector<bool>& lanes, double room, int callouts) {
    const size_t count = picture.columns.size();
    Bands bands;
    bands.laneWidth = kLeader + MarkWidth(std::max(callouts, 1)) + 4;
    bands.lane = lanes;
    std::vector<double> forLabels(count, picture.minColumnWidth);
    for (size_t p = 0; p < picture.pieces.size(); ++p) {
        const PicturePiece& piece = picture.pieces[p];
        if (heights[p] < kLabelHeight) continue;
        const double need = [&] {
            const double full = PictureTextWidth(piece.label),
                         brief = PictureTextWidth(piece.shortLabel);
            return (full + kBandPadding <= kMostBandWidth ? full : brief) + kBandPadding +
                   (piece.hasStripe ? kStripeWidth + 4 : 4);
        }();
        forLabels[piece.column] = std::max(forLabels[piece.column], need);
    }
    std::vector<double> forCodes = forLabels;
    for (size_t i = 0; i < count; ++i) {
        const PictureColumn& column = picture.columns[i];
        forCodes[i] = std::max(
            forCodes[i], PictureTextWidth(CodeBandText(column.from, column.to)) + kBandPadding);
    }
    const double fixed = bands.Fixed(picture);
    for (const std::vector<double>* wanted : {&forCodes, &forLabels}) {
        if (Sum(*wanted) + fixed <= room) {
            bands.width = *wanted;
            return bands;
        }
    }
    constexpr double kNarrowest = 12;
    if (room - fixed >= kNarrowest * static_cast<double>(count)) {
        const double scale = (room - fixed) / Sum(forLabels);
        bands.width.clear();
        for (const double width : forLabels) bands.width.push_back(width * scale);
        return bands;
    }
    bands.lane.assign(count, false);
    bands.gap = kNarrowBreakGap;
    const double scale = std::max(room - bands.Fixed(picture), 0.0) / Sum(forLabels);
    bands.width.clear();
    for (const double width : forLabels) bands.width.push_back(width * scale);
    return bands;
}

// Where the number of a piece too thin for any label goes: just above it, or else just below
// it, where its band is free; NaN where neither is (its band then needs a lane).
std::vector<double> MarksNearby(const Picture& picture, const std::vector<double>& tops,
                                const std::vector<double>& heights, double plotTop,
                                double plotBottom) {
    std::vector<std::vector<std::pair<double, double>>> taken(picture.columns.size());
    for (size_t p = 0; p < picture.pieces.size(); ++p) {
        taken[picture.pieces[p].column].push_back({tops[p], tops[p] + heights[p]});
    }
    std::vector<double> y(picture.pieces.size(), std::numeric_limits<double>::quiet_NaN());
    for (size_t p = 0; p < picture.pieces.size(); ++p) {
        if (heights[p] >= kLabelHeight) continue;
        auto& column = taken[picture.pieces[p].column];
        const auto isFree = [&](double top) {
            if (top < plotTop || top + kMarkHeight > plotBottom) return false;
            return std::none_of(column.begin(), column.end(), [&](const auto& span) {
                return top < span.second && span.first < top + kMarkHeight;
            });
        };
        for (const double top : {tops[p] - 1 - kMarkHeight, tops[p] + heights[p] + 1}) {
            if (!isFree(top)) continue;
            y[p] = top;
            column.push_back({top - 1, top + kMarkHeight + 1});
            break;
        }
    }
    return y;
}

// Boxes of one band's callouts, each as near its piece's middle as the others leave room for,
// all within the plot.
void Spread(std::vector<CalloutMark>& marks, double top, double bottom) {
    std::sort(marks.begin(), marks.end(),
              [](const CalloutMark& a, const CalloutMark& b) { return a.toY < b.toY; });
    double next = top;
    for (CalloutMark& mark : marks) {
        mark.y = std::max(mark.toY - mark.height / 2, next);
        next = mark.y + mark.height + 2;
    }
    double limit = bottom;
    for (auto mark = marks.rbegin(); mark != marks.rend(); ++mark) {
        mark->y = std::min(mark->y, limit - mark->height);
        limit = mark->y - 2;
    }
}

}  // namespace

double PictureTextWidth(std::string_view utf8, double size) {
    double width = 0;
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '.' || c == ',' || c == ':' || c == ' ' || c == '(' || c == ')') {
            width += 0.35 * size;
        } else if (byte < 0x80) {
            width += 0.6 * size;
        } else if (byte >= 0xC0) {
            width += size;  // the lead byte of a code point beyond ASCII
        }
    }
    return width;
}

double DiameterAxis::Fraction(double value) const {
    const double clamped = std::clamp(value, low, high);
    return (clamped / 2 - low / 2) / (high / 2 - low / 2);
}

double PictureLayout::Y(double diameter) const {
    return plotBottom - axis.Fraction(diameter) * (plotBottom - plotTop);
}

double PictureLayout::X(const PictureColumn& column, size_t index, double code) const {
    const double span = static_cast<double>(column.to - column.from) + 1;
    return columnX[index] + (code - static_cast<double>(column.from)) / span * columnWidth[index];
}

PictureLayout LayOutPicture(const Picture& picture) {
    PictureLayout layout;
    layout.axis = AxisOf(picture);
    layout.plotLeft = kMargin + kAxisWidth;
    layout.plotTop = kMargin + kPictureHeadingSize + 8 +
                     kPictureLineHeight * (1.5 + static_cast<double>(picture.caption.size()));
    layout.plotBottom = layout.plotTop + kPlotHeight;

    // The legend beside the plot: its entries in up to two columns, then its notes.
    const size_t entries = picture.legend.size();
    const size_t legendColumns =
        std::max<size_t>(1, (entries + kMostLegendRows - 1) / kMostLegendRows);
    layout.legendRows = (entries + legendColumns - 1) / legendColumns;
    for (const PictureLegendEntry& entry : picture.legend) {
        layout.legendColumnWidth = std::max(layout.legendColumnWidth,
                                            kSwatchWidth + 8 + PictureTextWidth(entry.text) + 16);
    }
    double legendWidth = static_cast<double>(legendColumns) * layout.legendColumnWidth;
    for (const std::string& note : picture.legendNotes) {
        legendWidth = std::max(legendWidth, PictureTextWidth(note) + 8);
    }
    legendWidth =
        std::max(legendWidth, kSwatchWidth + 8 + PictureTextWidth("열린 끝 (초과, 미만)"));

    // The pieces' heights do not depend on the bands' widths.
    std::vector<double> tops, heights;
    for (const PicturePiece& piece : picture.pieces) {
        double top = layout.Y(piece.high), bottom = layout.Y(piece.low);
        if (bottom - top < kMinPieceHeight) {
            const double middle = (top + bottom) / 2;
            top = middle - kMinPieceHeight / 2;
            bottom = middle + kMinPieceHeight / 2;
        }
        tops.push_back(top);
        heights.push_back(bottom - top);
    }
    const double room = kMostPictureWidth - layout.plotLeft - 2 * kMargin - legendWidth - kMargin;
    const std::vector<double> nearby =
        MarksNearby(picture, tops, heights, layout.plotTop, layout.plotBottom);
    std::vector<bool> lanes(picture.columns.size(), false);
    for (size_t p = 0; p < picture.pieces.size(); ++p) {
        if (heights[p] < kLabelHeight && std::isnan(nearby[p]))
            lanes[picture.pieces[p].column] = true;
    }
    const Bands bands =
        BandsWithin(picture, heights, lanes, room, static_cast<int>(picture.pieces.size()));

    double x = layout.plotLeft + kPlotEdge;
    for (size_t i = 0; i < picture.columns.size(); ++i) {
        const PictureColumn& column = picture.columns[i];
        if (i > 0 && picture.columns[i - 1].to + 1 != column.from) {
            layout.breaks.push_back(
                {x + bands.gap / 2, picture.columns[i - 1].to + 1, column.from - 1});
            x += bands.gap;
        }
        layout.columnX.push_back(x);
        layout.columnWidth.push_back(bands.width[i]);
        x += bands.width[i] + (bands.lane[i] ? bands.laneWidth : 0);
        const double across = bands.width[i] + (bands.lane[i] ? bands.laneWidth : 0);
        if (PictureTextWidth(CodeBandText(column.from, column.to)) + 4 > across) {
            layout.codesTurned = true;
        }
    }
    if (picture.columns.empty()) x += PictureTextWidth(picture.emptyText) + 2 * kPlotEdge;
    layout.plotRight = x + kPlotEdge;

    // Each piece with its label, else its callout's number beside its band.
    std::vector<std::vector<CalloutMark>> marksOf(picture.columns.size());
    int callouts = 0;
    for (size_t p = 0; p < picture.pieces.size(); ++p) {
        const PicturePiece& piece = picture.pieces[p];
        const double bandX = layout.columnX[piece.column];
        const double bandWidth = layout.columnWidth[piece.column];
        PieceBox box;
        const double inset = bandWidth >= 8 ? 2 : 0;
        box.x = bandX + inset;
        box.width = bandWidth - 2 * inset;
        box.y = tops[p];
        box.height = heights[p];
        box.text = LabelThatFits(piece, box.width, box.height);
        if (!box.text) {
            box.callout = ++callouts;
            CalloutMark mark;
            mark.piece = p;
            mark.number = box.callout;
            mark.width = MarkWidth(box.callout);
            mark.height = kMarkHeight;
            mark.toY = box.y + box.height / 2;
            if (!std::isnan(nearby[p])) {
                // Just above or below the piece, where its band is free.
                mark.toX = box.x + box.width / 2;
                mark.x = mark.toX - mark.width / 2;
                mark.y = nearby[p];
                layout.callouts.push_back(mark);
            } else if (bands.lane[piece.column] && box.height < kLabelHeight) {
                mark.leader = true;
                mark.toX = box.x + box.width;
                mark.x = bandX + bandWidth + kLeader;
                marksOf[piece.column].push_back(mark);
            } else if (box.height >= kMarkHeight) {
                // On the piece itself, which is tall enough for it.
                mark.toX = box.x + box.width / 2;
                mark.x = mark.toX - mark.width / 2;
                mark.y = mark.toY - mark.height / 2;
                layout.callouts.push_back(mark);
            } else {
                mark.leader = true;
                mark.toX = box.x + box.width / 2;
                mark.x = mark.toX - mark.width / 2;
                marksOf[piece.column].push_back(mark);
            }
        }
        layout.pieces.push_back(box);
    }
    for (std::vector<CalloutMark>& marks : marksOf) {
        Spread(marks, layout.plotTop, layout.plotBottom);
        layout.callouts.insert(layout.callouts.end(), marks.begin(), marks.end());
    }
    std::sort(layout.callouts.begin(), layout.callouts.end(),
              [](const CalloutMark& a, const CalloutMark& b) { return a.number < b.number; });

    layout.legendLeft = layout.plotRight + 2 * kMargin;
    layout.width = layout.legendLeft + legendWidth + kMargin;
    for (const std::string& line : picture.caption) {
        layout.width = std::max(layout.width, 2 * kMargin + PictureTextWidth(line));
    }
    layout.notesTop =
        layout.plotTop + kPictureLineHeight * (2.8 + static_cast<double>(layout.legendRows));

    // Under the plot: the codes, the axis title, then the callouts' list in columns.
    double codesHeight = kPictureLineHeight;
    if (layout.codesTurned) {
        double longest = 0;
        for (const PictureColumn& column : picture.columns) {
            longest = std::max(longest, PictureTextWidth(CodeBandText(column.from, column.to)));
        }
        codesHeight = longest + 8;
    }
    layout.codeAxisTitleY = layout.plotBottom + codesHeight + kPictureLineHeight * 1.2;
    // The notes, those PictureSvg adds and the two ends' lines.
    const double notesBottom =
        layout.notesTop +
        kPictureLineHeight * (static_cast<double>(picture.legendNotes.size()) + 4.5);
    // The list spans the picture's width, so it starts below the legend's notes too.
    layout.calloutListTop = std::max(layout.codeAxisTitleY + kPictureLineHeight * 0.8, notesBottom);
    double listHeight = 0;
    if (callouts > 0) {
        for (const PicturePiece& piece : picture.pieces) {
            layout.calloutColumnWidth =
                std::max(layout.calloutColumnWidth,
                         MarkWidth(callouts) + 8 + PictureTextWidth(piece.callout) + 24);
        }
        const double across = layout.width - 2 * kMargin;
        const auto columns =
            static_cast<size_t>(std::max(1.0, std::floor(across / layout.calloutColumnWidth)));
        layout.calloutRows = (static_cast<size_t>(callouts) + columns - 1) / columns;
        layout.width = std::max(
            layout.width, std::min(kMostPictureWidth, 2 * kMargin + layout.calloutColumnWidth));
        listHeight = kPictureLineHeight * (1.5 + static_cast<double>(layout.calloutRows));
    }
    layout.height = std::max(layout.calloutListTop + listHeight, notesBottom) + kMargin;
    // The plot and legend are laid out within the bound; only a caption (a file name) that is
    // longer still is cut at the edge, as the picture's title names the file in full.
    layout.width = std::min(std::ceil(layout.width), kMostPictureWidth);
    return layout;
}
