// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kalvero {

// Text is Windows-1250 inside the program and its files; these convert it at
// the edge, to and from the UTF-8 that windows and terminals use.
std::string Cp1250ToUtf8(std::string_view cp1250);
// Nothing when a character has no Windows-1250 byte: it is refused, never replaced.
std::optional<std::string> Utf8ToCp1250(std::string_view utf8);
std::optional<char> CodePointToCp1250(char32_t codePoint);
char32_t Cp1250ToCodePoint(unsigned char byte);
// The first character of a Windows-1250 text that the printer cannot print: any
// from 0x80 up but the Polish letters. Such text is refused where it is typed;
// data files that already hold one keep it.
std::optional<char> FirstUnprintable(std::string_view cp1250);

}  // namespace kalvero
