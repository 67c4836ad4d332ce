// SHA-256 (FIPS 180-4) of a whole byte string, for the journal's record of which rule file a
// rewrite used.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

std::array<uint8_t, 32> Sha256(std::string_view bytes);
// 64 lowercase hexadecimal digits.
std::string Sha256Hex(std::string_view bytes);
