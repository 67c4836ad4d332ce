#include "standin/Drawing.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <unordered_set>

#include "platform/TextEncoding.h"

namespace {

constexpr std::array<std::string_view, static_cast<size_t>(HostCall::kCount)> kCallNames = {
    "KepCtlRegisterKepLib2",  "KepIddClearSysIdData",   "KepIddOpenSelIdData",
    "KepIddGetHeadSelIdData", "KepIddGetNextSelIdData", "KepElmGetSegment",
    "KepHolGetHoleId",        "KepHolGetHoleData",      "KepHolAmendHoleData",
};

std::string Join(std::initializer_list<int64_t> values) {
    std::string out;
    for (int64_t value : values) {
        if (!out.empty()) out += ',';
        out += std::to_string(value);
    }
    return out;
}

const char* GivenOrNull(bool given) {
    return given ? "fn" : "null";
}

}  // namespace

std::optional<HostCall> HostCallByName(std::string_view functionName) {
    for (size_t i = 0; i < kCallNames.size(); ++i) {
        if (kCallNames[i] == functionName) return static_cast<HostCall>(i);
    }
    return std::nullopt;
}

std::byte RecordPatternByte(int32_t holeId, size_t offset) {
    return static_cast<std::byte>((static_cast<uint32_t>(holeId) * 37u + offset * 11u + 0x5Au) &
                                  0xFFu);
}

std::byte StepPatternByte(int32_t holeId, size_t stepIndex, size_t offset) {
    return static_cast<std::byte>(
        (static_cast<uint32_t>(holeId) * 13u + stepIndex * 101u + offset * 3u + 0xC3u) & 0xFFu);
}

std::array<int32_t, 2> SelectionPatternWords(size_t index) {
    return {static_cast<int32_t>(0x5E100000u + static_cast<uint32_t>(index)),
            static_cast<int32_t>(~static_cast<uint32_t>(index))};
}

std::string QuotedLogText(const char16_t* text) {
    if (!text) return "null";
    std::string out = "\"";
    for (char c : Utf8FromUtf16(text, SurrogateForm::Replaced)) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\x%02X",
                                  static_cast<unsigned>(static_cast<unsigned char>(c)));
                    out += escaped;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

void Drawing::Reset() {
    holes_.clear();
    holeOrder_.clear();
    elements_.clear();
    elementOrder_.clear();
    selection_.clear();
    cursors_.clear();
    cursorsOpened_ = 0;
    injections_ = {};
    registerResult_ = 1;
    logCalls_ = true;
    log_.clear();
}

bool Drawing::AddHole(int32_t holeId, bool excluded, std::span<const StepSpec> steps) {
    if (holeId == kNoHole || holes_.contains(holeId)) return false;
    Hole& hole = holes_[holeId];
    auto* bytes = reinterpret_cast<std::byte*>(&hole.record);
    for (size_t offset = 0; offset < sizeof(HoleRecord); ++offset) {
        bytes[offset] = RecordPatternByte(holeId, offset);
    }
    hole.steps.resize(steps.size());
    for (size_t i = 0; i < steps.size(); ++i) {
        auto* stepBytes = reinterpret_cast<std::byte*>(&hole.steps[i]);
        for (size_t offset = 0; offset < sizeof(HoleStep); ++offset) {
            stepBytes[offset] = StepPatternByte(holeId, i, offset);
        }
        hole.steps[i].code = steps[i].code;
        hole.steps[i].diameter = steps[i].diameter;
    }
    hole.record.excluded = excluded ? 1 : 0;
    hole.record.stepCount = static_cast<int32_t>(hole.steps.size());
    hole.record.steps = hole.steps.empty() ? nullptr : hole.steps.data();
    holeOrder_.push_back(holeId);
    return true;
}

bool Drawing::WithholdStepArray(int32_t holeId, int32_t stepCount) {
    auto it = holes_.find(holeId);
    if (it == holes_.end()) return false;
    Hole& hole = it->second;
    hole.steps.clear();
    hole.working.clear();
    hole.readOut = false;
    hole.record.stepCount = stepCount;
    hole.record.steps = nullptr;
    return true;
}

bool Drawing::SetExcluded(int32_t holeId, bool excluded) {
    auto it = holes_.find(holeId);
    if (it == holes_.end()) return false;
    it->second.record.excluded = excluded ? 1 : 0;
    return true;
}

bool Drawing::SetStepDiameter(int32_t holeId, size_t step, double diameter) {
    auto it = holes_.find(holeId);
    if (it == holes_.end() || step >= it->second.steps.size()) return false;
    it->second.steps[step].diameter = diameter;
    return true;
}

bool Drawing::AddElement(int32_t segment, int32_t elementNumber, int32_t holeId, int32_t kind) {
    if (elements_.contains(elementNumber)) return false;
    if (holeId != kNoHole && !holes_.contains(holeId)) return false;
    elements_.emplace(elementNumber, Element{segment, kind, holeId});
    elementOrder_.push_back(elementNumber);
    return true;
}

