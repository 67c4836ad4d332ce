// Where each part of a rule picture goes, apart from how PictureSvg draws it: the code bands
// across (each as wide as its texts need, narrowed to keep the picture within
// kMostPictureWidth), the gaps of codes without rules between them drawn narrow with a break
// mark, each piece with its new diameter written on it where that fits and else a numbered
// callout beside its band and in the list under the picture, and the legend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/PictureModel.h"

// No text of a picture is smaller than this (px); headings are larger.
inline constexpr double kPictureTextSize = 14;
inline constexpr double kPictureHeadingSize = 18;
inline constexpr double kPictureLineHeight = 21;
inline constexpr double kMostPictureWidth = 1800;

// The width a text of `size` px takes in the common Korean fonts, a little more than they
// draw: Latin characters 0.6 em, points, commas, colons, blanks and brackets 0.35 em, Hangul and
// other characters beyond ASCII 1 em.
double PictureTextWidth(std::string_view utf8, double size = kPictureTextSize);

// The input diameter axis: linear over the finite bounds the picture shows, with a margin.
// Positions are worked out on halves, so that even the widest doubles give finite spans.
struct DiameterAxis {
    double low = 0, high = 10;

    double Fraction(double value) const;
};

struct PieceBox {
    double x = 0, y = 0, width = 0, height = 0;
    const std::string* text = nullptr;  // written on the piece; null when it has a callout
    int callout = 0;                    // its number in the list of callouts, from 1; 0: none
};

// A callout's number in a box: on its piece, just above or below it, or in a lane beside the
// band with a line to it.
struct CalloutMark {
    size_t piece = 0;
    int number = 0;
    double x = 0, y = 0, width = 0, height = 0;
    double toX = 0, toY = 0;  // the piece's point the number stands for
    bool leader = false;      // drawn with a line to that point, as it is not beside the piece
};

// Codes without rules between two bands, shown as a narrow gap with a break mark.
struct CodeBreak {
    double x = 0;  // the middle of the gap
    int64_t from = 0, to = 0;
};

struct PictureLayout {
    double width = 0, height = 0;
    double plotLeft = 0, plotTop = 0, plotRight = 0, plotBottom = 0;
    DiameterAxis axis;
    std::vector<double> columnX, columnWidth;  // each band, its callout lane apart
    std::vector<PieceBox> pieces;              // as Picture::pieces
    std::vector<CalloutMark> callouts;
    std::vector<CodeBreak> breaks;
    bool codesTurned = false;  // the code labels read upwards, as some do not fit across
    double codeAxisTitleY = 0;
    double legendLeft = 0;
    size_t legendRows = 0;  // entries per legend column
    double legendColumnWidth = 0;
    double notesTop = 0;
    double calloutListTop = 0;
    size_t calloutRows = 0;  // entries per column of the list
    double calloutColumnWidth = 0;

    double Y(double diameter) const;
    // Where a code falls across its band, so that part of a band can be shown.
    double X(const PictureColumn& column, size_t index, double code) const;
};

PictureLayout LayOutPicture(const Picture& picture);
