#include "standin/DrawingFile.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unordered_set>
#include <vector>

namespace {

struct PlannedHole {
    int32_t id;
    bool excluded;
    std::vector<StepSpec> steps;
};

struct PlannedElement {
    int32_t segment;
    int32_t number;
    int32_t holeId;
    int32_t kind;
};

struct Plan {
    std::vector<PlannedHole> holes;
    std::vector<PlannedElement> elements;  // in file order, loose ones included
};

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t pos = 0;
    while (pos < line.size()) {
        size_t start = line.find_first_not_of(" \t", pos);
        if (start == std::string_view::npos) break;
        size_t end = line.find_first_of(" \t", start);
        if (end == std::string_view::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        pos = end;
    }
    return fields;
}

std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

class LineParser {
public:
    LineParser(Plan& plan, const Drawing& drawing) : plan_(plan), drawing_(drawing) {}

    // An empty result means the line was fine.
    std::string Parse(std::string_view line) {
        auto fields = Fields(line.substr(0, line.find('#')));
        if (fields.empty()) return {};
        std::string_view keyword = fields[0];
        std::span<const std::string_view> args(fields.data() + 1, fields.size() - 1);
        if (keyword == "hole") return ParseHole(args);
        if (keyword == "element") return ParseElement(args, /*loose=*/false);
        if (keyword == "loose") return ParseElement(args, /*loose=*/true);
        if (keyword == "step") return ParseStep(args);
        return "unknown statement " + Quoted(keyword) + " (expected hole, element, step or loose)";
    }

private:
    static bool ReadInteger(std::string_view text, int32_t& value) {
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        return error == std::errc() && end == text.data() + text.size();
    }

    static bool ReadDiameter(std::string_view text, double& value) {
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                            std::chars_format::general);
        return error == std::errc() && end == text.data() + text.size() && std::isfinite(value);
    }

    std::string ParseHole(std::span<const std::string_view> args) {
        if (args.empty() || args.size() > 2) return "expected: hole ID [excluded]";
        int32_t id = 0;
        if (!ReadInteger(args[0], id)) return "hole id " + Quoted(args[0]) + " is not an integer";
        if (id == kNoHole) return "hole id -1 is reserved for 'no hole'";
        if (args.size() == 2 && args[1] != "excluded") {
            return "expected 'excluded' after the hole id, found " + Quoted(args[1]);
        }
        if (!holeIds_.insert(id).second || drawing_.FindHole(id)) {
            return "hole " + std::to_string(id) + " is defined twice";
        }
        plan_.holes.push_back(PlannedHole{id, args.size() == 2, {}});
        return {};
    }

    std::string ParseElement(std::span<const std::string_view> args, bool loose) {
        const char* usage = loose ? "expected: loose SEGMENT NUMBER [KIND]"
                                  : "expected: element SEGMENT NUMBER [KIND]";
        if (args.size() < 2 || args.size() > 3) return usage;
        if (!loose && plan_.holes.empty()) return "element before the first hole";
        PlannedElement element{0, 0, loose ? kNoHole : plan_.holes.back().id, kDefaultElementKind};
        if (!ReadInteger(args[0], element.segment)) {
            return "segment " + Quoted(args[0]) + " is not an integer";
        }
        if (!ReadInteger(args[1], element.number)) {
            return "element number " + Quoted(args[1]) + " is not an integer";
        }
        if (args.size() == 3 && !ReadInteger(args[2], element.kind)) {
            return "element kind " + Quoted(args[2]) + " is not an integer";
        }
        if (!elementNumbers_.insert(element.number).second || drawing_.HasElement(element.number)) {
            return "element " + std::to_string(element.number) + " is defined twice";
        }
        plan_.elements.push_back(element);
        return {};
    }

    std::string ParseStep(std::span<const std::string_view> args) {
        if (args.size() != 2) return "expected: step CODE DIAMETER";
        if (plan_.holes.empty()) return "step before the first hole";
        StepSpec step;
        if (!ReadInteger(args[0], step.code)) {
            return "machining code " + Quoted(args[0]) + " is not an integer";
        }
        if (!ReadDiameter(args[1], step.diameter)) {
            return "diameter " + Quoted(args[1]) + " is not a finite number";
        }
        plan_.holes.back().steps.push_back(step);
        return {};
    }

    Plan& plan_;
    const Drawing& drawing_;
    std::unordered_set<int32_t> holeIds_;
    std::unordered_set<int32_t> elementNumbers_;
};

std::string PathText(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

void Build(const Plan& plan, Drawing& drawing) {
    drawing.Reserve(plan.holes.size(), plan.elements.size());
    for (const PlannedHole& hole : plan.holes) drawing.AddHole(hole.id, hole.excluded, hole.steps);
    for (const PlannedElement& element : plan.elements) {
        drawing.AddElement(element.segment, element.number, element.holeId, element.kind);
    }
}

}  // namespace

std::string DrawingFileError::Describe() const {
    return line > 0 ? "line " + std::to_string(line) + ": " + message : message;
}

std::optional<DrawingFileError> LoadDrawingText(std::string_view text, Drawing& drawing) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());

    Plan plan;
    LineParser parser(plan, drawing);
    int32_t lineNumber = 0;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);
        ++lineNumber;
        if (std::string problem = parser.Parse(line); !problem.empty()) {
            return DrawingFileError{lineNumber, std::move(problem)};
        }
    }
    Build(plan, drawing);
    return std::nullopt;
}

std::optional<DrawingFileError> LoadDrawingFile(const std::filesystem::path& path,
                                                Drawing& drawing) {
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        const int cause = errno;  // set by the C library's open beneath the stream
        return DrawingFileError{
            0, "cannot open " + PathText(path) +
                   (cause != 0 ? ": " + std::generic_category().message(cause) : std::string())};
    }
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) return DrawingFileError{0, "cannot read " + PathText(path)};
    return LoadDrawingText(text, drawing);
}
