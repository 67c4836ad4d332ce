// The pictures read at a glance: swatches told apart (also by colour-blind readers), every
// piece's new diameter on it or in a numbered callout, no text under 14 px, a bounded width
// with gaps of codes drawn narrow behind a break mark, and a diff piece that says what it
// becomes.
#include "workbench/PictureLayout.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

#include "RandomTables.h"
#include "platform/LegacyCodePage.h"
#include "rules/RuleFileFormat.h"
#include "workbench/MapPicture.h"
#include "workbench/RulePalette.h"

namespace {

// ---- Colour difference under normal sight and simulated colour blindness -----------------

using Vec3 = std::array<double, 3>;

double Linear(uint8_t channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// Full protanopia, deuteranopia and tritanopia on linear RGB (Machado, Oliveira and Fernandes,
// 2009), and normal sight.
constexpr std::array<std::array<Vec3, 3>, 4> kSights{{
    {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
    {{{0.152286, 1.052583, -0.204868},
      {0.114503, 0.786281, 0.099216},
      {-0.003882, -0.048116, 1.051998}}},
    {{{0.367322, 0.860646, -0.227968},
      {0.280085, 0.672501, 0.047413},
      {-0.011820, 0.042940, 0.968881}}},
    {{{1.255528, -0.076749, -0.178779},
      {-0.078411, 0.930809, 0.147602},
      {0.004733, 0.691367, 0.303900}}},
}};

Vec3 Lab(Rgb colour, size_t sight) {
    const Vec3 in{Linear(colour.r), Linear(colour.g), Linear(colour.b)};
    Vec3 rgb{};
    for (size_t i = 0; i < 3; ++i) {
        for (size_t j = 0; j < 3; ++j) rgb[i] += kSights[sight][i][j] * in[j];
        rgb[i] = std::clamp(rgb[i], 0.0, 1.0);
    }
    const double x = (0.4124 * rgb[0] + 0.3576 * rgb[1] + 0.1805 * rgb[2]) / 0.95047;
    const double y = 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
    const double z = (0.0193 * rgb[0] + 0.1192 * rgb[1] + 0.9505 * rgb[2]) / 1.08883;
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// The least difference (CIE76) of two colours over the four sights.
double LeastDifference(Rgb one, Rgb two) {
    double least = INFINITY;
    for (size_t sight = 0; sight < kSights.size(); ++sight) {
        const Vec3 a = Lab(one, sight), b = Lab(two, sight);
        least = std::min(least, std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]));
    }
    return least;
}

double Luminance(Rgb colour) {
    return 0.2126 * Linear(colour.r) + 0.7152 * Linear(colour.g) + 0.0722 * Linear(colour.b);
}

// Far beyond a just noticeable difference (about 2.3): seen at once, not only side by side.
constexpr double kDistinct = 15;

TEST(RulePalette, FortyNineSwatchesDifferInPatternOrClearlyInColourForEverySight) {
    std::set<std::string> seen;
    for (int one = 1; one <= kSwatchCount; ++one) {
        const RuleSwatch a = SwatchOfRule(one);
        seen.insert(HexColour(a.colour) + std::to_string(static_cast<int>(a.pattern)));
        // Never taken for white, the step left as it is.
        EXPECT_GE(LeastDifference(a.colour, {255, 255, 255}), kDistinct) << one;
        // The pattern's ink stands out from its colour (contrast ratio).
        const double light = std::max(Luminance(a.colour), Luminance(a.ink));
        const double dark = std::min(Luminance(a.colour), Luminance(a.ink));
        EXPECT_GE((light + 0.05) / (dark + 0.05), 2.5) << one;
        for (int two = one + 1; two <= kSwatchCount; ++two) {
            const RuleSwatch b = SwatchOfRule(two);
            if (a.pattern != b.pattern) continue;
            EXPECT_GE(LeastDifference(a.colour, b.colour), kDistinct) << one << " " << two;
        }
    }
    EXPECT_EQ(seen.size(), size_t{kSwatchCount});
    EXPECT_EQ(HexColour(SwatchOfRule(50).colour), HexColour(SwatchOfRule(1).colour));
    EXPECT_EQ(SwatchOfRule(50).pattern, SwatchOfRule(1).pattern);
}

// ---- Layout ---------------------------------------------------------------------------------

RuleTable SampleTable(const char* name) {
    std::ifstream in(std::string(QUILLET_SOURCE_DIR) + "/" + name, std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    RuleTable table;
    DecodeRuleFile({data, bytes.size()}, table, SystemCodePageDecoder());
    return table;
}

// 49 rules of one code each, far apart, and a few of thin diameter ranges: as many bands and
// gaps as a table can have.
RuleTable WidestTable() {
    RuleTable table;
    for (int n = 1; n <= RuleTable::kCapacity; ++n) {
        const std::string code = std::to_string(1000 * n);
        const std::string low = std::to_string(n % 7 + 1) + ".0";
        table.Append({1, RuleText(code.begin(), code.end()), u"", RuleText(low.begin(), low.end()),
                      n % 3 == 0 ? u"" : u"9.5", u"12.25"});
    }
    return table;
}

// Every piece has its new diameter on it, fitting, or a callout numbered in order whose box
// stays within the plot and off the other callouts of its band; breaks lie in the gaps
// between bands whose codes do not touch; the picture stays within the bound.
void ExpectReadable(const Picture& picture, const std::string& what) {
    const PictureLayout layout = LayOutPicture(picture);
    SCOPED_TRACE(what);
    EXPECT_LE(layout.width, kMostPictureWidth);
    ASSERT_EQ(layout.pieces.size(), picture.pieces.size());
    int callouts = 0;
    for (size_t p = 0; p < picture.pieces.size(); ++p) {
        const PieceBox& box = layout.pieces[p];
        const PicturePiece& piece = picture.pieces[p];
        if (box.text) {
            EXPECT_EQ(box.callout, 0);
            EXPECT_TRUE(box.text == &piece.label || box.text == &piece.shortLabel);
            EXPECT_LE(PictureTextWidth(*box.text) + (piece.hasStripe ? 12 : 4), box.width) << p;
            EXPECT_GE(box.height, kPictureTextSize) << p;
        } else {
            EXPECT_EQ(box.callout, ++callouts) << p;
            EXPECT_FALSE(piece.callout.empty()) << p;
        }
    }
    ASSERT_EQ(layout.callouts.size(), size_t(callouts));
    for (size_t i = 0; i < layout.callouts.size(); ++i) {
        const CalloutMark& mark = layout.callouts[i];
        EXPECT_EQ(mark.number, int(i) + 1);
        EXPECT_EQ(layout.pieces[mark.piece].callout, mark.number);
        EXPECT_GE(mark.y, layout.plotTop - 0.01) << mark.number;
        EXPECT_LE(mark.y + mark.height, layout.plotBottom + 0.01) << mark.number;
        for (size_t j = 0; j < i; ++j) {
            const CalloutMark& other = layout.callouts[j];
            const bool apart = mark.x >= other.x + other.width || other.x >= mark.x + mark.width ||
                               mark.y >= other.y + other.height || other.y >= mark.y + mark.height;
            EXPECT_TRUE(apart) << mark.number << " over " << other.number;
        }
    }
    size_t gaps = 0;
    for (size_t i = 1; i < picture.columns.size(); ++i) {
        if (picture.columns[i - 1].to + 1 == picture.columns[i].from) continue;
        ASSERT_LT(gaps, layout.breaks.size());
        const CodeBreak& mark = layout.breaks[gaps++];
        EXPECT_EQ(mark.from, picture.columns[i - 1].to + 1);
        EXPECT_EQ(mark.to, picture.columns[i].from - 1);
        EXPECT_GT(mark.x, layout.columnX[i - 1] + layout.columnWidth[i - 1]);
        EXPECT_LT(mark.x, layout.columnX[i]);
        EXPECT_LE(layout.columnX[i] - mark.x, 10.01);  // narrow however many codes it leaves out
    }
    EXPECT_EQ(layout.breaks.size(), gaps);
}

TEST(PictureLayout, EveryPieceIsLabelledOrCalledOutWithinTheWidthBound) {
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        RandomTables random(seed);
        const RuleTable table = random.Table();
        const RuleTable after = random.Edited(table);
        ExpectReadable(MapPicture(table, MapRules(table), {"a", ""}),
                       "map " + std::to_string(seed));
        ExpectReadable(DiffPicture(table, after, DiffRules(table, after), {"a", ""}, {"b", ""}),
                       "diff " + std::to_string(seed));
    }
    const RuleTable widest = WidestTable();
    const Picture wide = MapPicture(widest, MapRules(widest), {"a", ""});
    ExpectReadable(wide, "49 bands");
    EXPECT_EQ(LayOutPicture(wide).breaks.size(), 48u);

    // The 30-rule sample: the bands keep room for the labels of the pieces tall enough.
    const RuleTable sample = SampleTable("samples/shop-30-rules.def");
    ASSERT_EQ(sample.count(), 30);
    const Picture map = MapPicture(sample, MapRules(sample), {"a", ""});
    ExpectReadable(map, "30 rules");
    const PictureLayout layout = LayOutPicture(map);
    for (size_t p = 0; p < map.pieces.size(); ++p) {
        if (layout.pieces[p].height >= kPictureTextSize + 2) {
            EXPECT_NE(layout.pieces[p].text, nullptr) << map.pieces[p].callout;
        }
    }
    EXPECT_EQ(layout.breaks.size(), 7u);
}

// The legend lists by number the rules whose colour is on a piece: the rule that wrote the
// result, the last of a chain; a diff's stripe is the old table's.
TEST(PictureLayout, LegendIsKeyedByTheRulesThatColourPieces) {
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        RandomTables random(seed);
        const RuleTable table = random.Table();
        const RuleTable after = random.Edited(table);
        std::vector<int> expected;
        std::set<int> colouring;
        for (const MapSegment& segment : MapRules(table)) {
            for (const MapChange& change : segment.changes) expected.push_back(change.rules.back());
        }
        const Picture map = MapPicture(table, MapRules(table), {"a", ""});
        std::vector<int> drawn;
        for (const PicturePiece& piece : map.pieces) drawn.push_back(piece.rule);
        EXPECT_EQ(drawn, expected) << seed;
        colouring.insert(expected.begin(), expected.end());
        std::vector<int> legend;
        for (const PictureLegendEntry& entry : map.legend) {
            legend.push_back(entry.rule);
            EXPECT_TRUE(entry.text.starts_with("규칙 " + std::to_string(entry.rule) + " →"));
        }
        EXPECT_EQ(legend, std::vector<int>(colouring.begin(), colouring.end())) << seed;

        colouring.clear();
        const Picture diff =
            DiffPicture(table, after, DiffRules(table, after), {"a", ""}, {"b", ""});
        for (const PicturePiece& piece : diff.pieces) {
            for (const int rule : {piece.rule, piece.stripeRule}) {
                if (rule != 0) colouring.insert(rule);
            }
        }
        legend.clear();
        for (const PictureLegendEntry& entry : diff.legend) legend.push_back(entry.rule);
        EXPECT_EQ(legend, std::vector<int>(colouring.begin(), colouring.end())) << seed;
    }
}

// A diff piece says what it becomes, also when that is "left as it is", and says it on the
// piece or in its callout.
TEST(PictureLayout, DiffPiecesSayWhatTheyBecome) {
    const RuleTable before = SampleTable("samples/Quillet.def");
    const RuleTable after = SampleTable("docs/Quillet-changed.def");
    const std::vector<DiffSegment> diff = DiffRules(before, after);
    const Picture picture = DiffPicture(before, after, diff, {"a", ""}, {"b", ""});
    const PictureLayout layout = LayOutPicture(picture);
    std::vector<std::string> said;
    for (size_t p = 0; p < picture.pieces.size(); ++p) {
        const PicturePiece& piece = picture.pieces[p];
        said.push_back(layout.pieces[p].text ? *layout.pieces[p].text : piece.callout);
    }
    ASSERT_EQ(said.size(), 5u);
    const std::vector<std::string> becomes = {"→ 8", "→ 10.4", "→ 10.4", "→ 그대로", "→ 10"};
    for (size_t p = 0; p < said.size(); ++p) {
        EXPECT_TRUE(said[p].ends_with(becomes[p])) << said[p];
        EXPECT_TRUE(picture.pieces[p].callout.ends_with(picture.pieces[p].label)) << p;
    }
    EXPECT_EQ(picture.pieces[3].label, "5 → 그대로");
    EXPECT_EQ(picture.pieces[3].rule, 0);
    EXPECT_EQ(picture.pieces[3].stripeRule, 4);
}

// No text is drawn smaller than 14 px: the document's size, and every size an element sets.
TEST(PictureLayout, NoTextIsSmallerThanFourteenPixels) {
    static const std::regex kSize(R"re(font-size="([0-9.]+)")re");
    std::vector<std::string> pictures;
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        RandomTables random(seed);
        const RuleTable table = random.Table();
        const RuleTable after = random.Edited(table);
        pictures.push_back(MapPictureSvg(table, MapRules(table), {"a", "b"}));
        pictures.push_back(
            DiffPictureSvg(table, after, DiffRules(table, after), {"a", ""}, {"b", ""}));
    }
    const RuleTable sample = SampleTable("samples/shop-30-rules.def");
    pictures.push_back(MapPictureSvg(sample, MapRules(sample), {"a", ""}));
    for (const std::string& svg : pictures) {
        size_t sizes = 0;
        for (std::sregex_iterator at(svg.begin(), svg.end(), kSize), end; at != end; ++at) {
            ++sizes;
            EXPECT_GE(std::stod((*at)[1]), kPictureTextSize) << (*at)[0];
        }
        EXPECT_GE(sizes, 2u);  // the document's and the heading's
        EXPECT_NE(svg.find("font-size=\"14.0\">"), std::string::npos);  // on <svg>
    }
}

}  // namespace
