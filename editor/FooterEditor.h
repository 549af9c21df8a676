// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "data/FileSink.h"
#include "data/RecordFormat.h"
#include "data/ResultCode.h"

namespace kalvero {

class PrinterCommands;
class RecordFiles;
struct FileNames;
struct OperatingState;

using FooterLines = std::array<FooterLine, 4>;

// The two data files the editor works on offline.
enum class DataFile { Footers, Bindings };

// How far a footer load got: the code of the line that failed (0 when none did)
// and how many lines, from line 1 on, were read before it.
struct FooterLoad {
    ResultCode result = 0;
    std::size_t lines = 0;
};

// The footer editor's work, without its window: one footer at a time loaded and
// saved, and one item at a time read and bound, in the printer (online) or in the
// data files. It keeps the footer as last loaded or saved, so that the lines the
// window shows can be told edited.
class FooterEditor {
public:
    // What the window shows in every line of a footer that could not be loaded.
    static constexpr const char* kNoFooterMarker = "!BRAK OPISU STOPKI W PLIKU!";

    FooterEditor(PrinterCommands& commands, RecordFiles& records, const FileNames& files,
                 const OperatingState& state);

    bool offline() const;

    // Line 1, then lines 2..4 while they come; each line read becomes the snapshot's.
    FooterLoad load(std::uint8_t footer);
    // Online line by line, each accepted line becoming the snapshot's; offline one
    // record of all four lines, which on success becomes the whole snapshot.
    ResultCode save(std::uint8_t footer, const FooterLines& shown);
    // The shown lines differ from the snapshot; never while they show the marker.
    bool FooterEdited(const FooterLines& shown) const;
    const FooterLines& FooterSnapshot() const { return m_snapshot; }

    ResultCode readItemName(std::uint16_t item, std::string& name);
    ResultCode readBinding(std::uint16_t item, std::uint8_t& footer);
    ResultCode bind(std::uint16_t item, std::uint8_t footer);

    // Offline, the file that the last failed save or binding could not create or
    // write, with the system's reason.
    std::optional<FileError> writeError() const;
    bool missing(DataFile file) const;
    // Creates the file with its default records; why it could not, when it could not.
    std::optional<FileError> create(DataFile file);

private:
    const std::string& fileName(DataFile file) const;

    PrinterCommands& m_commands;
    RecordFiles& m_records;
    const FileNames& m_files;
    const OperatingState& m_state;
    FooterLines m_snapshot{};
};

}  // namespace kalvero
