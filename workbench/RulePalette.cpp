#include "workbench/RulePalette.h"

#include <array>

namespace {

// Told apart under normal sight and each kind of colour blindness, and from white.
constexpr std::array<Rgb, kSwatchColours> kColours{{
    {0xE6, 0x9F, 0x00},  // orange
    {0x56, 0xB4, 0xE9},  // sky blue
    {0x00, 0x9E, 0x73},  // bluish green
    {0xF0, 0xE4, 0x42},  // yellow
    {0x00, 0x72, 0xB2},  // blue
    {0xD5, 0x5E, 0x00},  // vermilion
    {0xCC, 0x79, 0xA7},  // reddish purple
}};

// Perceived brightness, 0 to 255.
int LumaOf(Rgb colour) {
    return (299 * colour.r + 587 * colour.g + 114 * colour.b) / 1000;
}

}  // namespace

RuleSwatch SwatchOfRule(int rule) {
    const int index = ((rule - 1) % kSwatchCount + kSwatchCount) % kSwatchCount;
    const Rgb colour = kColours[static_cast<size_t>(index % kSwatchColours)];
    const Rgb ink = LumaOf(colour) < 120 ? Rgb{0xFF, 0xFF, 0xFF} : Rgb{0x20, 0x20, 0x20};
    return {colour, static_cast<SwatchPattern>(index / kSwatchColours), ink};
}

std::string HexColour(Rgb colour) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text = "#";
    for (const uint8_t channel : {colour.r, colour.g, colour.b}) {
        text += kHex[channel >> 4];
        text += kHex[channel & 0xF];
    }
    return text;
}
