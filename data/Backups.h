// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "FileSink.h"

namespace kalvero {

// Generations of a data file, kept beside it before a bulk read empties it:
// NAME.2026-12-07_10-15-03.bak, and NAME.2026-12-07_10-15-03-2.bak for a second
// one in the same second. Each is made as a new file, never through an existing
// name or link; the newest kGenerations stay.
class Backups {
public:
    static constexpr std::size_t kGenerations = 20;

    explicit Backups(const Sinks& sinks = Sinks::files()) : m_sinks(sinks) {}

    // Keeps the file as its newest generation, unless it is missing or the newest
    // generation already holds the same bytes. On an error no partial copy stays.
    std::optional<FileError> keep(const std::string& name) const;

    // The generations of a file, oldest first.
    static std::vector<std::filesystem::path> generations(const std::string& name);

private:
    const Sinks& m_sinks;
};

}  // namespace kalvero
