// The words the rewrite sends to the host's user as it goes. The command decides when each
// is sent and in which order; the caller decides what they say. Each text is a
// null-terminated text that outlives the rewrite.
#pragma once

struct RewriteWords {
    const char16_t* noMatchingHole;   // a box: no selected hole has a step a rule changes
    const char16_t* cannotReadHole;   // the message line: the host did not hand a hole's data
    const char16_t* cannotAmendHole;  // the message line: the host refused a changed hole
    const char16_t* errorOccurred;    // a box after either, as the rewrite stops
    const char16_t* changedHoles;     // a box at the end: this, the count of holes changed,
    const char16_t* changedHolesEnd;  // then this
    // A box after that when a planned rewrite left holes that were gone or whose steps had
    // changed since the plan: this, their count, this, then the first of their ids.
    const char16_t* holesChangedSincePlan;
    const char16_t* holesChangedSincePlanEnd;
};
