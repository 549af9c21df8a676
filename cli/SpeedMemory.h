// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace kalvero::cli {

// The speed at which each port's printer last answered, kept between runs so that
// the next command tries it first instead of waiting out a silent 9600 first: one
// line "PORT BAUD" a port in $XDG_CACHE_HOME/kalvero/speeds (~/.cache/kalvero/speeds;
// %LOCALAPPDATA%\Kalvero\speeds on Windows). A cache: what cannot be read or written
// is only slower, never wrong.
class SpeedMemory {
public:
    // file in UTF-8; empty keeps nothing.
    explicit SpeedMemory(std::string file);
    static SpeedMemory fromEnvironment();

    std::optional<std::uint16_t> speed(const std::string& port) const;
    void remember(const std::string& port, std::uint16_t baud);
    // Why the file was not read (not a regular file, too large), when it was not.
    const std::string& ignored() const { return m_ignored; }
    const std::string& file() const { return m_file; }

private:
    std::string m_file;
    std::string m_ignored;
    std::map<std::string, std::uint16_t> m_speeds;
};

}  // namespace kalvero::cli
