// The content of a rule picture, apart from how it is drawn: code bands across, one piece per
// interval of input diameters with the diameter it becomes, the disabled rules' outlines, and
// the words of its heading, caption and legend. The rectangles carry their numbers as data-*
// attributes written as the JSON reports write them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/RuleAnalysis.h"
#include "workbench/RuleDiff.h"

// A rule file as the picture names it: its name and a time the caller chose to show
// (usually when the file was last written).
struct PictureSource {
    std::string name;
    std::string time;
};

struct PictureColumn {
    int64_t from, to;
    bool hasPieces;
};

struct PictureAttribute {
    std::string name, value;
};

struct PicturePiece {
    size_t column = 0;
    double low = 0, high = 0;
    int rule = 0;  // whose colour fills it: the rule that wrote the result; 0: the step stays
    bool hasStripe = false;  // a diff piece: the stripe shows what the old table did
    int stripeRule = 0;      // the old table's rule that wrote its result; 0: the step stayed
    bool chained = false;
    // What it becomes, written on it where it fits (`label`, else `shortLabel`), else in the
    // list of callouts under the picture (`callout`, which also says where the piece is).
    std::string label, shortLabel, callout, title;
    std::vector<PictureAttribute> data;
};

// One rule in the legend, by its number: its swatch and what it writes.
struct PictureLegendEntry {
    int rule = 0;
    std::string text;
};

// A disabled rule's ranges.
struct PictureOutline {
    int64_t codeFrom, codeTo;
    double low, high;
    std::string title;
};

struct Picture {
    std::string heading;
    std::vector<std::string> caption;
    std::string emptyText;  // shown when there is no piece
    std::vector<PictureColumn> columns;
    std::vector<PicturePiece> pieces;
    std::vector<PictureOutline> outlines;
    std::vector<PictureLegendEntry> legend;  // every rule that colours a piece, by number
    std::vector<std::string> legendNotes;
    double minColumnWidth = 44;  // a band's least width; a diff piece's label names two results
};

// "101" or "101 ~ 199".
std::string CodeBandText(int64_t from, int64_t to);

// `map` is MapRules(table); the table itself gives the disabled rules and the rule texts.
Picture MapPicture(const RuleTable& table, const std::vector<MapSegment>& map,
                   const PictureSource& source);

// `diff` is DiffRules(before, after).
Picture DiffPicture(const RuleTable& beforeTable, const RuleTable& afterTable,
                    const std::vector<DiffSegment>& diff, const PictureSource& before,
                    const PictureSource& after);
