// The words the rewrite sends to the host's user as it goes. The command decides when each
// is sent and in which order; the caller decides what they say. Each text is a
// null-terminated text that outlives the rewrite; a message with values is composed by the
// caller's function from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct RewriteWords {
    const char16_t* noMatchingHole;   // a box: no selected hole has a step a rule changes
    const char16_t* cannotReadHole;   // the message line: the host did not hand a hole's data
    const char16_t* cannotAmendHole;  // the message line: the host refused a changed hole
    const char16_t* errorOccurred;    // a box after either, as the rewrite stops
    // A box at the end, with the count of holes changed.
    std::u16string (*changedHoles)(int32_t count);
    // A box after that when a planned rewrite left holes that were gone or whose steps had
    // changed since the plan, with their count and the first of their ids.
    std::u16string (*holesChangedSincePlan)(size_t count, std::u16string_view ids);
};
