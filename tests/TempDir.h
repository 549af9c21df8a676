// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "data/FileNames.h"

namespace kalvero::test {

// A fresh directory, removed with everything in it when the test ends.
class TempDir {
public:
    TempDir() {
        std::random_device random;
        std::error_code ec;
        do {
            m_path = std::filesystem::temp_directory_path() /
                     ("kalvero-" + std::to_string(random()) + std::to_string(random()));
            // Only a name already taken is worth another try.
        } while (!std::filesystem::create_directory(m_path, ec) && !ec);
        if (ec) {
            throw std::filesystem::filesystem_error("no temporary folder", m_path, ec);
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

// The footer and binding files by their usual names in dir, not made yet.
inline FileNames DataFilesIn(const TempDir& dir) {
    FileNames names;
    names.FooterFileName = (dir / "stopki.txt").string();
    names.BindingFileName = (dir / "wiazplu.txt").string();
    return names;
}

}  // namespace kalvero::test
