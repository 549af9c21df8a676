#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "FileNames.h"
#include "FileSink.h"
#include "OperatingState.h"
#include "PrinterCommands.h"
#include "ProgressView.h"
#include "ResultCode.h"

namespace kalvero {

// Code of a transfer that ended on a FileError; the caller shows the error itself.
constexpr ResultCode kFileErrorCode = -100;

// The bulk transfers between the printer and the data files, record by record,
// with progress after each record and a stop checked before each. Result 0 is
// success or a stop, told apart by AbortRequested, which a stop leaves set.
class BulkTransfers {
public:
    BulkTransfers(PrinterCommands& commands, const FileNames& names, OperatingState& state,
                  ProgressView& view, const Sinks& sinks = Sinks::files());

    ResultCode ReadAllFooters();
    ResultCode WriteAllFooters(std::uint16_t& count);
    ResultCode EraseAllFooters();
    ResultCode ReadAllBindings(std::uint16_t lastPlu);
    ResultCode WriteAllBindings();
    ResultCode EraseAllBindings();

    // Set when a transfer ended with kFileErrorCode: a data file that could not be
    // kept, created or written during a bulk read.
    const std::optional<FileError>& fileError() const { return m_fileError; }

private:
    bool aborted() const { return m_state.AbortRequested != 0; }
    void progressStep(const std::string& label);
    void endView();
    ResultCode fileError(const FileError& error);
    // Keeps the previous file as a backup generation, then creates it anew with the
    // header "#", "#", "#". Null, with rc set, when either failed.
    std::unique_ptr<FileSink> startReadFile(const std::string& name, ResultCode& rc);

    PrinterCommands& m_commands;
    const FileNames& m_names;
    OperatingState& m_state;
    ProgressView& m_view;
    const Sinks& m_sinks;
    std::optional<FileError> m_fileError;
};

}  // namespace kalvero
