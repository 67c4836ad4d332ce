// The step-by-step reference rewrite, for the benchmark and the differential tests: the
// simplest code that does what the command does. The hole list is searched linearly for
// duplicates, every enabled rule's texts are parsed again for every hole (a rule whose new
// diameter is not a finite number above 0 is passed over), and the numbers come from the C
// library's wide conversions (C locale, a code taken as a 32-bit long). It reads the
// drawing's raw answers itself (-1 for a failure), apart from the module's host adapter.
#pragma once

#include <cstdint>
#include <vector>

#include "rules/RuleTable.h"
#include "standin/Drawing.h"

int32_t StepwiseRewriteSelectedHoles(Drawing& host, const RuleTable& table);

// What the reference rewrite does to each step of one record: the numbers of the rules that
// matched it, in the order they matched, and the diameter it ends with.
struct StepwiseStep {
    std::vector<int32_t> rules;
    double diameter;
};
std::vector<StepwiseStep> StepwiseSteps(const RuleTable& table, const HoleRecord& record);
