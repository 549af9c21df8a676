// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalvero::cli {

// What a printer held before kalvero-cli changed it: a folder a change,
//   ROOT/PORT-NUMBER/YYYY-MM-DD_HH-MM-SS.mmm/stopki.txt and/or wiazplu.txt
// in the data files' own format. ROOT is $XDG_DATA_HOME/kalvero/snapshots
// (~/.local/share/kalvero/snapshots; %LOCALAPPDATA%\Kalvero\snapshots on Windows).
// PORT is the port as named (COM3, a device path or URL with its signs as "_"),
// NUMBER the printer's number.
class Snapshots {
public:
    explicit Snapshots(std::string root);
    static Snapshots fromEnvironment();

    // A new, empty folder for this printer, or nothing with the reason.
    std::optional<std::string> create(const std::string& port, const std::string& number,
                                      std::string& reason) const;
    // The printer's newest folder.
    std::optional<std::string> newest(const std::string& port, const std::string& number) const;

    struct Entry {
        std::string printer;  // PORT-NUMBER
        std::string time;
        std::string kinds;  // "stopki", "wiązania" or both
        std::uintmax_t size = 0;
        std::string folder;
    };
    // Every snapshot, oldest first within each printer.
    std::vector<Entry> list() const;

private:
    std::string printerFolder(const std::string& port, const std::string& number) const;

    std::string m_root;
};

}  // namespace kalvero::cli
