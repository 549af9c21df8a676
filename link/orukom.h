// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/FileNames.h"
#include "data/FileSink.h"
#include "data/RecordFormat.h"
#include "data/ResultCode.h"
#include "link/OperatingState.h"
#include "link/PrinterCommands.h"
#include "link/ProgressView.h"

namespace kalvero {

// Code of a transfer that ended on a FileError; the caller shows the error itself.
constexpr ResultCode kFileErrorCode = -100;
// Where a read that did not finish keeps what it got: NAME.partial beside NAME.
inline constexpr const char* kPartialSuffix = ".partial";

class FileReplace;

// The bulk transfers between the printer and the data files, record by record,
// with progress after each record and a stop checked before each. Result 0 is
// success or a stop, told apart by AbortRequested, which a stop leaves set.
class BulkTransfers {
public:
    BulkTransfers(PrinterCommands& commands, const FileNames& names, OperatingState& state,
                  ProgressView& view, const Sinks& sinks = Sinks::files());

    ResultCode ReadAllFooters();
    // The footer file whole, or nothing of it when it is not; count is of the
    // records the printer took.
    ResultCode WriteAllFooters(std::uint16_t& count);
    // Records already read whole, in their order.
    ResultCode WriteFooters(const std::vector<FooterRecord>& records, std::uint16_t& count);
    ResultCode EraseAllFooters();
    ResultCode ReadAllBindings(std::uint16_t lastPlu);
    ResultCode WriteAllBindings();
    ResultCode WriteBindings(const std::vector<BindingRecord>& records, std::uint16_t& count);
    ResultCode EraseAllBindings();

    // Set when a transfer ended with kFileErrorCode: a data file that could not be
    // kept, created or written during a bulk read.
    const std::optional<FileError>& fileError() const { return m_fileError; }
    // Set when a read failed or was stopped: the file that holds the whole records it
    // got. The data file itself is left as it was.
    const std::optional<std::string>& partialFile() const { return m_partialFile; }
    // The data file and its line (from 1) that made a write refuse the file whole
    // (255) before anything was sent.
    struct BadLine {
        std::string file;
        int line = 0;
    };
    const std::optional<BadLine>& badLine() const { return m_badLine; }
    // The records the last erase blanked, also when it failed or was stopped part-way.
    std::uint16_t erased() const { return m_erased; }

private:
    // What one record of a transfer came to: a code that ends the transfer, or the
    // end of the records, or the label of the progress step that follows it.
    struct RecordStep {
        ResultCode rc = 0;
        bool done = false;
        std::string label;

        static RecordStep failed(ResultCode code) { return {code, false, {}}; }
        static RecordStep end() { return {0, true, {}}; }
        static RecordStep next(std::string label) { return {0, false, std::move(label)}; }
    };
    // The shape every transfer shares: the stop check before each record, the
    // record, the progress step after it. A code other than 0 ends the transfer
    // with the label and the bar put away.
    ResultCode eachRecord(const std::function<RecordStep()>& record);
    bool aborted() const { return m_state.AbortRequested != 0; }
    // A write begins: what is left of an earlier transfer goes, the label and bar show.
    void startWrite(const std::string& label, int records);
    // The code of a data file that a write does not send, the bad line kept.
    template <typename File>
    ResultCode refused(const std::string& name, const File& file);
    void progressStep(const std::string& label);
    void endView();
    ResultCode fileError(const FileError& error);
    // The new data file, its header "#", "#", "#" written. Null, with rc set, when
    // it could not be made.
    std::unique_ptr<FileReplace> startReadFile(const std::string& name, ResultCode& rc);
    // After the last record, or a failure or stop: a whole read replaces the data
    // file (the previous one kept as a backup), the label and the bar go; any other
    // keeps what came in NAME.partial, the label and the bar where they stood.
    ResultCode finishReadFile(FileReplace& file, const std::string& name, ResultCode rc);

    PrinterCommands& m_commands;
    const FileNames& m_names;
    OperatingState& m_state;
    ProgressView& m_view;
    const Sinks& m_sinks;
    std::optional<FileError> m_fileError;
    std::optional<std::string> m_partialFile;
    std::optional<BadLine> m_badLine;
    std::uint16_t m_erased = 0;
};

}  // namespace kalvero
