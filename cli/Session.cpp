// SPDX-License-Identifier: MIT
#include "cli/Session.h"

#include <csignal>
#include <cstdio>

#include "cli/ConsoleText.h"
#include "cli/Failure.h"
#include "cli/Output.h"
#include "data/Cp1250.h"
#include "data/ResultText.h"
#include "lang/Language.h"
#include "link/Connecting.h"
#include "link/PortRefusal.h"
#include "link/SystemPorts.h"

namespace kalvero::cli {

namespace {

// The port as the user named it, why it would not open, and the mend if there is one.
void complainOfRefusal(const std::string& name, const Connection& connection) {
    complain(PortRefusalText(name, connection));
    noteFailure(FailureOfPort(connection.result));
    if (const std::string mend = PortRefusalMend(connection); !mend.empty()) {
        complainFurther(mend);
    }
}

}  // namespace

void stopOnSignals() {
    // SIGTERM (timeout, systemd, a shutdown) stops as Ctrl+C does: the port is closed
    // and unlocked, a read keeps its whole records; a second signal of either kind
    // ends at once. Set once: several printers' runs must not set it again.
    static const bool set = [] {
        for (const int signal : {SIGINT, SIGTERM}) {
            std::signal(signal, [](int received) {
                TerminalProgress::interrupted = received;
                std::signal(SIGINT, SIG_DFL);
                std::signal(SIGTERM, SIG_DFL);
            });
        }
        return true;
    }();
    (void)set;
}

void sayJson(const nlohmann::ordered_json& document) {
    writeText(stdout, document.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) +
                          "\n");
    std::fflush(stdout);
}

int stoppedExit(int exit) {
    return exit == kExitStopped && TerminalProgress::interrupted == SIGTERM ? kExitTerminated
                                                                            : exit;
}

Session::Session(const Options& options)
    : m_options(options),
      m_ports(SystemPorts(options.port ? options.port->map() : PortMap::fromEnvironment())),
      m_printer(*m_ports, m_question, options.trace),
      m_progress(m_printer.state),
      m_transfers(m_printer.commands(), m_printer.files, m_printer.state, m_progress) {
    if (options.footers) {
        m_printer.files.FooterFileName = *options.footers;
    }
    if (options.bindings) {
        m_printer.files.BindingFileName = *options.bindings;
    }
    m_question.create = options.create;
    if (!m_speeds.ignored().empty()) {
        inform(fill(_("the remembered port speeds are ignored: %1: %2"),
                      {m_speeds.file(), m_speeds.ignored()}));
    }
}

int Session::connect(bool quiet) {
    if (m_options.port) {
        const ChannelSource channel = [this] { return m_options.channel; };
        const std::uint8_t port = m_options.port->number();
        const Connection connection =
            ConnectOnPort(m_printer.port(), channel, port, speedsFor(port));
        if (connection.failure) {
            complainOfRefusal(m_options.port->text(), connection);
            m_outcome.result = PortRefusalText(m_options.port->text(), connection);
            return kExitNoPrinter;
        }
        if (connection.outcome == ConnectOutcome::NoPrinter && connection.result != 0) {
            complain(m_options.port->text() + ": " +
                     Cp1250ToUtf8(ResultText(connection.result)));
        }
        return take(connection);
    }
    const ChannelSource channel = [this] { return m_options.channel; };
    ScanSerialPorts(m_printer.port(), m_printer.state.PortPresent);
    return take(DetectPrinter(
        m_printer.port(), channel, m_printer.state.PortPresent,
        [quiet](std::uint8_t n) {
            if (!quiet || verbosity() == Verbosity::Verbose) {
                inform(fill(_("Detecting... %1"), {"COM" + std::to_string(n)}));
            }
        },
        [this](std::uint8_t n) { return speedsFor(n); }));
}

int Session::take(const Connection& connection) {
    TakeConnection(connection, m_printer.state);
    const bool answered = connection.outcome == ConnectOutcome::Online ||
                          connection.outcome == ConnectOutcome::VersionRefused;
    if (answered) {
        m_speeds.remember(speedKey(connection.port), connection.baudRate);
    }
    // The ports a search passed over are named either way: the printer wanted may be
    // behind one of them.
    for (const Connection& refused : connection.refused) {
        if (answered) {
            inform(PortRefusalText("COM" + std::to_string(refused.port), refused));
        } else {
            complainOfRefusal("COM" + std::to_string(refused.port), refused);
        }
    }
    m_identity = connection.identity;
    m_outcome.number = Cp1250ToUtf8(m_identity.numberText);
    switch (connection.outcome) {
        case ConnectOutcome::Online:
            m_json["printer"] = {{"port", portName()},
                                 {"number", m_outcome.number},
                                 {"baud", m_printer.state.BaudRate},
                                 {"version", m_identity.version}};
            inform(fill(_("Printer: %1 (no. %2)"), {portName(), m_outcome.number}));
            return kExitOk;
        case ConnectOutcome::VersionRefused:
            return result("Wersja programu w drukarce etykiet mniejsza niż 4", kExitNoPrinter);
        case ConnectOutcome::PortBusy:
        case ConnectOutcome::PortRefused:
        case ConnectOutcome::NoPrinter:
            break;
    }
    return result("Nie wykryto drukarki etykiet", kExitNoPrinter);
}

