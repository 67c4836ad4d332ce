// The rewrite of the selected holes' step diameters by the rules in force
// (rules/CompiledRules.h), straight away or planned first and applied once the user agrees.
//
// Either way a hole is read, its changes are worked out on the record as the host handed it
// out, the new diameters are written into the host's own step array and the same record is
// handed back: the module never hands the host a record or a step array of its own.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "command/HoleChange.h"
#include "command/RewriteWords.h"
#include "host/HoleHost.h"
#include "rules/CompiledRules.h"
#include "rules/RuleTable.h"

// The steps of the hole that the rules change, in step order; the record is not written. An
// excluded hole, a record without a step array and an empty matcher change nothing.
std::vector<StepChange> StepChangesOf(const RuleMatcher& rules, const HoleRecord& record);

// What a rewrite amended, hole by hole in selection order (a hole the host refused is not in
// it), each with the print of its steps as handed back; and, of a planned rewrite, the
// planned holes left because they were gone or their steps had changed since the plan.
struct RewriteRecord {
    std::vector<HoleChange> holes;
    std::vector<int32_t> leftSincePlan;
};

// The box at the end of a rewrite that changed `count` holes.
std::u16string ChangedHolesMessage(const RewriteWords& words, int32_t count);

// Rewrites every selected hole once, in selection order, with one read and at most one amend
// per hole; reports the outcome to the user in the caller's words.
RewriteRecord RewriteSelectedHoles(HoleHost& host, const RuleTable& table,
                                   const RewriteWords& words);

enum class PlanStatus {
    Ready,            // some hole would change: show the plan, then apply or cancel it
    NothingToChange,  // the words' noMatchingHole is shown already
    ReadFailed,       // the rewrite's read failure messages are shown already; nothing amended
};

// The holes that would change, in selection order, each with the print of its steps as read.
// It holds only the changes, never a copy of a host's record.
struct RewritePlan {
    PlanStatus status = PlanStatus::NothingToChange;
    std::vector<HoleChange> holes;
};

// Collects the selected holes with the same host calls as the rewrite, reads each once and
// works out its changes. A read failure ends the planning with the rewrite's messages.
RewritePlan PlanSelectedHoles(HoleHost& host, const RuleTable& table, const RewriteWords& words);

// Reads each planned hole again and applies its planned changes when it can still be read and
// its steps are those the plan saw (else leaves it, and says so after the count message); a
// refused amend ends it with the rewrite's failure messages.
RewriteRecord ApplyPlan(HoleHost& host, RewritePlan plan, const RewriteWords& words);
