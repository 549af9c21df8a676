// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "cli/CliOptions.h"
#include "cli/Snapshots.h"
#include "cli/SpeedMemory.h"
#include "cli/TerminalProgress.h"
#include "data/FileNames.h"
#include "data/Question.h"
#include "data/RecordFiles.h"
#include "data/ResultCode.h"
#include "data/WholeFiles.h"
#include "link/Comparison.h"
#include "link/Connecting.h"
#include "link/Identification.h"
#include "link/OperatingState.h"
#include "link/PortMap.h"
#include "link/Printer.h"
#include "link/PrinterCommands.h"
#include "link/orukom.h"

namespace kalvero::cli {

// Ctrl+C stops the transfer at the next record; a second one ends the program.
void stopOnCtrlC();

// The printer connection of one run: the port layer, the operating state, the commands.
class Session {
public:
    explicit Session(const Options& options);

    // Why the trace file of --trace cannot be written; the run then does not start.
    const std::optional<std::string>& traceFailure() const { return m_printer.traceFailure(); }
    // Why the trace of --trace is not whole, when a line of it could not be written.
    std::optional<std::string> traceLost() const { return m_printer.traceLost(); }

    // The printer that answered, once one did.
    const PrinterIdentity& identity() const { return m_identity; }
    // The records that a write sent to the printer.
    long changedRecords() const { return m_changed; }

    int detect();
    // read, write, erase: footers first, then bindings, each only when chosen.
    int transfer(const std::string& command);
    int getFooter(std::uint8_t footer);
    int setFooter(std::uint8_t footer);
    int getBinding(std::uint16_t plu);
    int setBinding(std::uint16_t plu, std::uint8_t footer);
    int item(std::uint16_t plu);
    int status();
    // What differs between the printer and the files; the files are not touched.
    int diff();
    // Offline: the data files to and from a CSV file.
    int exportCsv();
    int importCsv();
    // The newest snapshot of the printer on the port (or --snapshot DIR) back into it.
    int restore();
    int listSnapshots();

private:
    // A script cannot be asked: --create answers the question about a missing file.
    struct FileQuestion final : Question {
        bool create = false;
        bool ask(const std::string&, const std::string&) override { return create; }
    };

    // Finds the printer on the given port or on the first present one.
    int connect(bool quiet);
    PortMap portMap() const;
    // The name under which a port's speed is remembered.
    std::string speedKey(std::uint8_t port) const;
    Speeds speedsFor(std::uint8_t port) const;
    std::string portName() const;
    std::uint8_t mode() const { return m_printer.state.OfflineMode; }
    // Offline the record is looked up in the file, which must be there unless a set
    // may create it; online the printer must be found first.
    int prepare(const std::string& file, bool set);
    int done();
    // The result's text, and what the port adds to it (a server that hung up).
    std::string resultText(ResultCode rc);
    int fail(ResultCode rc);
    // Offline the file answered for the record, so the file is named.
    int fail(ResultCode rc, const std::string& file, const std::string& record);
    // stopped and done follow the operation's name, as the exchange window shows them.
    int report(const std::string& what, ResultCode rc, const std::string& stopped,
               const std::string& done);
    // The data files to compare, read whole; false after saying why one cannot be.
    bool loadFiles(bool footers, bool bindings, std::optional<FooterFile>& footerFile,
                   std::optional<BindingFile>& bindingFile);
    // Reads back what the files hold and says what differs.
    int verify(bool footers, bool bindings);
    int verifyRecords(const std::vector<FooterRecord>* footers,
                      const std::vector<BindingRecord>* bindings);
    // What the printer holds of the kinds about to change, read and kept as a snapshot;
    // an exit code other than 0 when it could not be taken whole: nothing is changed.
    int takeSnapshot(bool footers, bool bindings, PrinterFooters& printerFooters,
                     PrinterBindings& printerBindings);
    // The files whole, a snapshot, then only what differs from it, verified; all of it
    // with --all or --no-snapshot.
    int write(bool footers, bool bindings);
    int erase(bool footers, bool bindings);
    // The exit code of a read of the printer into memory that failed or was stopped.
    int readFailure(const std::string& what, ResultCode rc, const std::string& stopped);

    const Options& m_options;
    FileQuestion m_question;
    std::unique_ptr<WinSer> m_ports;
    Printer m_printer;
    // The printer's parts by the names the commands use.
    OperatingState& m_state;
    FileNames& m_names;
    RecordFiles& m_records;
    PrinterCommands& m_commands;
    SpeedMemory m_speeds = SpeedMemory::fromEnvironment();
    Snapshots m_snapshots = Snapshots::fromEnvironment();
    TerminalProgress m_progress;
    BulkTransfers m_transfers;
    PrinterIdentity m_identity;
    long m_changed = 0;
};

// A line about the snapshot taken before a change.
std::string snapshotLine(const std::string& text);
bool isSnapshotLine(const std::string& line);

}  // namespace kalvero::cli
