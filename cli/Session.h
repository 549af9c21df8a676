// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/SpeedMemory.h"
#include "cli/TerminalProgress.h"
#include "data/Question.h"
#include "data/ResultCode.h"
#include "data/SnapshotStore.h"
#include "link/Connecting.h"
#include "link/Identification.h"
#include "link/Printer.h"
#include "link/orukom.h"

namespace kalvero::cli {

// Ctrl+C or SIGTERM stops the transfer at the next record; a second one ends the
// program.
void stopOnSignals();
// The exit of a run that was stopped: 143 when SIGTERM stopped it, as a shell counts.
int stoppedExit(int exit);

// A JSON document on standard output, whole, in UTF-8 (a byte that is not, such as
// one of a file's name, as U+FFFD).
void sayJson(const nlohmann::ordered_json& document);

// What one run on one printer came to, for whoever ran it.
struct RunOutcome {
    int exit = kExitOk;
    std::string result;  // its last result, as said
    long changed = 0;    // records the printer took
    std::string number;  // the printer's, once one answered
};

// The connection of one run to one printer, and how its results are told: the port
// layer, the operating state, the commands, the transfers, the snapshot store.
class Session {
public:
    explicit Session(const Options& options);

    // Why the trace file of --trace cannot be written; the run then does not start.
    const std::optional<std::string>& traceFailure() const { return m_printer.traceFailure(); }
    // Why the trace of --trace is not whole, when a line of it could not be written.
    std::optional<std::string> traceLost() const { return m_printer.traceLost(); }

    const Options& options() const { return m_options; }
    OperatingState& state() { return m_printer.state; }
    FileNames& names() { return m_printer.files; }
    RecordFiles& records() { return m_printer.records(); }
    PrinterCommands& commands() { return m_printer.commands(); }
    BulkTransfers& transfers() { return m_transfers; }
    TerminalProgress& progress() { return m_progress; }
    const SnapshotStore& store() const { return m_store; }
    std::uint8_t mode() const { return m_printer.state.OfflineMode; }

    // Finds the printer on the given port or on the first present one.
    int connect(bool quiet);
    // The same for a command that changes the printer: without --port, when printers
    // answer on more than one port, none is guessed (exit 2, naming them all).
    int connectForChange();
    // Every present port tried in turn, each closed again: the printers that answer
    // and the ports that would not open, in port order.
    struct Answering {
        std::vector<Connection> found;
        std::vector<Connection> refused;
    };
    Answering answering();
    // detect --all: each printer that answers, listed; a printer with too old a
    // program and each port that would not open, named.
    int detectAll();
    // The printer that answered, once one did, and the port it answered on.
    const PrinterIdentity& identity() const { return m_identity; }
    std::string portName() const;
    // Who the printer is to the snapshot store.
    SnapshotOwner owner() const;
    // The printer's journal; a snapshot set aside as damaged on the way is named.
    std::vector<Snapshot> journal() const;

    // A result said, and kept as the run's outcome.
    int result(const std::string& text, int exit);
    // While held, a success is kept but not said: a command that says its own.
    void holdSuccess(bool hold) { m_holdSuccess = hold; }
    RunOutcome& outcome() { return m_outcome; }
    // What --json tells of the run besides its command and exit: the printer, each
    // operation's result code, what the command found. Keys in English, values the same
    // in every language.
    nlohmann::ordered_json& json() { return m_json; }
    // The document of the run: its command and exit first, then what it told.
    nlohmann::ordered_json runJson(int exit) const;
    // The result's text, and what the port adds to it (a server that hung up).
    std::string resultText(ResultCode rc);
    int fail(ResultCode rc);
    // Offline the file answered for the record, so the file is named.
    int fail(ResultCode rc, const std::string& file, const std::string& record);
    // stopped and done follow the operation's name, as the exchange window shows them.
    // kind names the operation for --json whatever the language.
    int report(std::string_view kind, const std::string& what, ResultCode rc,
               const std::string& stopped, const std::string& done);
    // The exit code of a read of the printer into memory that failed or was stopped.
    int readFailure(const std::string& what, ResultCode rc, const std::string& stopped);

private:
    // What a connection came to, told and kept: the state, the speed, the printer.
    int take(const Connection& connection);
    // report's line; its exit code.
    int reportText(const std::string& name, ResultCode rc, const std::string& stopped,
                   const std::string& done);
    // A script cannot be asked: --create answers the question about a missing file.
    struct FileQuestion final : Question {
        bool create = false;
        bool ask(const std::string&, const std::string&) override { return create; }
    };

    // The name under which a port's speed is remembered.
    std::string speedKey(std::uint8_t port) const;
    Speeds speedsFor(std::uint8_t port) const;

    const Options& m_options;
    FileQuestion m_question;
    std::unique_ptr<WinSer> m_ports;
    Printer m_printer;
    SpeedMemory m_speeds = SpeedMemory::fromEnvironment();
    SnapshotStore m_store = SnapshotStore::fromEnvironment();
    TerminalProgress m_progress;
    BulkTransfers m_transfers;
    PrinterIdentity m_identity;
    RunOutcome m_outcome;
    bool m_holdSuccess = false;
    nlohmann::ordered_json m_json = nlohmann::ordered_json::object();
};

}  // namespace kalvero::cli
