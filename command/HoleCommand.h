// The hole command over the host interface: the pick filter and the rewrite of the
// selected holes' step diameters by the rules in force (rules/CompiledRules.h).
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "command/RewritePlan.h"
#include "command/RewriteWords.h"
#include "host/HoleHost.h"
#include "rules/CompiledRules.h"
#include "rules/RuleTable.h"

// The box at the end of a rewrite that changed `count` holes.
std::u16string ChangedHolesMessage(const RewriteWords& words, int32_t count);

// 1 accepts the element (it belongs to a hole without the exclusion flag), 0 rejects it.
int32_t PickFilter(HoleHost& host, int32_t elementKind, int32_t elementNumber);

// The distinct holes of the selection, in selection order.
std::vector<int32_t> SelectedHoleIds(HoleHost& host);

// Applies the rules to the record's steps in rule order (PlanHoleSteps), lists the steps
// that matched in `changes` and hands a changed record back to the host. Returns false when
// the host refused the amended record.
bool ApplyRulesToHole(HoleHost& host, const RuleMatcher& rules, int32_t holeId,
                      std::vector<StepChange>& changes, HoleRecord& record,
                      const RewriteWords& words);

// Rewrites every selected hole once, in selection order, reports the outcome to the user in
// the caller's words and returns what it amended.
RewriteRecord RewriteSelectedHoles(HoleHost& host, const RuleTable& table,
                                   const RewriteWords& words);
