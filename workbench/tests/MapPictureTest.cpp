// The pictures as XML: well-formed, self-contained, one rectangle per piece with its numbers.
#include "platform/SystemFilePort.h"
#include "workbench/MapPicture.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <regex>
#include <sstream>

#include "RandomTables.h"
#include "platform/TextEncoding.h"
#include "rules/RuleFileFormat.h"
#include "workbench/Json.h"
#include "workbench/Workbench.h"

namespace fs = std::filesystem;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;   // the character data directly inside
    std::string title;  // the text of the <title> inside
};

std::string Decoded(std::string text) {
    for (const auto& [entity, character] : {std::pair{"&lt;", "<"},
                                            {"&gt;", ">"},
                                            {"&quot;", "\""},
                                            {"&apos;", "'"},
                                            {"&amp;", "&"}}) {
        for (size_t at = text.find(entity); at != text.npos; at = text.find(entity, at + 1)) {
            text.replace(at, std::string_view(entity).size(), character);
        }
    }
    return text;
}

// The elements in document order; nothing when the document is not well-formed XML (of the
// kind these pictures are: a declaration, elements, double-quoted attributes, text and the
// predefined entities).
std::optional<std::vector<Element>> ParseXml(const std::string& xml) {
    static const std::regex kTag(R"re(<(/?)([\w:-]+)((?:\s+[\w:-]+="[^"<]*")*)\s*(/?)>)re");
    static const std::regex kAttribute(R"re(([\w:-]+)="([^"]*)")re");
    static const std::regex kBadReference(R"(&(?!(lt|gt|amp|quot|apos);))");
    if (!xml.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>")) return std::nullopt;
    std::vector<Element> elements;
    std::vector<size_t> open;
    int roots = 0;
    for (auto at = xml.cbegin() + static_cast<long>(xml.find("?>") + 2); at != xml.cend();) {
        const auto tagStart = std::find(at, xml.cend(), '<');
        const std::string text(at, tagStart);
        if (std::regex_search(text, kBadReference)) return std::nullopt;
        if (open.empty() && text.find_first_not_of(" \n") != text.npos) return std::nullopt;
        if (!open.empty()) elements[open.back()].text += Decoded(text);
        std::smatch tag;
        if (tagStart == xml.cend()) break;
        if (!std::regex_search(tagStart, xml.cend(), tag, kTag,
                               std::regex_constants::match_continuous)) {
            return std::nullopt;
        }
        at = tag[0].second;
        if (tag[1].length() > 0) {
            if (open.empty() || elements[open.back()].name != tag[2]) return std::nullopt;
            if (tag[2] == "title" && open.size() > 1) {
                elements[open[open.size() - 2]].title = elements[open.back()].text;
            }
            open.pop_back();
            continue;
        }
        if (open.empty() && roots++ > 0) return std::nullopt;
        Element element{tag[2], {}, {}, {}};
        const std::string attributes = tag[3];
        for (std::sregex_iterator a(attributes.begin(), attributes.end(), kAttribute), end;
             a != end; ++a) {
            if (std::regex_search((*a)[2].str(), kBadReference) ||
                !element.attributes.emplace((*a)[1], Decoded((*a)[2])).second) {
                return std::nullopt;
            }
        }
        elements.push_back(std::move(element));
        if (tag[4].length() == 0) open.push_back(elements.size() - 1);
    }
    if (!open.empty() || roots != 1) return std::nullopt;
    return elements;
}

// Well-formed UTF-8 XML that names nothing outside itself.
std::vector<Element> SelfContained(const std::string& svg) {
    EXPECT_TRUE(Utf16FromUtf8Strict(svg, SurrogateForm::Replaced).has_value());
    std::string lower = svg;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* outside : {"<script", "href", "url(", "@import", "<image", "<foreignobject"}) {
        EXPECT_EQ(lower.find(outside), lower.npos) << outside;
    }
    const size_t xmlns = lower.find("xmlns=\"http://www.w3.org/2000/svg\"");
    EXPECT_EQ(lower.find("http"), xmlns + 7);
    EXPECT_EQ(lower.find("http", xmlns + 8), lower.npos);
    std::optional<std::vector<Element>> elements = ParseXml(svg);
    EXPECT_TRUE(elements.has_value()) << svg;
    return elements.value_or(std::vector<Element>{});
}

std::vector<Element> Rects(const std::vector<Element>& elements, std::string_view cls) {
    std::vector<Element> rects;
    for (const Element& element : elements) {
        const auto found = element.attributes.find("class");
        if (element.name == "rect" && found != element.attributes.end() && found->second == cls) {
            rects.push_back(element);
        }
    }
    return rects;
}

// The named attributes' values, space-separated ("-" for a missing one).
std::string Values(const Element& rect, std::initializer_list<const char*> names) {
    std::string text;
    for (const char* name : names) {
        const auto found = rect.attributes.find(name);
        text += (found == rect.attributes.end() ? "-" : found->second) + " ";
    }
    return text;
}

TEST(MapPicture, HoldsOneRectanglePerPieceWithTheNumbersTheJsonReportWrites) {
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        RandomTables random(seed);
        const RuleTable table = random.Table();
        const RuleTable after = random.Edited(table);
        std::vector<std::string> expected, drawn;
        for (const MapSegment& s : MapRules(table)) {
            for (const MapChange& c : s.changes) {
                std::string rules;
                for (const int rule : c.rules)
                    rules += (rules.empty() ? "" : " ") + std::to_string(rule);
                expected.push_back(std::to_string(s.codeFrom) + " " + std::to_string(s.codeTo) +
                                   " " + ShortestNumber(c.low) + " " + ShortestNumber(c.high) +
                                   " " + ShortestNumber(c.result) + " " + rules + " " +
                                   (c.rules.size() > 1 ? "연쇄" : "-"));
            }
        }
        for (const Element& rect :
             Rects(SelfContained(MapPictureSvg(table, MapRules(table), {"q.def", ""})), "piece")) {
            drawn.push_back(Values(rect, {"data-code-from", "data-code-to", "data-low", "data-high",
                                          "data-result"}) +
                            rect.attributes.at("data-rules") +
                            (rect.title.find("연쇄") != std::string::npos ? " 연쇄" : " -"));
        }
        EXPECT_EQ(drawn, expected) << seed;

        const std::vector<DiffSegment> diff = DiffRules(table, after);
        expected.clear();
        drawn.clear();
        for (const DiffSegment& s : diff) {
            for (const DiffChange& c : s.changes) {
                const auto result = [](const StepOutcome& o) {
                    return o.changed ? ShortestNumber(o.result) : "-";
                };
                expected.push_back(std::to_string(s.codeFrom) + " " + ShortestNumber(c.low) + " " +
                                   ShortestNumber(c.high) + " " + result(c.before) + " " +
                                   result(c.after) + " ");
            }
        }
        for (const Element& rect :
             Rects(SelfContained(DiffPictureSvg(table, after, diff, {"a", ""}, {"b", ""})),
                   "piece")) {
            drawn.push_back(Values(rect, {"data-code-from", "data-low", "data-high",
                                          "data-old-result", "data-new-result"}));
        }
        EXPECT_EQ(drawn, expected) << seed;
    }
}