void Drawing::Reserve(size_t holes, size_t elements) {
    holes_.reserve(holes);
    holeOrder_.reserve(holes);
    elements_.reserve(elements);
    elementOrder_.reserve(elements);
}

bool Drawing::Select(int32_t segment, int32_t elementNumber) {
    auto words = SelectionPatternWords(selection_.size());
    selection_.push_back(SelectionEntry{segment, elementNumber, {words[0], words[1]}});
    auto it = elements_.find(elementNumber);
    return it != elements_.end() && it->second.segment == segment;
}

void Drawing::SelectAll() {
    selection_.reserve(selection_.size() + elementOrder_.size());
    for (int32_t number : elementOrder_) Select(elements_.at(number).segment, number);
}

void Drawing::ClearSelection() {
    selection_.clear();
}

std::vector<int32_t> Drawing::SelectedHoleIds() const {
    std::vector<int32_t> ids;
    std::unordered_set<int32_t> seen;
    for (const SelectionEntry& entry : selection_) {
        auto it = elements_.find(entry.element);
        if (it == elements_.end() || it->second.segment != entry.segment) continue;
        int32_t holeId = it->second.holeId;
        if (holeId != kNoHole && seen.insert(holeId).second) ids.push_back(holeId);
    }
    return ids;
}

const HoleRecord* Drawing::FindHole(int32_t holeId) const {
    auto it = holes_.find(holeId);
    return it == holes_.end() ? nullptr : &it->second.record;
}

int32_t Drawing::AmendCount(int32_t holeId) const {
    auto it = holes_.find(holeId);
    return it == holes_.end() ? -1 : it->second.amendCount;
}

bool Drawing::FailCall(std::string_view functionName, int32_t nth) {
    auto call = HostCallByName(functionName);
    if (!call) return false;
    injections_[static_cast<size_t>(*call)] = Injection{nth < 0 ? -1 : nth, 0};
    return true;
}

bool Drawing::ShouldFail(HostCall call) {
    Injection& injection = injections_[static_cast<size_t>(call)];
    if (injection.nth < 0) return false;
    ++injection.calls;
    return injection.nth == 0 || injection.calls == injection.nth;
}

void Drawing::LogCall(std::string_view name, const std::string& args) {
    if (!logCalls_) return;
    std::string line;
    line.reserve(name.size() + args.size() + 2);
    line.append(name).append("(").append(args).append(")");
    log_.push_back(std::move(line));
}

int32_t Drawing::KepCtlRegisterKepLib2(bool start, bool resume, bool end) {
    if (logCalls_) {
        LogCall("KepCtlRegisterKepLib2", std::string(GivenOrNull(start)) + "," +
                                             GivenOrNull(resume) + "," + GivenOrNull(end));
    }
    return ShouldFail(HostCall::RegisterKepLib2) ? kHostFailure : registerResult_;
}

void Drawing::KepCtlSetExecuteFunc(bool execute, const char16_t* title) {
    if (logCalls_) {
        LogCall("KepCtlSetExecuteFunc",
                std::string(GivenOrNull(execute)) + "," + QuotedLogText(title));
    }
}

void Drawing::KepEvtSetEventMask(int32_t mask) {
    if (logCalls_) LogCall("KepEvtSetEventMask", std::to_string(mask));
}

void Drawing::KepEvtSetObject(const int32_t* object) {
    if (!logCalls_) return;
    LogCall("KepEvtSetObject",
            object ? Join({object[0], object[1], object[2], object[3]}) : std::string("null"));
}

void Drawing::KepEvtSetCompareFunction(bool compare) {
    if (logCalls_) LogCall("KepEvtSetCompareFunction", GivenOrNull(compare));
}

int32_t Drawing::KepIddClearSysIdData() {
    if (logCalls_) LogCall("KepIddClearSysIdData", "");
    if (ShouldFail(HostCall::ClearSysIdData)) return kHostFailure;
    selection_.clear();
    return 0;
}

void Drawing::KepMsgPutMessage(const char16_t* text) {
    log_.push_back("KepMsgPutMessage(" + QuotedLogText(text) + ")");
}

void Drawing::KepMsgPutErrorMessage(const char16_t* text) {
    log_.push_back("KepMsgPutErrorMessage(" + QuotedLogText(text) + ")");
}

void Drawing::KepDlgMessageBox(const char16_t* text) {
    log_.push_back("KepDlgMessageBox(" + QuotedLogText(text) + ")");
}

int32_t Drawing::KepElmGetSegment(int32_t elementKind, int32_t elementNumber) {
    if (logCalls_) LogCall("KepElmGetSegment", Join({elementKind, elementNumber}));
    if (ShouldFail(HostCall::ElmGetSegment)) return kHostFailure;
    auto it = elements_.find(elementNumber);
    if (it == elements_.end() || it->second.kind != elementKind) return kHostFailure;
    return it->second.segment;
}

int32_t Drawing::KepHolGetHoleId(const ElementRef& ref) {
    if (logCalls_) LogCall("KepHolGetHoleId", Join({ref.element, ref.segment}));
    if (ShouldFail(HostCall::HolGetHoleId)) return kHostFailure;
    auto it = elements_.find(ref.element);
    if (it == elements_.end() || it->second.segment != ref.segment) return kNoHole;
    return it->second.holeId;
}

