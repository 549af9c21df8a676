// SPDX-License-Identifier: MIT
#include "cli/ShellQuote.h"

#include <algorithm>
#include <cctype>

namespace kalvero::cli {

namespace {

bool plain(const std::string& word, const std::string& signs) {
    return !word.empty() && std::all_of(word.begin(), word.end(), [&signs](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) != 0 ||
               signs.find(c) != std::string::npos;
    });
}

bool hasControl(const std::string& word) {
    return std::any_of(word.begin(), word.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::optional<std::string> quoted(const std::string& word) {
    if (hasControl(word)) {
        return std::nullopt;
    }
#ifdef _WIN32
    if (plain(word, "_@+=:,./\\-")) {
        return word;
    }
    if (word.find_first_of("\"%!") != std::string::npos) {
        return std::nullopt;
    }
    // Backslashes before the closing quote would escape it for the program's argv.
    const std::size_t text = word.find_last_not_of('\\') + 1;
    return "\"" + word + std::string(word.size() - text, '\\') + "\"";
#else
    if (plain(word, "_@%+=:,./-")) {
        return word;
    }
    std::string out = "'";
    for (const char c : word) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
#endif
}

}  // namespace

std::optional<std::string> ShellCommand(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        const auto shown = quoted(word);
        if (!shown) {
            return std::nullopt;
        }
        line += (line.empty() ? "" : " ") + *shown;
    }
    return line;
}

}  // namespace kalvero::cli
