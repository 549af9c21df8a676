// SPDX-License-Identifier: MIT
#include "cli/SpeedMemory.h"

#include <cstdlib>
#include <mutex>
#include <sstream>

#include "data/FilePath.h"
#include "data/FileReplace.h"
#include "data/OwnFiles.h"

namespace kalvero::cli {

namespace fs = std::filesystem;

SpeedMemory::SpeedMemory(std::string file) : m_file(std::move(file)) {
    // A line a port: a few KiB hold every port there is.
    constexpr std::uintmax_t kMostBytes = 16 * 1024;
    std::istringstream in(ReadOwnFile(m_file, kMostBytes, m_ignored).value_or(""));
    std::string port;
    long baud = 0;
    while (in >> port >> baud) {
        if (baud == 9600 || baud == 19200) {
            m_speeds[port] = static_cast<std::uint16_t>(baud);
        }
    }
}

SpeedMemory SpeedMemory::fromEnvironment() {
#ifdef _WIN32
    const char* local = std::getenv("LOCALAPPDATA");
    return SpeedMemory(local != nullptr && *local != '\0' ? std::string(local) + "\\Kalvero\\speeds"
                                                          : std::string());
#else
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    const std::string base = cache != nullptr && *cache != '\0' ? std::string(cache)
                             : home != nullptr                  ? std::string(home) + "/.cache"
                                                                : std::string();
    return SpeedMemory(base.empty() ? base : base + "/kalvero/speeds");
#endif
}

std::optional<std::uint16_t> SpeedMemory::speed(const std::string& port) const {
    const auto found = m_speeds.find(port);
    return found == m_speeds.end() ? std::nullopt : std::optional(found->second);
}

void SpeedMemory::remember(const std::string& port, std::uint16_t baud) {
    // Several printers at once share the file: one writes at a time, over what the
    // others wrote.
    static std::mutex writing;
    const std::lock_guard lock(writing);
    for (const auto& [name, speed] : SpeedMemory(m_file).m_speeds) {
        m_speeds.try_emplace(name, speed);
    }
    // A name with blanks would not read back as one word.
    if (m_file.empty() || port.find_first_of(" \t\r\n") != std::string::npos ||
        speed(port) == baud) {
        return;
    }
    m_speeds[port] = baud;
    std::ostringstream text;
    for (const auto& [name, speed] : m_speeds) {
        text << name << ' ' << speed << '\n';
    }
    std::error_code ec;
    fs::create_directories(FilePath(m_file).parent_path(), ec);
    FileReplace file(m_file, Sinks::files(), FileReplace::Links::Replace);
    if (file.isOpen() && file.content().append(text.str())) {
        file.keepAs(m_file);  // a cache keeps no backups
    }
}

}  // namespace kalvero::cli