int32_t Drawing::KepHolGetHoleData(int32_t holeId, HoleRecord& record) {
    if (logCalls_) LogCall("KepHolGetHoleData", std::to_string(holeId));
    if (ShouldFail(HostCall::HolGetHoleData)) return kHostFailure;
    auto it = holes_.find(holeId);
    if (it == holes_.end()) return kHostFailure;
    Hole& hole = it->second;
    // The new copy exists before the old one is released, so its address is new.
    std::vector<HoleStep> fresh(hole.steps);
    hole.working.swap(fresh);
    record = hole.record;
    if (record.steps != nullptr) record.steps = hole.working.data();
    hole.handedOut = record;
    hole.readOut = true;
    return 0;
}

namespace {

// Whether the module changed anything of a step but its diameter.
bool OnlyDiameterDiffers(const HoleStep& given, const HoleStep& held) {
    const auto* a = reinterpret_cast<const std::byte*>(&given);
    const auto* b = reinterpret_cast<const std::byte*>(&held);
    constexpr size_t kDiameterStart = offsetof(HoleStep, diameter);
    constexpr size_t kDiameterEnd = kDiameterStart + sizeof(double);
    return std::memcmp(a, b, kDiameterStart) == 0 &&
           std::memcmp(a + kDiameterEnd, b + kDiameterEnd, sizeof(HoleStep) - kDiameterEnd) == 0;
}

}  // namespace

int32_t Drawing::RefuseAmendment(int32_t holeId, std::string_view why) {
    log_.push_back("KepHolAmendHoleData refused: hole " + std::to_string(holeId) + ": " +
                   std::string(why));
    return kHostFailure;
}

int32_t Drawing::KepHolAmendHoleData(int32_t holeId, const HoleRecord& record) {
    if (logCalls_) LogCall("KepHolAmendHoleData", std::to_string(holeId));
    if (ShouldFail(HostCall::HolAmendHoleData)) return kHostFailure;
    auto it = holes_.find(holeId);
    if (it == holes_.end()) return kHostFailure;
    Hole& hole = it->second;
    if (!hole.readOut) return RefuseAmendment(holeId, "not read since its last amendment");
    if (std::memcmp(&record, &hole.handedOut, sizeof(HoleRecord)) != 0) {
        return RefuseAmendment(holeId, record.steps != hole.handedOut.steps
                                           ? "a steps address the last read did not hand out"
                                           : "a record byte changed");
    }
    for (size_t i = 0; i < hole.working.size(); ++i) {
        if (!OnlyDiameterDiffers(hole.working[i], hole.steps[i])) {
            return RefuseAmendment(holeId, "step " + std::to_string(i + 1) +
                                               ": a byte other than the diameter changed");
        }
    }
    hole.steps.swap(hole.working);
    hole.working = {};
    if (hole.record.steps != nullptr) hole.record.steps = hole.steps.data();
    hole.readOut = false;
    ++hole.amendCount;
    return 0;
}

void* Drawing::KepIddOpenSelIdData(int32_t mode) {
    if (logCalls_) LogCall("KepIddOpenSelIdData", std::to_string(mode));
    if (ShouldFail(HostCall::OpenSelIdData)) return nullptr;
    auto cursor = std::make_unique<Cursor>(Cursor{++cursorsOpened_});
    void* handle = cursor.get();
    cursors_.emplace(handle, std::move(cursor));
    return handle;
}

Drawing::Cursor* Drawing::FindCursor(void* handle) {
    auto it = cursors_.find(handle);
    return it == cursors_.end() ? nullptr : it->second.get();
}

std::string Drawing::CursorName(void* handle) {
    Cursor* cursor = FindCursor(handle);
    return cursor ? "sel" + std::to_string(cursor->number) : std::string("invalid");
}

int32_t Drawing::FetchEntry(void* handle, bool head, SelectionEntry& entry) {
    if (logCalls_) {
        LogCall(head ? "KepIddGetHeadSelIdData" : "KepIddGetNextSelIdData", CursorName(handle));
    }
    if (ShouldFail(head ? HostCall::GetHeadSelIdData : HostCall::GetNextSelIdData)) {
        return kHostFailure;
    }
    Cursor* cursor = FindCursor(handle);
    if (!cursor) return kHostFailure;
    if (head) cursor->next = 0;
    if (cursor->next >= selection_.size()) return kHostFailure;
    entry = selection_[cursor->next++];
    return 0;
}

int32_t Drawing::KepIddGetHeadSelIdData(void* handle, SelectionEntry& entry) {
    return FetchEntry(handle, true, entry);
}

int32_t Drawing::KepIddGetNextSelIdData(void* handle, SelectionEntry& entry) {
    return FetchEntry(handle, false, entry);
}

void Drawing::KepIddCloseSelIdData(void* handle) {
    if (logCalls_) LogCall("KepIddCloseSelIdData", CursorName(handle));
    cursors_.erase(handle);
}
