// SPDX-License-Identifier: MIT
#include "editor/FooterEditor.h"

#include <filesystem>

#include "data/RecordFormat.h"
#include "data/WholeFiles.h"
#include "link/OperatingState.h"
#include "link/PrinterCommands.h"

namespace kalvero {

namespace {

constexpr std::size_t kNarrowLine = 20;

}  // namespace

FooterEditor::FooterEditor(PrinterCommands& commands, RecordFiles& records, const FileNames& files,
                           const OperatingState& state)
    : m_commands(commands), m_records(records), m_files(files), m_state(state) {}

bool FooterEditor::offline() const {
    return m_state.OfflineMode != 0;
}

FooterLoad FooterEditor::load(std::uint8_t footer) {
    FooterLoad load;
    for (; load.lines < m_snapshot.size(); ++load.lines) {
        FooterLine line;
        load.result = m_commands.ReadFooterLine(m_state.OfflineMode, footer,
                                                static_cast<std::uint8_t>(load.lines + 1),
                                                line.text, line.width20, line.enabled);
        if (load.result != 0) {
            break;
        }
        // A 20-wide line shows only its first 20 characters: the snapshot is what is shown.
        if (line.width20 == 1) {
            line.text = line.text.substr(0, kNarrowLine);
        }
        m_snapshot[load.lines] = line;
    }
    return load;
}

ResultCode FooterEditor::save(std::uint8_t footer, const FooterLines& shown) {
    if (offline()) {
        const ResultCode rc = m_commands.WriteFooterLine(
            1, footer, 1, FooterRecord{footer, shown}.tail(), shown[0].width20, shown[0].enabled);
        if (rc == 0) {
            m_snapshot = shown;
        }
        return rc;
    }
    for (std::size_t k = 0; k < shown.size(); ++k) {
        const ResultCode rc =
            m_commands.WriteFooterLine(0, footer, static_cast<std::uint8_t>(k + 1), shown[k].text,
                                       shown[k].width20, shown[k].enabled);
        if (rc != 0) {
            return rc;
        }
        m_snapshot[k] = shown[k];
    }
    return 0;
}

bool FooterEditor::FooterEdited(const FooterLines& shown) const {
    return shown[0].text != kNoFooterMarker && shown != m_snapshot;
}

ResultCode FooterEditor::readItemName(std::uint16_t item, std::string& name) {
    return m_commands.ReadItemName(m_state.OfflineMode, item, name);
}

ResultCode FooterEditor::readBinding(std::uint16_t item, std::uint8_t& footer) {
    return m_commands.ReadBinding(m_state.OfflineMode, item, footer);
}

ResultCode FooterEditor::bind(std::uint16_t item, std::uint8_t footer) {
    return m_commands.WriteBinding(m_state.OfflineMode, item, footer);
}

std::optional<FileError> FooterEditor::writeError() const {
    return offline() ? m_records.fileError() : std::nullopt;
}

bool FooterEditor::missing(DataFile file) const {
    std::error_code ec;
    return !std::filesystem::exists(fileName(file), ec);
}

std::optional<FileError> FooterEditor::create(DataFile file) {
    FileError error;
    if (CreateDefaultFile(m_files, fileName(file), &error)) {
        return std::nullopt;
    }
    return error;
}

const std::string& FooterEditor::fileName(DataFile file) const {
    return file == DataFile::Footers ? m_files.FooterFileName : m_files.BindingFileName;
}

}  // namespace kalvero
