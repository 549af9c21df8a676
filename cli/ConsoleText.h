// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <string>

namespace kalvero::cli {

// Writes UTF-8 text to standard output or error. A Windows console is handed the
// text as UTF-16, whatever its code page; anything else gets the bytes.
void writeText(std::FILE* stream, const std::string& utf8);

// True when the stream is a terminal that understands "\r" and "\033[K", so that a
// line can be drawn again in place (a Windows console is switched to do so).
bool redrawsLines(std::FILE* stream);

}  // namespace kalvero::cli
