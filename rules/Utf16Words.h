// UTF-16 code units handled four at a time in a 64-bit word, for the loops that pass over
// every unit of a rule file. Copying a word in and out with memcpy costs one bounds check;
// a load or store of each unit costs an alignment check per unit under UBSan, which
// libFuzzer also traces as a comparison.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace utf16_words {

inline constexpr size_t kUnitsPerWord = 4;
inline constexpr uint64_t kEveryUnit = 0x0001000100010001;

// A 16-bit lane below 0x0E sets its top bit in (units - 0x0E in every lane) & ~units. A
// borrow can set it in a lane above one that is below 0x0E, never in a lane beneath.
constexpr uint64_t LanesBelowCrPlusOne(uint64_t units) {
    return (units - kEveryUnit * 0x0E) & ~units & (kEveryUnit * 0x8000);
}

// The first unit from `from` on that is below 0x0E (a TAB, a line end or another control
// character up to CR), or `size`. Where the first unit of a word is its low lane, the lowest
// lane set is that unit; elsewhere, and in the last units of the text, each unit is tested
// alone.
inline size_t NextLowUnit(const char16_t* data, size_t from, size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
        for (; size - from >= kUnitsPerWord; from += kUnitsPerWord) {
            uint64_t word;
            std::memcpy(&word, data + from, sizeof word);
            const uint64_t low = LanesBelowCrPlusOne(word);
            if (low != 0) return from + static_cast<size_t>(std::countr_zero(low)) / 16;
        }
    }
    while (from < size && data[from] > u'\r') ++from;
    return from;
}

// Swaps the two bytes of each of `count` units.
inline void SwapBytes(char16_t* units, size_t count) {
    constexpr uint64_t kLowBytes = kEveryUnit * 0x00FF;
    size_t done = 0;
    for (; count - done >= kUnitsPerWord; done += kUnitsPerWord) {
        uint64_t word;
        std::memcpy(&word, units + done, sizeof word);
        word = ((word & kLowBytes) << 8) | ((word >> 8) & kLowBytes);
        std::memcpy(units + done, &word, sizeof word);
    }
    for (; done < count; ++done)
        units[done] = static_cast<char16_t>((units[done] << 8) | (units[done] >> 8));
}

}  // namespace utf16_words
