// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalvero::cli {

// What a printer held before kalvero-cli changed it: a folder a change,
//   ROOT/PORT-NUMBER/YYYY-MM-DD_HH-MM-SS.mmmZ/stopki.txt and/or wiazplu.txt
// in the data files' own format. ROOT is $XDG_DATA_HOME/kalvero/snapshots
// (~/.local/share/kalvero/snapshots; %LOCALAPPDATA%\Kalvero\snapshots on Windows).
// PORT is the port as named (COM3, a device path or URL with its signs as "_"),
// NUMBER the printer's number. TIME is UTC, so that names sort as times even across
// a change of the clocks.
class Snapshots {
public:
    explicit Snapshots(std::string root);
    static Snapshots fromEnvironment();

    // A new, empty folder for this printer to fill, named TIME.partial, or nothing
    // with the reason; finish makes it the snapshot TIME, drop removes it.
    std::optional<std::string> create(const std::string& port, const std::string& number,
                                      std::string& reason) const;
    static std::optional<std::string> finish(const std::string& building, std::string& reason);
    static void drop(const std::string& building);
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

    // A name part that every file system takes: signs other than letters, digits,
    // "." and "_" become "_".
    static std::string folderWord(const std::string& text);

private:
    std::string printerFolder(const std::string& port, const std::string& number) const;

    std::string m_root;
};

}  // namespace kalvero::cli
