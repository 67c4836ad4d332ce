// The pictures as XML: well-formed, self-contained, one rectangle per piece with its numbers.
#include "workbench/MapPicture.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <optional>
#include <sstream>

#include "RandomTables.h"
#include "rules/RuleFileFormat.h"
#include "rules/TextEncoding.h"
#include "workbench/Json.h"
#include "workbench/Workbench.h"

namespace fs = std::filesystem;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;  // the character data directly inside, entities decoded
};

// Appends `raw` with its references decoded; false on a bare '<' or '&' or an unknown entity.
bool Decode(std::string_view raw, std::string& out) {
    static const std::map<std::string_view, std::string_view> kEntities = {
        {"lt", "<"}, {"gt", ">"}, {"amp", "&"}, {"quot", "\""}, {"apos", "'"}};
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '<') return false;
        if (raw[i] != '&') {
            out.push_back(raw[i]);
            continue;
        }
        const size_t end = raw.find(';', i);
        if (end == raw.npos || !kEntities.contains(raw.substr(i + 1, end - i - 1))) return false;
        out += kEntities.at(raw.substr(i + 1, end - i - 1));
        i = end;
    }
    return true;
}

// The elements in document order; nothing when the document is not well-formed XML (only
// what these pictures use: a declaration, elements, attributes, text).
std::optional<std::vector<Element>> ParseXml(std::string_view xml) {
    if (!xml.starts_with("<?xml") || xml.find("?>") == xml.npos) return std::nullopt;
    size_t at = xml.find("?>") + 2;
    std::vector<Element> elements;
    std::vector<size_t> open;
    int roots = 0;
    const auto name = [&] {
        const size_t start = at;
        while (at < xml.size() && (std::isalnum(static_cast<unsigned char>(xml[at])) ||
                                   xml[at] == '-' || xml[at] == ':')) {
            ++at;
        }
        return std::string(xml.substr(start, at - start));
    };
    const auto skipBlanks = [&] {
        while (at < xml.size() && std::isspace(static_cast<unsigned char>(xml[at]))) ++at;
    };
    while (at < xml.size()) {
        const size_t next = std::min(xml.find('<', at), xml.size());
        std::string text;
        if (!Decode(xml.substr(at, next - at), text)) return std::nullopt;
        if (open.empty() && text.find_first_not_of(" \n") != text.npos) return std::nullopt;
        if (!open.empty()) elements[open.back()].text += text;
        at = next + 1;
        if (next == xml.size()) break;
        if (xml.substr(next, 2) == "</") {
            ++at;
            if (open.empty() || name() != elements[open.back()].name) return std::nullopt;
            skipBlanks();
            if (at >= xml.size() || xml[at++] != '>') return std::nullopt;
            open.pop_back();
            continue;
        }
        Element element{name(), {}, {}};
        if (element.name.empty() || (open.empty() && roots++ > 0)) return std::nullopt;
        for (;;) {
            skipBlanks();
            if (xml.substr(at, 2) == "/>" || xml.substr(at, 1) == ">") break;
            const std::string key = name();
            if (key.empty() || xml.substr(at, 1) != "=" || at + 1 >= xml.size())
                return std::nullopt;
            const char quote = xml[at + 1];
            const size_t close = xml.find(quote, at + 2);
            if ((quote != '"' && quote != '\'') || close == xml.npos) return std::nullopt;
            std::string value;
            if (!Decode(xml.substr(at + 2, close - at - 2), value)) return std::nullopt;
            if (!element.attributes.emplace(key, value).second) return std::nullopt;
            at = close + 1;
        }
        const bool empty = xml[at] == '/';
        at += empty ? 2 : 1;
        elements.push_back(std::move(element));
        if (!empty) open.push_back(elements.size() - 1);
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
    const std::string xmlns = "xmlns=\"http://www.w3.org/2000/svg\"";
    EXPECT_EQ(lower.find("http"), lower.find(xmlns) + 7);
    EXPECT_EQ(lower.find("http", lower.find(xmlns) + xmlns.size()), lower.npos);
    std::optional<std::vector<Element>> elements = ParseXml(svg);
    EXPECT_TRUE(elements.has_value()) << svg;
    return elements.value_or(std::vector<Element>{});
}

// The rectangles of class `cls` and the title inside each.
std::vector<std::pair<Element, std::string>> Rects(const std::vector<Element>& elements,
                                                   std::string_view cls) {
    std::vector<std::pair<Element, std::string>> rects;
    for (size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].name != "rect" || elements[i].attributes.count("class") == 0 ||
            elements[i].attributes.at("class") != cls) {
            continue;
        }
        const bool titled = i + 1 < elements.size() && elements[i + 1].name == "title";
        rects.push_back({elements[i], titled ? elements[i + 1].text : ""});
    }
    return rects;
}

