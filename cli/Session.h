#pragma once

#include <array>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>

#include "CliOptions.h"
#include "Connecting.h"
#include "Cp1250.h"
#include "DataFiles.h"
#include "OperatingState.h"
#include "PrinterCommands.h"
#include "QtWinSer.h"
#include "RecordFiles.h"
#include "ResultText.h"
#include "TerminalProgress.h"
#include "orukom.h"

namespace kalvero::cli {

// The printer connection of one run: the port layer, the operating state, the commands.
class Session {
public:
    explicit Session(const Options& options)
        : m_options(options),
          m_serial(portMap()),
          m_records(m_names, m_state.OfflineMode, m_question),
          m_commands(m_serial, m_records),
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

    // Finds the printer on the given port or on the first present one.
    int connect(bool quiet) {
        const ChannelSource channel = [this] { return m_options.channel; };
        DetectResult found;
        if (m_options.port) {
            const std::uint8_t port = namedPort();
            if (port == 0) {
                complain("no such port: " + *m_options.port);
                return kExitNoPrinter;
            }
            const ConnectAttempt attempt = TryPort(m_serial, channel, port);
            if (attempt.printerFound()) {
                found = {port, attempt};
            } else if (attempt.result == serial::kPortBusy) {
                complain(*m_options.port + Cp1250ToUtf8(": port zaj\xEAty przez inny program"));
                return kExitNoPrinter;
            } else if (attempt.result != 0) {
                complain(*m_options.port + ": " + Cp1250ToUtf8(ResultText(attempt.result)));
            }
        } else {
            ScanSerialPorts(m_serial, m_state.PortPresent);
            found = DetectPrinter(m_serial, channel, m_state.PortPresent, [quiet](std::uint8_t n) {
                if (!quiet) {
                    std::fprintf(stderr, "Wykrywanie... COM%d\n", n);
                }
            });
        }
        if (found.port == 0) {
            complain("Nie wykryto drukarki etykiet");
            return kExitNoPrinter;
        }
        m_state.PortNumber = found.port;
        m_state.BaudRate = found.attempt.baudRate;
        m_identity = found.attempt.identity;
        if (m_identity.version < 4) {
            complain(Cp1250ToUtf8("Wersja programu w drukarce etykiet mniejsza ni\xBF 4"));
            return kExitNoPrinter;
        }
        m_state.OfflineMode = 0;
        return kExitOk;
    }

    int detect() {
        const int rc = connect(false);
        if (rc == kExitOk) {
            say("DURAX ORU nr: " + Cp1250ToUtf8(m_identity.numberText));
            say("port: " + portName() + "," + std::to_string(m_state.BaudRate));
            say("wersja: " + std::to_string(m_identity.version));
        }
        return rc;
    }

    // read, write, erase: footers first, then bindings, each only when chosen.
    int transfer(const std::string& command) {
        const bool footers = m_options.footers || !m_options.bindings;
        const bool bindings = m_options.bindings || !m_options.footers;
        if (const int rc = connect(true); rc != kExitOk) {
            return rc;
        }
        std::signal(SIGINT, [](int) {
            TerminalProgress::interrupted = 1;
            std::signal(SIGINT, SIG_DFL);  // a second Ctrl+C ends at once
        });
        int exit = kExitOk;
        const auto run = [&](bool chosen, const char* what, auto&& operation) {
            if (!chosen || exit == kExitStopped) {
                return;
            }
            const int result = report(what, operation());
            exit = exit == kExitOk ? result : exit;
        };
        if (command == "read") {
            run(footers, "Odczyt stopek", [this] { return m_transfers.ReadAllFooters(); });
            run(bindings, "Odczyt wi\xB9za\xF1", [this] {
                return m_transfers.ReadAllBindings(static_cast<std::uint16_t>(m_options.lastPlu));
            });
        } else if (command == "write") {
            std::uint16_t count = 0;
            run(footers, "Zapis stopek",
                [this, &count] { return m_transfers.WriteAllFooters(count); });
            if (footers && exit == kExitOk) {
                say("zapisano " + std::to_string(count));
            }
            run(bindings, "Zapis wi\xB9za\xF1", [this] { return m_transfers.WriteAllBindings(); });
        } else {
            run(footers, "Kasowanie stopek", [this] { return m_transfers.EraseAllFooters(); });
            run(bindings, "Kasowanie wi\xB9za\xF1",
                [this] { return m_transfers.EraseAllBindings(); });
        }
        return exit;
    }

