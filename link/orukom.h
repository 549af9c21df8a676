#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "FileNames.h"
#include "OperatingState.h"
#include "PrinterCommands.h"
#include "ProgressView.h"
#include "ResultCode.h"

namespace kalvero {

// A data file that could not be kept, created or written during a bulk read.
struct FileError {
    std::string name;
    std::string reason;  // the system's words
};

// Code of a transfer that ended on a FileError; the caller shows the error itself.
constexpr ResultCode kFileErrorCode = -100;

// The bulk transfers between the printer and the data files, record by record,
// with progress after each record and a stop checked before each. Result 0 is
// success or a stop, told apart by AbortRequested, which a stop leaves set.
class BulkTransfers {
public:
    BulkTransfers(PrinterCommands& commands, const FileNames& names, OperatingState& state,
                  ProgressView& view);

    ResultCode ReadAllFooters();
    ResultCode WriteAllFooters(std::uint16_t& count);
    ResultCode EraseAllFooters();
    ResultCode ReadAllBindings(std::uint16_t lastPlu);
    ResultCode WriteAllBindings();
    ResultCode EraseAllBindings();

    // Set when a transfer ended with kFileErrorCode.
    const std::optional<FileError>& fileError() const { return m_fileError; }

    // Where the previous data file is kept before a bulk read empties it.
    static std::string backupName(const std::string& name) { return name + ".bak"; }

private:
    bool aborted() const { return m_state.AbortRequested != 0; }
    void progressStep(const std::string& label);
    void endView();
    ResultCode fileError(const std::string& name, int error);
    // Keeps the previous file, then creates it anew with the header "#", "#", "#".
    std::FILE* startReadFile(const std::string& name, ResultCode& rc);

    PrinterCommands& m_commands;
    const FileNames& m_names;
    OperatingState& m_state;
    ProgressView& m_view;
    std::optional<FileError> m_fileError;
};

}  // namespace kalvero