std::string Rules(const std::vector<int>& rules) {
    std::string text;
    for (const int rule : rules) text += (text.empty() ? "" : " ") + std::to_string(rule);
    return text;
}

TEST(MapPicture, HoldsOneRectanglePerPieceWithTheNumbersTheJsonReportWrites) {
    for (uint32_t seed = 1; seed <= 150; ++seed) {
        RandomTables random(seed);
        const RuleTable table = random.Table();
        const std::vector<MapSegment> map = MapRules(table);
        const auto pieces = Rects(SelfContained(MapPictureSvg(table, map, {"q.def", ""})), "piece");
        size_t next = 0;
        for (const MapSegment& segment : map) {
            for (const MapChange& change : segment.changes) {
                ASSERT_LT(next, pieces.size()) << seed;
                const auto& [rect, title] = pieces[next++];
                const std::map<std::string, std::string> expected = {
                    {"data-code-from", std::to_string(segment.codeFrom)},
                    {"data-code-to", std::to_string(segment.codeTo)},
                    {"data-low", ShortestNumber(change.low)},
                    {"data-high", ShortestNumber(change.high)},
                    {"data-result", ShortestNumber(change.result)},
                    {"data-rules", Rules(change.rules)}};
                for (const auto& [key, value] : expected) {
                    EXPECT_EQ(rect.attributes.at(key), value) << seed << " " << key;
                }
                EXPECT_EQ(title.find("연쇄") != title.npos, change.rules.size() > 1) << seed;
            }
        }
        EXPECT_EQ(next, pieces.size()) << seed;

        const RuleTable after = random.Edited(table);
        const std::vector<DiffSegment> diff = DiffRules(table, after);
        const auto changed =
            Rects(SelfContained(DiffPictureSvg(table, after, diff, {"a", ""}, {"b", ""})), "piece");
        next = 0;
        for (const DiffSegment& segment : diff) {
            for (const DiffChange& change : segment.changes) {
                ASSERT_LT(next, changed.size()) << seed;
                const Element& rect = changed[next++].first;
                EXPECT_EQ(rect.attributes.at("data-low"), ShortestNumber(change.low));
                EXPECT_EQ(rect.attributes.at("data-high"), ShortestNumber(change.high));
                EXPECT_EQ(rect.attributes.count("data-old-result"), change.before.changed ? 1 : 0);
                EXPECT_EQ(rect.attributes.count("data-new-result"), change.after.changed ? 1 : 0);
            }
        }
        EXPECT_EQ(next, changed.size()) << seed;
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
    EXPECT_NE(elements[1].text.find(name), std::string::npos);
    const auto pieces = Rects(elements, "piece");
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_NE(pieces[1].second.find("연쇄: 규칙 1 → 규칙 2"), std::string::npos)
        << pieces[1].second;
    EXPECT_NE(pieces[1].second.find("\"8.99<&\"'\""), std::string::npos) << pieces[1].second;
    const auto disabled = Rects(elements, "disabled-rule");
    ASSERT_EQ(disabled.size(), 1u);
    EXPECT_NE(disabled[0].second.find("\"10<&\"'\xEF\xBF\xBD\""), std::string::npos);
}

TEST(MapPicture, DiameterIntervalNamesEachEndByItsShorterForm) {
    const struct {
        double low, high;
        const char* text;
    } cases[] = {
        {8.1, 8.99, "8.1 이상 8.99 이하"},
        {std::nextafter(8.99, kInf), std::nextafter(9.5, 0.0), "8.99 초과 9.5 미만"},
        {8.5, 8.5, "8.5"},
        {-kInf, 0.0, "-∞ 이상 0 이하"},
        {5e-324, kInf, "0 초과 ∞ 이하"},
        {std::numeric_limits<double>::max(), kInf, "1.7976931348623157e+308 이상 ∞ 이하"},
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
        return RunWorkbench(args, out, err);
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
