// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "data/FileSink.h"

namespace kalvero {

// Generations of a data file, kept beside it when it is replaced:
// NAME.2026-12-07_10-15-03.bak, and NAME.2026-12-07_10-15-03-2.bak for a second
// one in the same second. They are ordered by when they were made, whatever their
// names say (a clock that was once ahead), and the newest kGenerations stay.
class Backups {
public:
    static constexpr std::size_t kGenerations = 20;

    // The file becomes its newest generation by a hard link (by a rename where the
    // file system has no links), unless it is missing or the newest generation holds
    // the same bytes: never a copy, so no crash leaves half a backup. What was made,
    // if anything, goes to made.
    static std::optional<FileError> take(const std::string& name,
                                         std::optional<std::filesystem::path>& made);
    // Puts back what take made, when the replace it served failed.
    static void undo(const std::string& name, const std::filesystem::path& made);
    // Removes the oldest generations beyond kGenerations, never the one just made.
    static void prune(const std::string& name, const std::filesystem::path& made);

    // The generations of a file, oldest first; only regular files count.
    static std::vector<std::filesystem::path> generations(const std::string& name);
};

}  // namespace kalvero
