// UTF-8 <-> UTF-16 (wchar_t) for the test host's output and arguments.
#pragma once

#include <string>
#include <string_view>

std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);
