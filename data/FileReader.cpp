// SPDX-License-Identifier: MIT
#include "data/FileReader.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "data/FilePath.h"

namespace kalvero {

namespace {
constexpr std::int64_t kWindow = 64 * 1024;
}

FileReader::FileReader(const std::string& name) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(FilePath(name), ec)) {
        return;
    }
    m_file.open(name, std::ios::binary);
    if (!m_file) {
        return;
    }
    m_file.seekg(0, std::ios::end);
    m_size = m_file.tellg();
    m_open = m_size >= 0;
    m_window.resize(kWindow);
}

bool FileReader::load(std::int64_t offset) {
    m_file.clear();
    m_file.seekg(offset);
    m_file.read(m_window.data(), kWindow);
    m_windowStart = offset;
    m_windowLength = m_file.gcount();
    return m_windowLength > 0;
}

bool FileReader::readAt(std::int64_t offset, std::string& out) {
    const auto count = static_cast<std::int64_t>(out.size());
    if (!m_open || offset < 0 || offset + count > m_size) {
        return false;
    }
    std::int64_t done = 0;
    while (done < count) {
        const std::int64_t at = offset + done;
        if (at < m_windowStart || at >= m_windowStart + m_windowLength) {
            if (!load(at)) {
                return false;
            }
        }
        const std::int64_t take = std::min(count - done, m_windowStart + m_windowLength - at);
        std::memcpy(out.data() + done, m_window.data() + (at - m_windowStart),
                    static_cast<std::size_t>(take));
        done += take;
    }
    return true;
}

std::int64_t FileReader::find(char c) {
    if (!m_open) {
        return -1;
    }
    for (std::int64_t at = 0; at < m_size; at += m_windowLength) {
        if (!load(at)) {
            return -1;
        }
        const char* begin = m_window.data();
        const char* hit = std::find(begin, begin + m_windowLength, c);
        if (hit != begin + m_windowLength) {
            return at + (hit - begin);
        }
    }
    return -1;
}

}  // namespace kalvero
