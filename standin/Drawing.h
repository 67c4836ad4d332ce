// An in-memory drawing that answers the host library's calls as the library does (raw
// answers, -1 for a failure): holes with their records and machining steps, the elements that
// make them up, and the user's selection. It logs every host call in order, can be told to
// make calls fail, and stands behind the stand-in KepLib.dll and the native benchmark; the
// hole command drives it as a DrawingHost.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/KepRecords.h"
#include "host/RawHoleHost.h"

// The element kind an element gets when none is given.
inline constexpr int32_t kDefaultElementKind = 1;

struct StepSpec {
    int32_t code = 0;
    double diameter = 0.0;
};

// Host functions whose calls can be made to fail (those that return a result).
enum class HostCall {
    RegisterKepLib2,
    ClearSysIdData,
    OpenSelIdData,
    GetHeadSelIdData,
    GetNextSelIdData,
    ElmGetSegment,
    HolGetHoleId,
    HolGetHoleData,
    HolAmendHoleData,
    kCount
};

// The host function name of a failable call, e.g. "KepHolGetHoleData", or nothing.
std::optional<HostCall> HostCallByName(std::string_view functionName);

// The bytes a hole's record and its steps carry where the module must not look: a fixed
// pattern per hole (and step), so that tests can tell whether the module handed them back.
std::byte RecordPatternByte(int32_t holeId, size_t offset);
std::byte StepPatternByte(int32_t holeId, size_t stepIndex, size_t offset);
// The opaque words the host puts into the nth selection entry (from 0).
std::array<int32_t, 2> SelectionPatternWords(size_t index);

// A log argument: the text in double quotes with \ " and control characters escaped
// (\\ \" \r \n \t \xNN); a null text is written as null.
std::string QuotedLogText(const char16_t* text);

class Drawing {
public:
    Drawing() = default;
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    // Forgets holes, elements, selection, cursors, failures, amendment counts and the log;
    // calls are logged again and registrations succeed with 1.
    void Reset();

    // ---- Building the drawing ----
    // Returns false (changing nothing) for the id -1 or an id already used.
    bool AddHole(int32_t holeId, bool excluded, std::span<const StepSpec> steps);
    // The hole's record reports `stepCount` steps but hands no step array over. Returns false
    // for an unknown hole.
    bool WithholdStepArray(int32_t holeId, int32_t stepCount);
    // What another act of the user does to a hole: its exclusion flag, or one step's diameter
    // (from 0). Return false for an unknown hole or step.
    bool SetExcluded(int32_t holeId, bool excluded);
    bool SetStepDiameter(int32_t holeId, size_t step, double diameter);
    // An element of a hole, or a loose one with holeId kNoHole. Returns false (changing
    // nothing) for an element number already used or a hole id that does not exist.
    bool AddElement(int32_t segment, int32_t elementNumber, int32_t holeId,
                    int32_t kind = kDefaultElementKind);
    void Reserve(size_t holes, size_t elements);

    // ---- The selection list ----
    // Entries need not name existing elements; the host resolves them only when asked.
    // Returns whether the drawing has that element in that segment.
    bool Select(int32_t segment, int32_t elementNumber);
    // Every element, holes' and loose ones, in the order they were added.
    void SelectAll();
    void ClearSelection();
    size_t SelectionSize() const { return selection_.size(); }
    // The distinct holes of the selected elements, in selection order.
    std::vector<int32_t> SelectedHoleIds() const;

    // ---- What the host now holds ----
    // The hole's record with steps pointing at the host's own step array, or null.
    const HoleRecord* FindHole(int32_t holeId) const;
    // -1 for an unknown hole.
    int32_t AmendCount(int32_t holeId) const;
    bool HasElement(int32_t elementNumber) const { return elements_.contains(elementNumber); }
    // Hole ids in the order they were added.
    const std::vector<int32_t>& HoleIds() const { return holeOrder_; }

