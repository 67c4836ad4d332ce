#include "workbench/PictureModel.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <utility>

#include "platform/TextEncoding.h"
#include "rules/CompiledRules.h"
#include "workbench/Json.h"
#include "workbench/ReportWords.h"

namespace {

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

std::string CaptionOf(std::string_view role, const PictureSource& source) {
    std::string line = std::string(role) + source.name;
    if (!source.time.empty()) line += " (" + source.time + ")";
    return line;
}

// The legend's entries by rule number, each with the texts of what it writes, in the order
// they were added and each text once.
std::vector<PictureLegendEntry> LegendOf(const std::map<int, std::vector<std::string>>& texts) {
    std::vector<PictureLegendEntry> legend;
    for (const auto& [rule, parts] : texts) {
        std::string text = "규칙 " + std::to_string(rule);
        for (size_t i = 0; i < parts.size(); ++i) text += (i == 0 ? " " : ", ") + parts[i];
        legend.push_back({rule, std::move(text)});
    }
    return legend;
}

void AddLegendText(std::map<int, std::vector<std::string>>& texts, int rule, std::string text) {
    std::vector<std::string>& parts = texts[rule];
    if (std::find(parts.begin(), parts.end(), text) == parts.end())
        parts.push_back(std::move(text));
}

// The rule whose colour shows an outcome: the last of its chain, which wrote the result.
int RuleOf(const std::vector<int>& rules) {
    return rules.empty() ? 0 : rules.back();
}

std::string OutcomeText(const StepOutcome& outcome) {
    if (!outcome.changed) return "그대로";
    return TextNumber(outcome.result) + " (규칙 " + NumberList(outcome.rules) + ")";
}

void AddOutcomeData(PicturePiece& piece, std::string_view side, const StepOutcome& outcome) {
    if (!outcome.changed) return;
    piece.data.push_back({"data-" + std::string(side) + "-result", ShortestNumber(outcome.result)});
    piece.data.push_back({"data-" + std::string(side) + "-rules", SpaceSeparated(outcome.rules)});
}

std::vector<PictureAttribute> BandData(int64_t codeFrom, int64_t codeTo, double low, double high) {
    return {{"data-code-from", std::to_string(codeFrom)},
            {"data-code-to", std::to_string(codeTo)},
            {"data-low", ShortestNumber(low)},
            {"data-high", ShortestNumber(high)}};
}

// Code intervals that only disabled rules cover, so that their outlines have a place.
std::vector<PictureColumn> DisabledOnlyColumns(const std::vector<RuleNumbers>& numbers,
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
    std::vector<PictureColumn> columns;
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

PicturePiece MapPiece(const RuleTable& table, const MapSegment& segment, const MapChange& change,
                      size_t column) {
    PicturePiece piece;
    piece.column = column;
    piece.low = change.low;
    piece.high = change.high;
    piece.rule = RuleOf(change.rules);
    piece.chained = change.rules.size() > 1;
    piece.shortLabel = TextNumber(change.result);
    piece.label = piece.chained ? piece.shortLabel + " (" + CompactChain(change.rules) + ")"
                                : piece.shortLabel;
    piece.title = "코드 " + CodeBandText(segment.codeFrom, segment.codeTo) + ", 지름 " +
                  IntervalText(change.low, change.high) + " → " + TextNumber(change.result) +
                  " (규칙 " + NumberList(change.rules) + ")";
    piece.callout = piece.title;
    if (piece.chained) piece.title += "\n연쇄: " + RuleChain(change.rules);
    for (const int rule : change.rules) piece.title += "\n" + RuleTexts(table, rule);
    piece.data = BandData(segment.codeFrom, segment.codeTo, change.low, change.high);
    piece.data.push_back({"data-result", ShortestNumber(change.result)});
    piece.data.push_back({"data-rules", SpaceSeparated(change.rules)});
    return piece;
}

}  // namespace

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
    for (const PictureColumn& column : DisabledOnlyColumns(numbers, map)) {
        picture.columns.push_back(column);
    }
    std::sort(picture.columns.begin(), picture.columns.end(),
              [](const PictureColumn& a, const PictureColumn& b) { return a.from < b.from; });
    std::map<int, std::vector<std::string>> legend;
    for (const MapSegment& segment : map) {
        const auto column = static_cast<size_t>(
            std::find_if(picture.columns.begin(), picture.columns.end(),
                         [&](const PictureColumn& c) { return c.from == segment.codeFrom; }) -
            picture.columns.begin());
        for (const MapChange& change : segment.changes) {
            picture.pieces.push_back(MapPiece(table, segment, change, column));
            AddLegendText(legend, RuleOf(change.rules), "→ " + TextNumber(change.result));
        }
    }
    for (const RuleNumbers& rule : numbers) {
        if (rule.enabled || rule.codeFrom > rule.codeTo ||
            !(rule.diameterLow <= rule.diameterHigh)) {
            continue;
        }
        picture.outlines.push_back({rule.codeFrom, rule.codeTo, rule.diameterLow, rule.diameterHigh,
                                    RuleTexts(table, rule.rule) + "\n켜면: 코드 " +
                                        CodeBandText(rule.codeFrom, rule.codeTo) + ", 지름 " +
                                        IntervalText(rule.diameterLow, rule.diameterHigh) + " → " +
                                        TextNumber(rule.newDiameter)});
    }
    picture.legend = LegendOf(legend);
    picture.legendNotes = {"색: 결과를 쓴 규칙, 글자: 새 지름",
                           "빈 곳: 어떤 켜진 규칙도 바꾸지 않음", "점선 상자: 꺼진 규칙",
                           "굵은 테두리: 연쇄 (색은 마지막 규칙)"};
    return picture;
}