Session::Answering Session::answering() {
    const ChannelSource channel = [this] { return m_options.channel; };
    ScanSerialPorts(m_printer.port(), m_printer.state.PortPresent);
    Answering answering;
    for (std::uint8_t n = 1; n <= 10; ++n) {
        if (m_printer.state.PortPresent[n] == 0) {
            continue;
        }
        Connection connection = ConnectOnPort(m_printer.port(), channel, n, speedsFor(n));
        m_printer.port().UnInitializePort();
        if (connection.outcome == ConnectOutcome::Online ||
            connection.outcome == ConnectOutcome::VersionRefused) {
            m_speeds.remember(speedKey(n), connection.baudRate);
            answering.found.push_back(std::move(connection));
        } else if (connection.failure) {
            answering.refused.push_back(std::move(connection));
        }
    }
    return answering;
}

int Session::connectForChange() {
    if (m_options.port) {
        return connect(true);
    }
    Answering scan = answering();
    if (scan.found.size() > 1) {
        std::string listed;
        for (const Connection& found : scan.found) {
            const std::string number = Cp1250ToUtf8(found.identity.numberText);
            listed += (listed.empty() ? "COM" : ", COM") + std::to_string(found.port) + " (" +
                      fill(_("no. %1"), {number}) + ")";
            m_json["answering"].push_back(
                {{"port", "COM" + std::to_string(found.port)}, {"number", number}});
        }
        return result(fill(_("printers answer on several ports: %1; name one with --port; "
                             "nothing was sent"),
                           {listed}),
                      kExitUsage);
    }
    // The one printer found is opened again, where it answered; none, and the ports
    // that would not open are what is left to say.
    Connection connection;
    if (!scan.found.empty()) {
        const std::uint8_t port = scan.found.front().port;
        const ChannelSource channel = [this] { return m_options.channel; };
        connection = ConnectOnPort(m_printer.port(), channel, port, speedsFor(port));
        if (connection.failure) {
            scan.refused.push_back(connection);  // taken since
        }
    }
    connection.refused = std::move(scan.refused);
    return take(connection);
}

int Session::detectAll() {
    if (m_options.port) {
        return result(_("detect --all tries every present port: not with --port"), kExitUsage);
    }
    const Answering scan = answering();
    nlohmann::ordered_json& listed = m_json["found"];
    listed = nlohmann::ordered_json::array();
    for (const Connection& found : scan.found) {
        const std::string port = "COM" + std::to_string(found.port);
        if (found.outcome == ConnectOutcome::VersionRefused) {
            inform(port + ": " + "Wersja programu w drukarce etykiet mniejsza niż 4");
            continue;
        }
        const std::string number = Cp1250ToUtf8(found.identity.numberText);
        say(fill(_("%1,%2: DURAX ORU nr: %3, version: %4"),
                 {port, std::to_string(found.baudRate), number,
                  std::to_string(found.identity.version)}));
        listed.push_back({{"port", port},
                          {"number", number},
                          {"baud", found.baudRate},
                          {"version", found.identity.version}});
    }
    for (const Connection& refused : scan.refused) {
        if (listed.empty()) {
            complainOfRefusal("COM" + std::to_string(refused.port), refused);
        } else {
            inform(PortRefusalText("COM" + std::to_string(refused.port), refused));
        }
    }
    return listed.empty() ? result("Nie wykryto drukarki etykiet", kExitNoPrinter) : kExitOk;
}

nlohmann::ordered_json Session::runJson(int exit) const {
    nlohmann::ordered_json document{{"command", m_options.commandName}, {"exit", exit}};
    document.update(m_json);
    if (exit != kExitOk) {
        document["error"] = FailureJson(exit);
    }
    return document;
}

// A port named otherwise than COMn is known by its one canonical spelling.
std::string Session::speedKey(std::uint8_t port) const {
    return m_options.port && m_options.port->kind() != PortName::Kind::Com
               ? m_options.port->canonical()
               : "COM" + std::to_string(port);
}

Speeds Session::speedsFor(std::uint8_t port) const {
    if (m_options.baud) {
        return {static_cast<std::uint16_t>(*m_options.baud), false};
    }
    return {m_speeds.speed(speedKey(port)).value_or(9600), true};
}

