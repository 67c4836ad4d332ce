// Records exchanged with the host library by address. Every byte not named here is
// opaque: the module hands it back exactly as the host wrote it.
#pragma once

#include <cstddef>
#include <cstdint>

// The key by which the host names a picked element.
struct ElementRef {
    int32_t element;
    int32_t segment;
};

// One entry of the host's selection list. Note the order: segment first, unlike ElementRef.
struct SelectionEntry {
    int32_t segment;
    int32_t element;
    int32_t opaque[2];
};

struct HoleStep {
    int32_t code;
    std::byte opaque0[4];
    double diameter;
    std::byte opaque1[224];
};

struct HoleRecord {
    std::byte opaque0[28];
    int32_t excluded;  // nonzero: never offered for picking, never rewritten
    std::byte opaque1[52];
    int32_t stepCount;  // 0 or less: no steps
    HoleStep* steps;    // host-owned array of stepCount entries
};

static_assert(sizeof(ElementRef) == 8);
static_assert(offsetof(ElementRef, element) == 0 && offsetof(ElementRef, segment) == 4);
static_assert(sizeof(SelectionEntry) == 16);
static_assert(offsetof(SelectionEntry, segment) == 0 && offsetof(SelectionEntry, element) == 4);
static_assert(sizeof(HoleStep) == 240 && alignof(HoleStep) == 8);
static_assert(offsetof(HoleStep, code) == 0 && offsetof(HoleStep, diameter) == 8);
static_assert(sizeof(HoleRecord) == 96 && alignof(HoleRecord) == 8);
static_assert(offsetof(HoleRecord, excluded) == 28);
static_assert(offsetof(HoleRecord, stepCount) == 84);
static_assert(offsetof(HoleRecord, steps) == 88);

// The host library's raw answers, read into results by host/RawHoleHost.h.
inline constexpr int32_t kHostFailure = -1;  // no hole, failed read or amend, end of list
inline constexpr int32_t kNoHole = -1;