    // ---- Test controls ----
    // The nth call (from 1, counted from now) of the named function fails; nth 0 makes every
    // call fail, a negative nth none. Returns false for a name that cannot fail.
    bool FailCall(std::string_view functionName, int32_t nth);
    void SetRegisterResult(int32_t result) { registerResult_ = result; }
    // With calls off only the messages (KepMsgPut*, KepDlgMessageBox) and notes are logged.
    void LogCalls(bool enabled) { logCalls_ = enabled; }
    void AppendLog(std::string line) { log_.push_back(std::move(line)); }
    const std::vector<std::string>& Log() const { return log_; }
    void ClearLog() { log_.clear(); }

    // ---- Host calls beyond the hole command's interface ----
    // The callbacks themselves live with the caller; the drawing logs whether each was
    // given ("fn" or "null").
    int32_t KepCtlRegisterKepLib2(bool start, bool resume, bool end);
    void KepCtlSetExecuteFunc(bool execute, const char16_t* title);
    void KepEvtSetEventMask(int32_t mask);
    void KepEvtSetObject(const int32_t* object);  // four values, or null
    void KepEvtSetCompareFunction(bool compare);
    int32_t KepIddClearSysIdData();  // empties the selection
    void KepMsgPutMessage(const char16_t* text);

    // ---- The hole command's calls (host/HoleHost.h) ----
    // The segment of the element with that number and kind, or -1.
    int32_t KepElmGetSegment(int32_t elementKind, int32_t elementNumber);
    // The hole of the element when its number and segment both match, else kNoHole.
    int32_t KepHolGetHoleId(const ElementRef& ref);
    // Hands out the hole's record with its steps pointing at a fresh working copy of the
    // hole's steps, made for this read at an address no earlier read had, as a host that owns
    // its memory does; diameters written there reach the hole only through an amendment.
    int32_t KepHolGetHoleData(int32_t holeId, HoleRecord& record);
    // Commits the working copy of the hole's last read, as the module changed its diameters.
    // Refused (and logged as "KepHolAmendHoleData refused: ...") when the hole was not read
    // since its last amendment, when any byte of the record differs from the record that read
    // handed out (the steps address among them), or when a step's code or opaque bytes were
    // changed.
    int32_t KepHolAmendHoleData(int32_t holeId, const HoleRecord& record);
    void* KepIddOpenSelIdData(int32_t mode);
    int32_t KepIddGetHeadSelIdData(void* handle, SelectionEntry& entry);
    int32_t KepIddGetNextSelIdData(void* handle, SelectionEntry& entry);
    void KepIddCloseSelIdData(void* handle);
    void KepMsgPutErrorMessage(const char16_t* text);
    void KepDlgMessageBox(const char16_t* text);

private:
    struct Hole {
        HoleRecord record{};
        std::vector<HoleStep> steps;
        // What the last read handed out, until an amendment commits it.
        std::vector<HoleStep> working;
        HoleRecord handedOut{};
        bool readOut = false;
        int32_t amendCount = 0;
    };
    struct Element {
        int32_t segment;
        int32_t kind;
        int32_t holeId;
    };
    struct Cursor {
        int32_t number;  // as shown in the log: sel1, sel2, ...
        size_t next = 0;
    };
    struct Injection {
        int32_t nth = -1;  // -1: none
        int32_t calls = 0;
    };

    bool ShouldFail(HostCall call);
    void LogCall(std::string_view name, const std::string& args);
    Cursor* FindCursor(void* handle);
    std::string CursorName(void* handle);
    int32_t FetchEntry(void* handle, bool head, SelectionEntry& entry);
    int32_t RefuseAmendment(int32_t holeId, std::string_view why);

    std::unordered_map<int32_t, Hole> holes_;
    std::vector<int32_t> holeOrder_;
    std::unordered_map<int32_t, Element> elements_;
    std::vector<int32_t> elementOrder_;
    std::vector<SelectionEntry> selection_;
    std::unordered_map<void*, std::unique_ptr<Cursor>> cursors_;
    int32_t cursorsOpened_ = 0;
    std::array<Injection, static_cast<size_t>(HostCall::kCount)> injections_{};
    int32_t registerResult_ = 1;
    bool logCalls_ = true;
    std::vector<std::string> log_;
};

// The hole command's host interface over a drawing.
using DrawingHost = RawHoleHost<Drawing&>;
