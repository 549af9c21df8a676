// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace kalvero {

// Reads a file through a window of 64 KiB, so that a scan over records at rising
// offsets costs one system call per window instead of one per record.
class FileReader {
public:
    explicit FileReader(const std::string& name);

    // False for a missing file, a directory or anything else that cannot be read.
    bool isOpen() const { return m_open; }
    // -1 when unknown.
    std::int64_t size() const { return m_size; }
    // Fills out with the bytes at offset; false when the file ends first.
    bool readAt(std::int64_t offset, std::string& out);
    // The offset of the first occurrence of c, or -1.
    std::int64_t find(char c);

private:
    bool load(std::int64_t offset);

    std::ifstream m_file;
    bool m_open = false;
    std::int64_t m_size = -1;
    std::vector<char> m_window;
    std::int64_t m_windowStart = 0;
    std::int64_t m_windowLength = 0;
};

}  // namespace kalvero
