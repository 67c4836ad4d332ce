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

inline constexpr uint64_t kTopBits = kEveryUnit * 0x8000;

// The top bit of each 16-bit lane that is zero: the low 15 bits plus 0x7FFF reach the top
// bit unless they are all zero, and never carry into the next lane.
constexpr uint64_t ZeroLanes(uint64_t word) {
    return ~(((word & ~kTopBits) + kEveryUnit * 0x7FFF) | word) & kTopBits;
}

// One bit for each of the four units from `at` on (fewer at the end of the text) that is a
// TAB, LF or CR: bit 16k + 15 for unit at + k. Other control characters, such as the NULs
// of UTF-16 bytes read as UTF-8, cost nothing.
inline uint64_t SeparatorsOfWord(const char16_t* data, size_t at, size_t size) {
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t word = ~uint64_t{0};  // lanes past the end hold U+FFFF, no separator
        const size_t units = size - at < kUnitsPerWord ? size - at : kUnitsPerWord;
        if (units == kUnitsPerWord) {
            std::memcpy(&word, data + at, sizeof word);
        } else {
            std::memcpy(&word, data + at, units * sizeof(char16_t));
        }
        return ZeroLanes(word ^ (kEveryUnit * u'\t')) | ZeroLanes(word ^ (kEveryUnit * u'\n')) |
               ZeroLanes(word ^ (kEveryUnit * u'\r'));
    } else {
        uint64_t bits = 0;
        for (size_t k = 0; k < kUnitsPerWord && at + k < size; ++k) {
            const char16_t c = data[at + k];
            if (c == u'\t' || c == u'\n' || c == u'\r') bits |= uint64_t{0x8000} << (16 * k);
        }
        return bits;
    }
}

// The unit, counted from its word's first, that the lowest bit set in `bits` stands for.
inline size_t FirstUnitOf(uint64_t bits) {
    return static_cast<size_t>(std::countr_zero(bits)) / 16;
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
