// The colours of the rule pictures, one swatch per rule number: seven base colours that stay
// apart for readers with any of the three kinds of colour blindness, each in seven patterns
// (plain, then hatched or dotted), so that all 49 rules of a full table differ.
#pragma once

#include <cstdint>
#include <string>

enum class SwatchPattern : uint8_t {
    Plain,
    Rising,   // lines from lower left to upper right
    Falling,  // lines from upper left to lower right
    Level,    // horizontal lines
    Upright,  // vertical lines
    Dotted,
    Crossed,  // both diagonals
};

inline constexpr int kSwatchColours = 7;
inline constexpr int kSwatchPatterns = 7;
inline constexpr int kSwatchCount = kSwatchColours * kSwatchPatterns;

struct Rgb {
    uint8_t r, g, b;
};

struct RuleSwatch {
    Rgb colour;
    SwatchPattern pattern;
    Rgb ink;  // the pattern's lines or dots: dark on a light colour, white on a dark one
};

// Rules 1 to 7 plain in the seven colours, 8 to 14 hatched one way in them, and so on; a
// number beyond 49 (or below 1) takes the swatch of the number it equals modulo 49.
RuleSwatch SwatchOfRule(int rule);

// "#e69f00".
std::string HexColour(Rgb colour);