namespace {

std::string OutcomeTitle(const RuleTable& table, const StepOutcome& outcome) {
    std::string text = OutcomeText(outcome);
    for (const int rule : outcome.rules) text += "\n  " + RuleTexts(table, rule);
    return text;
}

PicturePiece DiffPiece(const RuleTable& before, const RuleTable& after, const DiffSegment& segment,
                       const DiffChange& change, size_t column) {
    PicturePiece piece;
    piece.column = column;
    piece.low = change.low;
    piece.high = change.high;
    piece.rule = change.after.changed ? RuleOf(change.after.rules) : 0;
    piece.hasStripe = true;
    piece.stripeRule = change.before.changed ? RuleOf(change.before.rules) : 0;
    const auto shortText = [](const StepOutcome& outcome) {
        return outcome.changed ? TextNumber(outcome.result) : std::string("그대로");
    };
    piece.label = shortText(change.before) + " → " + shortText(change.after);
    piece.shortLabel = "→ " + shortText(change.after);
    piece.callout = "코드 " + CodeBandText(segment.codeFrom, segment.codeTo) + ", 지름 " +
                    IntervalText(change.low, change.high) + ": " + piece.label;
    piece.title = "코드 " + CodeBandText(segment.codeFrom, segment.codeTo) + ", 지름 " +
                  IntervalText(change.low, change.high) +
                  "\n이전: " + OutcomeTitle(before, change.before) +
                  "\n새: " + OutcomeTitle(after, change.after);
    piece.data = BandData(segment.codeFrom, segment.codeTo, change.low, change.high);
    AddOutcomeData(piece, "old", change.before);
    AddOutcomeData(piece, "new", change.after);
    return piece;
}

}  // namespace

Picture DiffPicture(const RuleTable& beforeTable, const RuleTable& afterTable,
                    const std::vector<DiffSegment>& diff, const PictureSource& before,
                    const PictureSource& after) {
    Picture picture;
    picture.minColumnWidth = 110;
    picture.heading = "구멍경 규칙 비교";
    picture.caption = {CaptionOf("이전: ", before), CaptionOf("새: ", after)};
    picture.emptyText = "두 표는 모든 단계에서 같게 동작합니다.";
    std::map<int, std::vector<std::string>> legend;
    for (const DiffSegment& segment : diff) {
        picture.columns.push_back({segment.codeFrom, segment.codeTo, true});
        for (const DiffChange& change : segment.changes) {
            picture.pieces.push_back(
                DiffPiece(beforeTable, afterTable, segment, change, picture.columns.size() - 1));
            if (change.after.changed) {
                AddLegendText(legend, RuleOf(change.after.rules),
                              "새 → " + TextNumber(change.after.result));
            }
            if (change.before.changed) {
                AddLegendText(legend, RuleOf(change.before.rules),
                              "이전 → " + TextNumber(change.before.result));
            }
        }
    }
    picture.legend = LegendOf(legend);
    picture.legendNotes = {"바탕: 새 표에서 결과를 쓴 규칙", "왼쪽 띠: 이전 표에서 결과를 쓴 규칙",
                           "글자: 이전 결과 → 새 결과", "흰색: 그대로 (어떤 규칙도 바꾸지 않음)",
                           "나오지 않은 곳: 두 표가 같게 동작함"};
    return picture;
}

std::string CodeBandText(int64_t from, int64_t to) {
    return from == to ? std::to_string(from) : std::to_string(from) + " ~ " + std::to_string(to);
}