std::string Session::portName() const {
    return m_options.port && m_options.port->kind() != PortName::Kind::Com
               ? m_options.port->text()
               : "COM" + std::to_string(m_printer.state.PortNumber);
}

SnapshotOwner Session::owner() const {
    return {speedKey(m_printer.state.PortNumber), Cp1250ToUtf8(m_identity.numberText)};
}

std::vector<Snapshot> Session::journal() const {
    std::vector<Snapshot> setAside;
    std::vector<Snapshot> entries = m_store.journal(owner(), &setAside);
    for (const Snapshot& entry : setAside) {
        inform(fill(_("snapshot %1 damaged: %2"), {entry.name(), entry.damaged}));
    }
    return entries;
}

int Session::result(const std::string& text, int exit) {
    if (exit != kExitOk) {
        complain(text);
    } else if (verbosity() != Verbosity::Quiet && !m_holdSuccess) {
        say(text);
    }
    m_outcome.result = text;
    return exit;
}

std::string Session::resultText(ResultCode rc) {
    std::string text = Cp1250ToUtf8(ResultText(rc));
    // A server on the network that closed the connection says so, with its address.
    if (const auto failure = m_printer.port().openFailure();
        rc == serial::kTransmitTimeout && failure) {
        text += "; " + failure->reason;
    }
    return text;
}

int Session::fail(ResultCode rc) {
    if (const auto& error = m_printer.records().fileError()) {
        noteFileFailure(error->name);
        return result(error->name + ": " + error->reason, kExitFile);
    }
    m_json["code"] = rc;
    m_json["text"] = Cp1250ToUtf8(ResultText(rc));
    return result(resultText(rc), kExitFailed);
}

int Session::fail(ResultCode rc, const std::string& file, const std::string& record) {
    constexpr ResultCode kNoRecord = 253;       // -3: the file ends before the record
    constexpr ResultCode kFileNotOpened = 254;  // -2
    if (mode() == 1 && !m_printer.records().fileError() && (rc == kNoRecord || rc == kFileNotOpened)) {
        return result(file + ": " + (rc == kNoRecord ? record : Cp1250ToUtf8(ResultText(rc))),
                      rc == kNoRecord ? kExitFailed : kExitFile);
    }
    return fail(rc);
}

int Session::report(std::string_view kind, const std::string& what, ResultCode rc,
                    const std::string& stopped, const std::string& done) {
    const std::string name = Cp1250ToUtf8(what);
    const int exit = reportText(name, rc, stopped, done);
    nlohmann::ordered_json operation{
        {"operation", name}, {"kind", kind}, {"code", rc}, {"exit", exit}};
    if (rc != 0 && rc != kFileErrorCode) {
        operation["text"] = Cp1250ToUtf8(ResultText(rc));
    }
    if (const auto& file = m_transfers.partialFile(); file && exit != kExitOk) {
        operation["partial_file"] = *file;
    }
    m_json["operations"].push_back(operation);
    return exit;
}

int Session::reportText(const std::string& name, ResultCode rc, const std::string& stopped,
                        const std::string& done) {
    // A read that did not finish leaves the data file as it was and says where what
    // came is.
    const auto partial = [this] {
        if (const auto& file = m_transfers.partialFile()) {
            inform(fill(_("What was read is in %1; the previous file is unchanged"), {*file}));
        }
    };
    if (rc == kFileErrorCode && m_transfers.fileError()) {
        noteFileFailure(m_transfers.fileError()->name);
        result(name + ": " + m_transfers.fileError()->name + ": " +
                   m_transfers.fileError()->reason,
               kExitFile);
        partial();
        return kExitFile;
    }
    if (const auto& bad = m_transfers.badLine(); rc == 255 && bad) {
        noteFailure(FailureKind::FileNotWhole);
        return result(name + ": " + Cp1250ToUtf8(ResultText(rc)) + ": " +
                          fill(_("%1, line %2; nothing was sent"),
                               {bad->file, std::to_string(bad->line)}),
                      kExitFile);
    }
    if (rc != 0) {
        result(name + ": " + resultText(rc), rc == -1 ? kExitFile : kExitFailed);
        partial();
        return rc == -1 ? kExitFile : kExitFailed;
    }
    if (m_printer.state.AbortRequested != 0) {
        result(name + Cp1250ToUtf8(stopped), kExitStopped);
        partial();
        return kExitStopped;
    }
    return result(name + done, kExitOk);
}

int Session::readFailure(const std::string& what, ResultCode rc, const std::string& stopped) {
    if (rc != 0) {
        m_json["code"] = rc;
        m_json["text"] = Cp1250ToUtf8(ResultText(rc));
        return result(what + ": " + resultText(rc), kExitFailed);
    }
    if (m_printer.state.AbortRequested != 0) {
        return result(stopped, kExitStopped);
    }
    return kExitOk;
}

}  // namespace kalvero::cli