TEST(MapPicture, EscapesRuleTextsAndTheFileName) {
    RuleTable table;
    table.Append({1, u"101", u"120", u"8.1", u"8.99<&\"'", u"8.5"});
    table.Append({1, u"115", u"120", u"8.5", u"", u"8.6"});
    table.Append({0, u"301", u"", u"9.9", u"10.1", u"10<&\"'\u0001"});
    const std::string name = "a<&\"b'.def";
    const std::vector<Element> elements =
        SelfContained(MapPictureSvg(table, MapRules(table), {name, "2024-05-01 12:34 UTC"}));
    ASSERT_FALSE(elements.empty());
    EXPECT_NE(elements[0].attributes.at("font-family").find("NanumGothic"), std::string::npos);
    EXPECT_NE(elements[0].title.find(name), std::string::npos);
    const auto pieces = Rects(elements, "piece");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_NE(pieces[1].title.find("연쇄: 규칙 1 → 규칙 2"), std::string::npos) << pieces[1].title;
    EXPECT_NE(pieces[1].title.find("\"8.99<&\"'\""), std::string::npos) << pieces[1].title;
    const auto disabled = Rects(elements, "disabled-rule");
    ASSERT_EQ(disabled.size(), 1u);
    EXPECT_NE(disabled[0].title.find("\"10<&\"'\xEF\xBF\xBD\""), std::string::npos);
}

TEST(MapPicture, DiameterIntervalNamesEachEndByItsShorterForm) {
    const struct {
        double low, high;
        const char* text;
    } cases[] = {
        {8.1, 8.99, "8.1 이상 8.99 이하"},
        {std::nextafter(8.99, kInf), std::nextafter(9.5, 0.0), "8.99 초과 9.5 미만"},
        {8.5, 8.5, "8.5"},
        {-kInf, 0.0, "0 이하"},
        {5e-324, kInf, "0 초과"},
        {std::numeric_limits<double>::max(), kInf, "1.7976931348623157e+308 이상"},
    };
    for (const auto& c : cases) EXPECT_EQ(DiameterInterval(c.low, c.high), c.text);
}

TEST(MapPicture, MapWritesThePictureBesideTheInputAndNeverOverIt) {
    std::string pattern = (fs::temp_directory_path() / "map-picture-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const fs::path folder = pattern;
    const std::string rules = (folder / "Quillet.def").string();
    const std::string picture = (folder / "지도.svg").string();
    RuleTable table;
    table.Append({1, u"101", u"120", u"8.1", u"8.99", u"8.5"});
    const std::string bytes = EncodeRuleFile(table);
    std::ofstream(rules, std::ios::binary) << bytes;
    using namespace std::chrono;
    const sys_seconds written = sys_days{2024y / May / 1} + 12h + 34min;
    fs::last_write_time(rules, fs::file_time_type(file_clock::from_sys(written)));
    const auto run = [](std::vector<std::string> args) {
        std::ostringstream out, err;
        SystemFilePort files;
        return RunWorkbench(args, out, err, files);
    };

    ASSERT_EQ(run({"map", rules, "--svg", picture}), kExitClean);
    std::ifstream in(picture, std::ios::binary);
    const std::string svg(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(Rects(SelfContained(svg), "piece").size(), 1u);
    EXPECT_NE(svg.find("Quillet.def (2024-05-01 12:34 UTC)"), std::string::npos);

    EXPECT_EQ(run({"map", rules, "--svg", rules}), kExitFileFailed);
    EXPECT_EQ(run({"diff", rules, picture, "--svg", rules}), kExitFileFailed);
    EXPECT_EQ(run({"map", rules, "--svg", (folder / "none" / "x.svg").string()}), kExitFileFailed);
    EXPECT_EQ(run({"check", rules, "--svg", picture}), kExitUsage);
    std::ifstream again(rules, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(again), {}), bytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 2);
    fs::remove_all(folder);
}

}  // namespace
