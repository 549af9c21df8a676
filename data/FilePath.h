// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

namespace kalvero {

// File names travel as UTF-8 strings on every system (the Windows programs run with
// UTF-8 as their code page). std::filesystem would read a narrow name in the C
// library's locale on Windows, and throw on a letter outside it, so every name
// crosses to a path and back here. Neither way throws: a name Windows cannot convert
// (broken UTF-8, a lone surrogate) becomes no name, which no file has.
inline std::filesystem::path FilePath(const std::string& utf8) noexcept {
    try {
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    } catch (const std::exception&) {
        return {};
    }
}

inline std::string FileNameText(const std::filesystem::path& path) noexcept {
    try {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    } catch (const std::exception&) {
        return {};
    }
}

// Whether two names lead to one file: the same file now (links included), or the same
// path once resolved, for files not made yet.
inline bool SameFile(const std::string& a, const std::string& b) noexcept {
    std::error_code ec;
    if (std::filesystem::equivalent(FilePath(a), FilePath(b), ec)) {
        return true;
    }
    const std::filesystem::path first = std::filesystem::weakly_canonical(FilePath(a), ec);
    if (ec) {
        return false;
    }
    const std::filesystem::path second = std::filesystem::weakly_canonical(FilePath(b), ec);
    return !ec && first == second;
}

}  // namespace kalvero