    int footer(const std::string& action, std::uint8_t footer) {
        if (const int rc = prepare(); rc != kExitOk) {
            return rc;
        }
        if (action == "get") {
            std::uint8_t k = 1;
            for (; k <= 4; ++k) {
                std::string text;
                std::uint8_t width20 = 0;
                std::uint8_t enabled = 0;
                const ResultCode rc =
                    m_commands.ReadFooterLine(mode(), footer, k, text, width20, enabled);
                if (rc != 0) {
                    return fail(rc);
                }
                if (width20 != 0) {
                    text.resize(20);
                }
                say(std::to_string(k) + "\t" + (width20 != 0 ? "20" : "40") + "\t" +
                    (enabled != 0 ? "1" : "0") + "\t" + Cp1250ToUtf8(text));
            }
            return kExitOk;
        }
        std::array<std::tuple<std::uint8_t, std::uint8_t, std::string>, 4> lines{};
        for (const std::string& lineOption : m_options.lines) {
            if (const auto why = parseLine(lineOption, lines)) {
                return usage("bad --line " + lineOption + ": " + *why);
            }
        }
        if (mode() == 1 && m_options.create && !std::filesystem::exists(m_names.FooterFileName)) {
            FileError error;
            if (!CreateDefaultFile(m_names, m_names.FooterFileName, &error)) {
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
            return rc == 0 ? done() : fail(rc);
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

    int binding(const std::string& action, std::uint16_t plu, std::uint8_t footer) {
        if (const int rc = prepare(); rc != kExitOk) {
            return rc;
        }
        if (action == "get") {
            std::uint8_t bound = 0;
            const ResultCode rc = m_commands.ReadBinding(mode(), plu, bound);
            if (rc != 0) {
                return fail(rc);
            }
            say(std::to_string(bound));
            return kExitOk;
        }
        const ResultCode rc = m_commands.WriteBinding(mode(), plu, footer);
        return rc == 0 ? done() : fail(rc);
    }

    int item(std::uint16_t plu) {
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

    int status() {
        if (const int rc = connect(true); rc != kExitOk) {
            return rc;
        }
        std::array<std::uint8_t, 4> bytes{};
        const ResultCode rc = m_commands.ReadPrinterStatus(bytes);
        if (rc != 0) {
            return fail(rc);
        }
        char line[64];
        std::snprintf(line, sizeof line, "%02X %02X %02X %02X (numer drukarki: %d)", bytes[0],
                      bytes[1], bytes[2], bytes[3], bytes[0] >> 4);
        say(line);
        return kExitOk;
    }

private:
    // A script cannot be asked: --create answers the question about a missing file.
    struct FileQuestion final : Question {
        bool create = false;
        bool ask(const std::string&, const std::string&) override { return create; }
    };

    PortMap portMap() const {
        if (m_options.port && m_options.port->find('/') != std::string::npos) {
            return PortMap::forDevice(*m_options.port);
        }
        return PortMap::fromEnvironment();
    }
    std::uint8_t namedPort() const {
        const std::string& port = *m_options.port;
        if (port.find('/') != std::string::npos) {
            return 1;
        }
        const std::string digits =
            port.rfind("COM", 0) == 0 || port.rfind("com", 0) == 0 ? port.substr(3) : port;
        const auto n = number(digits);
        return n && *n >= 1 && *n <= 10 ? static_cast<std::uint8_t>(*n) : 0;
    }
    std::string portName() const {
        return m_options.port && m_options.port->find('/') != std::string::npos
                   ? *m_options.port
                   : "COM" + std::to_string(m_state.PortNumber);
    }
    std::uint8_t mode() const { return m_state.OfflineMode; }
    // Offline the files are the target; online the printer must be found first.
    int prepare() { return m_options.offline ? kExitOk : connect(true); }
    int done() {
        say("OK");
        return kExitOk;
    }
    int fail(ResultCode rc) {
        if (const auto& error = m_records.fileError()) {
            complain(error->name + ": " + error->reason);
            return kExitFile;
        }
        complain(Cp1250ToUtf8(ResultText(rc)));
        return kExitFailed;
    }
    int report(const std::string& what, ResultCode rc) {
        const std::string name = Cp1250ToUtf8(what);
        if (rc == kFileErrorCode && m_transfers.fileError()) {
            complain(name + ": " + m_transfers.fileError()->name + ": " +
                     m_transfers.fileError()->reason);
            return kExitFile;
        }
        if (rc != 0) {
            complain(name + ": " + Cp1250ToUtf8(ResultText(rc)));
            return rc == -1 ? kExitFile : kExitFailed;
        }
        if (m_state.AbortRequested != 0) {
            complain(name + Cp1250ToUtf8(" przerwany przez u\xBFytkownika"));
            return kExitStopped;
        }
        say(name + ": OK");
        return kExitOk;
    }
    // Why the option is wrong, or nothing when it was taken.
    static std::optional<std::string> parseLine(
        const std::string& lineOption,
        std::array<std::tuple<std::uint8_t, std::uint8_t, std::string>, 4>& lines) {
        const std::size_t a = lineOption.find(':');
        const std::size_t b = a == std::string::npos ? a : lineOption.find(':', a + 1);
        const std::size_t c = b == std::string::npos ? b : lineOption.find(':', b + 1);
        if (c == std::string::npos) {
            return "not K:WIDTH:ENABLED:TEXT";
        }
        const auto k = number(lineOption.substr(0, a));
        const std::string width = lineOption.substr(a + 1, b - a - 1);
        const std::string enabled = lineOption.substr(b + 1, c - b - 1);
        const auto text = Utf8ToCp1250(lineOption.substr(c + 1));
        if (!k || *k < 1 || *k > 4 || (width != "40" && width != "20") ||
            (enabled != "0" && enabled != "1")) {
            return "K is 1..4, WIDTH 40 or 20, ENABLED 0 or 1";
        }
        if (!text || text->size() > 40) {
            return "TEXT must be at most 40 characters of Windows-1250";
        }
        if (HasControlCharacter(*text)) {
            return "TEXT must not hold a control character (TAB, CR, LF...)";
        }
        lines[*k - 1] = {width == "20" ? 1 : 0, enabled == "1" ? 1 : 0, *text};
        return std::nullopt;
    }

    const Options& m_options;
    OperatingState m_state;
    FileNames m_names;
    FileQuestion m_question;
    QtWinSer m_serial;
    RecordFiles m_records;
    PrinterCommands m_commands;
    TerminalProgress m_progress;
    BulkTransfers m_transfers;
    PrinterIdentity m_identity;
};

}  // namespace kalvero::cli
