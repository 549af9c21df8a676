// SPDX-License-Identifier: MIT
#include "cli/Session.h"

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "cli/LineOption.h"
#include "data/Cp1250.h"
#include "data/FilePath.h"
#include "data/ResultText.h"
#include "data/WholeFiles.h"
#include "link/Connecting.h"
#include "lang/Language.h"
#include "link/NetPort.h"
#include "link/PortRefusal.h"
#include "link/SystemPorts.h"

namespace kalvero::cli {

namespace {

// What a file that ends before the record lacks.
std::string footerRecord(std::uint8_t footer) {
    return fill(_("the file has no footer %1"), {std::to_string(footer)});
}

std::string bindingRecord(std::uint16_t plu) {
    return fill(_("the file has no binding of item %1"), {std::to_string(plu)});
}

// The port as the user named it, why it would not open, and the mend if there is one.
void complainOfRefusal(const std::string& name, const Connection& connection) {
    complain(PortRefusalText(name, connection));
    if (const std::string mend = PortRefusalMend(connection); !mend.empty()) {
        complain(mend);
    }
}

}  // namespace

Session::Session(const Options& options)
    : m_options(options),
      m_ports(SystemPorts(portMap())),
      m_printer(*m_ports, m_question, options.trace),
      m_state(m_printer.state),
      m_names(m_printer.files),
      m_records(m_printer.records()),
      m_commands(m_printer.commands()),
      m_progress(m_state),
      m_transfers(m_commands, m_names, m_state, m_progress) {
    if (options.footers) {
        m_names.FooterFileName = *options.footers;
    }
    if (options.bindings) {
        m_names.BindingFileName = *options.bindings;
    }
    m_question.create = options.create;
}

int Session::connect(bool quiet) {
    const ChannelSource channel = [this] { return m_options.channel; };
    Connection connection;
    if (m_options.port) {
        const std::uint8_t port = *portNumber(*m_options.port);
        connection = ConnectOnPort(m_printer.port(), channel, port, speedsFor(port));
        if (connection.failure) {
            complainOfRefusal(*m_options.port, connection);
            return kExitNoPrinter;
        }
        if (connection.outcome == ConnectOutcome::NoPrinter && connection.result != 0) {
            complain(*m_options.port + ": " + Cp1250ToUtf8(ResultText(connection.result)));
        }
    } else {
        ScanSerialPorts(m_printer.port(), m_state.PortPresent);
        connection = DetectPrinter(
            m_printer.port(), channel, m_state.PortPresent,
            [quiet](std::uint8_t n) {
                if (!quiet) {
                    std::fprintf(stderr, "Wykrywanie... COM%d\n", n);
                }
            },
            [this](std::uint8_t n) { return speedsFor(n); });
    }
    TakeConnection(connection, m_state);
    if (connection.outcome == ConnectOutcome::Online ||
        connection.outcome == ConnectOutcome::VersionRefused) {
        m_speeds.remember(speedKey(connection.port), connection.baudRate);
    }
    m_identity = connection.identity;
    switch (connection.outcome) {
        case ConnectOutcome::Online:
            return kExitOk;
        case ConnectOutcome::VersionRefused:
            complain("Wersja programu w drukarce etykiet mniejsza niż 4");
            return kExitNoPrinter;
        case ConnectOutcome::PortBusy:
        case ConnectOutcome::PortRefused:
            // No printer answered elsewhere; this port may well be the one it is on.
            complainOfRefusal("COM" + std::to_string(connection.port), connection);
            break;
        case ConnectOutcome::NoPrinter:
            break;
    }
    complain("Nie wykryto drukarki etykiet");
    return kExitNoPrinter;
}

int Session::detect() {
    const int rc = connect(false);
    if (rc == kExitOk) {
        say("DURAX ORU nr: " + Cp1250ToUtf8(m_identity.numberText));
        say(fill(_("port: %1,%2"), {portName(), std::to_string(m_state.BaudRate)}));
        say(fill(_("version: %1"), {std::to_string(m_identity.version)}));
    }
    return rc;
}

int Session::transfer(const std::string& command) {
    const bool footers = m_options.footers || !m_options.bindings;
    const bool bindings = m_options.bindings || !m_options.footers;
    if (const int rc = connect(true); rc != kExitOk) {
        return rc;
    }
    stopOnCtrlC();
    if (command == "write") {
        return write(footers, bindings);
    }
    if (command == "erase") {
        return erase(footers, bindings);
    }
    const std::string stopped = " przerwany przez użytkownika"_cp1250;
    int exit = kExitOk;
    if (footers) {
        exit = report("Odczyt stopek", m_transfers.ReadAllFooters(), stopped, ": OK");
    }
    if (bindings && exit != kExitStopped) {
        const int result =
            report("Odczyt wiązań"_cp1250,
                   m_transfers.ReadAllBindings(static_cast<std::uint16_t>(m_options.lastPlu)),
                   stopped, ": OK");
        exit = exit == kExitOk ? result : exit;
    }
    return exit;
}

// The four lines are shown only once all four came: no half a footer.
int Session::getFooter(std::uint8_t footer) {
    const std::string& file = m_names.FooterFileName;
    if (const int rc = prepare(file, false); rc != kExitOk) {
        return rc;
    }
    std::array<std::string, 4> shown;
    for (std::uint8_t k = 1; k <= 4; ++k) {
        std::string text;
        std::uint8_t width20 = 0;
        std::uint8_t enabled = 0;
        const ResultCode rc = m_commands.ReadFooterLine(mode(), footer, k, text, width20, enabled);
        if (rc != 0) {
            return fail(rc, file, footerRecord(footer));
        }
        if (width20 != 0) {
            text.resize(20);
        }
        shown[k - 1] = std::to_string(k) + "\t" + (width20 != 0 ? "20" : "40") + "\t" +
                       (enabled != 0 ? "1" : "0") + "\t" + Cp1250ToUtf8(text);
    }
    for (const std::string& line : shown) {
        say(line);
    }
    return kExitOk;
}

int Session::setFooter(std::uint8_t footer) {
    FooterLines lines{};
    for (const std::string& lineOption : m_options.lines) {
        if (const auto why = parseLine(lineOption, lines)) {
            return usage(fill(_("bad --line %1: %2"), {lineOption, *why}));
        }
    }
    const std::string& file = m_names.FooterFileName;
    if (const int rc = prepare(file, true); rc != kExitOk) {
        return rc;
    }
    std::error_code ec;
    if (mode() == 1 && m_options.create && !std::filesystem::exists(FilePath(file), ec)) {
        FileError error;
        if (!CreateDefaultFile(m_names, file, &error)) {
            complain(error.name + ": " + error.reason);
            return kExitFile;
        }
    }
    if (mode() == 1) {
        std::string tail;
        for (std::size_t k = 0; k < 4; ++k) {
            auto [width20, enabled, text] = lines[k];
            text.resize(40, ' ');
            tail += std::string(k > 0 ? "\t" : "") + (width20 ? "1" : "0") + "\t" +
                    (enabled ? "1" : "0") + "\t" + text;
        }
        const ResultCode rc = m_commands.WriteFooterLine(1, footer, 1, tail, 0, 0);
        return rc == 0 ? done() : fail(rc, file, footerRecord(footer));
    }
    for (std::uint8_t k = 1; k <= 4; ++k) {
        const auto& [width20, enabled, text] = lines[k - 1];
        const ResultCode rc = m_commands.WriteFooterLine(0, footer, k, text, width20, enabled);
        if (rc != 0) {
            return fail(rc);
        }
    }
    return done();
}

int Session::getBinding(std::uint16_t plu) {
    const std::string& file = m_names.BindingFileName;
    if (const int rc = prepare(file, false); rc != kExitOk) {
        return rc;
    }
    std::uint8_t bound = 0;
    const ResultCode rc = m_commands.ReadBinding(mode(), plu, bound);
    if (rc != 0) {
        return fail(rc, file, bindingRecord(plu));
    }
    say(std::to_string(bound));
    return kExitOk;
}

int Session::setBinding(std::uint16_t plu, std::uint8_t footer) {
    const std::string& file = m_names.BindingFileName;
    if (const int rc = prepare(file, true); rc != kExitOk) {
        return rc;
    }
    const ResultCode rc = m_commands.WriteBinding(mode(), plu, footer);
    return rc == 0 ? done() : fail(rc, file, bindingRecord(plu));
}

int Session::item(std::uint16_t plu) {
    if (const int rc = connect(true); rc != kExitOk) {
        return rc;
    }
    std::string name;
    const ResultCode rc = m_commands.ReadItemName(0, plu, name);
    if (rc != 0) {
        return fail(rc);
    }
    say(Cp1250ToUtf8(name));
    return kExitOk;
}

int Session::status() {
    if (const int rc = connect(true); rc != kExitOk) {
        return rc;
    }
    std::array<std::uint8_t, 4> bytes{};
    const ResultCode rc = m_commands.ReadPrinterStatus(bytes);
    if (rc != 0) {
        return fail(rc);
    }
    char line[16];
    std::snprintf(line, sizeof line, "%02X %02X %02X %02X", bytes[0], bytes[1], bytes[2], bytes[3]);
    say(fill(_("%1 (printer number: %2)"), {line, std::to_string(bytes[0] >> 4)}));
    return kExitOk;
}

PortMap Session::portMap() const {
    if (m_options.port && ParseNetPort(*m_options.port)) {
        return PortMap::forUrl(*m_options.port);
    }
    if (m_options.port && m_options.port->find('/') != std::string::npos) {
        return PortMap::forDevice(*m_options.port);
    }
    return PortMap::fromEnvironment();
}

std::string Session::speedKey(std::uint8_t port) const {
    const bool named = m_options.port && (m_options.port->find('/') != std::string::npos);
    return named ? *m_options.port : "COM" + std::to_string(port);
}

Speeds Session::speedsFor(std::uint8_t port) const {
    if (m_options.baud) {
        return {static_cast<std::uint16_t>(*m_options.baud), false};
    }
    return {m_speeds.speed(speedKey(port)).value_or(9600), true};
}

std::string Session::portName() const {
    return m_options.port && m_options.port->find('/') != std::string::npos
               ? *m_options.port
               : "COM" + std::to_string(m_state.PortNumber);
}

int Session::prepare(const std::string& file, bool set) {
    if (!m_options.offline) {
        return connect(true);
    }
    std::error_code ec;
    if (std::filesystem::exists(FilePath(file), ec) || (set && m_options.create)) {
        return kExitOk;
    }
    complain(fill(set ? _("%1: the file does not exist (--create creates it)")
                      : _("%1: the file does not exist"),
                  {file}));
    return kExitFile;
}

int Session::done() {
    say("OK");
    return kExitOk;
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
    if (const auto& error = m_records.fileError()) {
        complain(error->name + ": " + error->reason);
        return kExitFile;
    }
    complain(resultText(rc));
    return kExitFailed;
}

int Session::fail(ResultCode rc, const std::string& file, const std::string& record) {
    constexpr ResultCode kNoRecord = 253;       // -3: the file ends before the record
    constexpr ResultCode kFileNotOpened = 254;  // -2
    if (mode() == 1 && !m_records.fileError() && (rc == kNoRecord || rc == kFileNotOpened)) {
        complain(file + ": " + (rc == kNoRecord ? record : Cp1250ToUtf8(ResultText(rc))));
        return rc == kNoRecord ? kExitFailed : kExitFile;
    }
    return fail(rc);
}

int Session::report(const std::string& what, ResultCode rc, const std::string& stopped,
                    const std::string& done) {
    const std::string name = Cp1250ToUtf8(what);
    // A read that did not finish leaves the data file as it was and says where what
    // came is.
    const auto partial = [this] {
        if (const auto& file = m_transfers.partialFile()) {
            complain(fill(_("What was read is in %1; the previous file is unchanged"), {*file}));
        }
    };
    if (rc == kFileErrorCode && m_transfers.fileError()) {
        complain(name + ": " + m_transfers.fileError()->name + ": " +
                 m_transfers.fileError()->reason);
        partial();
        return kExitFile;
    }
    if (const auto& bad = m_transfers.badLine(); rc == 255 && bad) {
        complain(name + ": " + Cp1250ToUtf8(ResultText(rc)) + ": " +
                 fill(_("%1, line %2; nothing was sent"), {bad->file, std::to_string(bad->line)}));
        return kExitFile;
    }
    if (rc != 0) {
        complain(name + ": " + resultText(rc));
        partial();
        return rc == -1 ? kExitFile : kExitFailed;
    }
    if (m_state.AbortRequested != 0) {
        complain(name + Cp1250ToUtf8(stopped));
        partial();
        return kExitStopped;
    }
    say(name + done);
    return kExitOk;
}

}  // namespace kalvero::cli
