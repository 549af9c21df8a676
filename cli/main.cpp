// kalvero-cli: the printer link and the data files from a terminal, for backups
// from a scheduler and roll-outs to many shops.

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

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

namespace {

using namespace kalvero;

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // an operation's result code was not 0
constexpr int kExitUsage = 2;
constexpr int kExitNoPrinter = 3;  // none found, refused, or its port would not open
constexpr int kExitFile = 4;       // a data file could not be read or written
constexpr int kExitStopped = 130;  // Ctrl+C

const char* const kUsage =
    R"(Usage: kalvero-cli [--port PORT] [--channel N] COMMAND [ARGS] [OPTIONS]

Commands:
  detect                 find the printer and show its port, speed, version and number
  read                   read footers and/or bindings from the printer into the files
  write                  write footers and/or bindings from the files to the printer
  erase                  erase footers and/or bindings in the printer
  footer get N           show footer N (0..200): its four lines
  footer set N           store footer N from --line options
  binding get PLU        show the footer bound to item PLU (1..9983)
  binding set PLU N      bind item PLU to footer N
  item PLU               show the item's name (printer only)
  status                 show the printer's four status bytes

Options:
  --port PORT            COMn (1..10, mapped as in Kalvero) or a device path;
                         without it every present port is tried
  --channel N            the printer's channel, 1..4 (default 1)
  --footers[=FILE]       the footers, in FILE (default stopki.txt)
  --bindings[=FILE]      the bindings, in FILE (default wiazplu.txt)
  --last-plu N           read bindings up to item N (default 9983)
  --offline              footer/binding get/set work on the files, not the printer
  --create               create a missing data file for an offline set
  --line K:W:E:TEXT      footer set: line K (1..4), width 40 or 20, enabled 1 or 0
                         and its text; lines not given are blank, off, 40 wide
  --help                 this help; 'kalvero-cli COMMAND --help' for one command

read, write and erase take both footers and bindings unless --footers or
--bindings names one of them. Footers always go first. Ctrl+C stops between
two records; a file being read keeps the whole records done so far, and the
previous file is kept as FILE.bak.

Exit codes: 0 done; 1 the printer or a file answered with an error (its text
is printed); 2 a wrong command line; 3 no printer; 4 a data file that cannot
be read or written; 130 stopped by Ctrl+C.
)";

const std::map<std::string, const char*> kCommandHelp = {
    {"detect",
     "Usage: kalvero-cli [--port PORT] [--channel N] detect\n"
     "Tries the port (or every present port) at 9600 baud, then at 19200 after a\n"
     "receive time-out, and prints the port, speed, version and printer number.\n"},
    {"read",
     "Usage: kalvero-cli [--port PORT] read [--footers[=FILE]] [--bindings[=FILE]] [--last-plu N]\n"
     "Reads footers 0..200 and the bindings of items 1..N into the files.\n"},
    {"write",
     "Usage: kalvero-cli [--port PORT] write [--footers[=FILE]] [--bindings[=FILE]]\n"
     "Sends every record of the files to the printer, in file order.\n"},
    {"erase",
     "Usage: kalvero-cli [--port PORT] erase [--footers] [--bindings]\n"
     "Blanks footers 0..200 and binds items 1..9983 to footer 0.\n"},
    {"footer",
     "Usage: kalvero-cli footer get N [--offline] [--footers FILE]\n"
     "       kalvero-cli footer set N [--line K:W:E:TEXT]... [--offline] [--footers FILE] "
     "[--create]\n"
     "get prints one line per footer line: K, width (40/20), enabled (1/0), text.\n"},
    {"binding",
     "Usage: kalvero-cli binding get PLU [--offline] [--bindings FILE]\n"
     "       kalvero-cli binding set PLU N [--offline] [--bindings FILE] [--create]\n"},
    {"item",
     "Usage: kalvero-cli [--port PORT] item PLU\nPrints the item's name from the printer.\n"},
    {"status",
     "Usage: kalvero-cli [--port PORT] status\nPrints the printer's four status bytes.\n"},
};

struct Options {
    std::optional<std::string> port;
    int channel = 1;
    std::vector<std::string> words;  // the command and its arguments
    std::optional<std::string> footers;
    std::optional<std::string> bindings;
    int lastPlu = 9983;
    bool offline = false;
    bool create = false;
    bool help = false;
    std::vector<std::string> lines;
};

void say(const std::string& utf8) {
    std::printf("%s\n", utf8.c_str());
}
void complain(const std::string& utf8) {
    std::fprintf(stderr, "kalvero-cli: %s\n", utf8.c_str());
}

int usage(const std::string& why) {
    complain(why);
    std::fprintf(stderr, "Try 'kalvero-cli --help'.\n");
    return kExitUsage;
}

std::optional<long> number(const std::string& text) {
    const long value = DecimalField(text);
    return value < 0 ? std::nullopt : std::optional(value);
}

// Parses the command line; on a mistake returns the message for it.
std::optional<std::string> parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 >= argc) {
                return std::nullopt;
            }
            (void)name;
            return std::string(argv[++i]);
        };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--offline") {
            options.offline = true;
        } else if (arg == "--create") {
            options.create = true;
        } else if (arg == "--port" || arg == "--channel" || arg == "--last-plu" ||
                   arg == "--line") {
            const auto v = value(arg.c_str());
            if (!v) {
                return "option " + arg + " needs a value";
            }
            if (arg == "--port") {
                options.port = *v;
            } else if (arg == "--line") {
                options.lines.push_back(*v);
            } else {
                const auto n = number(*v);
                const bool channel = arg == "--channel";
                if (!n || *n < 1 || *n > (channel ? 4 : 9983)) {
                    return "bad value for " + arg + ": " + *v;
                }
                (channel ? options.channel : options.lastPlu) = static_cast<int>(*n);
            }
        } else if (arg == "--footers" || arg.rfind("--footers=", 0) == 0) {
            options.footers = arg.size() > 10 ? arg.substr(10) : "stopki.txt";
        } else if (arg == "--bindings" || arg.rfind("--bindings=", 0) == 0) {
            options.bindings = arg.size() > 11 ? arg.substr(11) : "wiazplu.txt";
        } else if (arg.rfind("-", 0) == 0 && arg.size() > 1) {
            return "unknown option " + arg;
        } else {
            options.words.push_back(arg);
        }
    }
    return std::nullopt;
}

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
            if (!parseLine(lineOption, lines)) {
                return usage("bad --line " + lineOption +
                             " (K:WIDTH:ENABLED:TEXT, TEXT in Windows-1250)");
            }
        }
        if (mode() == 1 && m_options.create && !std::filesystem::exists(m_names.FooterFileName)) {
            CreateDefaultFile(m_names, m_names.FooterFileName);
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
    // Offline the files are the target; online the printer must be found first.
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
    int prepare() { return m_options.offline ? kExitOk : connect(true); }
    int done() {
        say("OK");
        return kExitOk;
    }
    int fail(ResultCode rc) {
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
    static bool parseLine(
        const std::string& lineOption,
        std::array<std::tuple<std::uint8_t, std::uint8_t, std::string>, 4>& lines) {
        const std::size_t a = lineOption.find(':');
        const std::size_t b = a == std::string::npos ? a : lineOption.find(':', a + 1);
        const std::size_t c = b == std::string::npos ? b : lineOption.find(':', b + 1);
        if (c == std::string::npos) {
            return false;
        }
        const auto k = number(lineOption.substr(0, a));
        const std::string width = lineOption.substr(a + 1, b - a - 1);
        const std::string enabled = lineOption.substr(b + 1, c - b - 1);
        const auto text = Utf8ToCp1250(lineOption.substr(c + 1));
        if (!k || *k < 1 || *k > 4 || (width != "40" && width != "20") ||
            (enabled != "0" && enabled != "1") || !text || text->size() > 40) {
            return false;
        }
        lines[*k - 1] = {width == "20" ? 1 : 0, enabled == "1" ? 1 : 0, *text};
        return true;
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

int run(const Options& options) {
    const std::vector<std::string>& w = options.words;
    if (w.empty()) {
        return usage("no command");
    }
    const std::string& command = w[0];
    if (options.help) {
        const auto help = kCommandHelp.find(command);
        std::fputs(help != kCommandHelp.end() ? help->second : kUsage, stdout);
        return kExitOk;
    }
    const auto argument = [&w](std::size_t i, long maximum) -> std::optional<long> {
        if (i >= w.size()) {
            return std::nullopt;
        }
        const auto n = number(w[i]);
        return n && *n <= maximum ? n : std::nullopt;
    };
    Session session(options);
    if (command == "detect" && w.size() == 1) {
        return session.detect();
    }
    if ((command == "read" || command == "write" || command == "erase") && w.size() == 1) {
        return session.transfer(command);
    }
    if (command == "footer" && w.size() == 3 && (w[1] == "get" || w[1] == "set")) {
        const auto n = argument(2, 200);
        return n ? session.footer(w[1], static_cast<std::uint8_t>(*n))
                 : usage("footer number 0..200");
    }
    if (command == "binding" && w.size() >= 3 && (w[1] == "get" || w[1] == "set")) {
        const auto plu = argument(2, 9983);
        const auto n = w[1] == "set" ? argument(3, 200) : std::optional<long>(0);
        if (!plu || *plu < 1 || !n || w.size() != (w[1] == "set" ? 4u : 3u)) {
            return usage("binding get PLU | binding set PLU FOOTER (PLU 1..9983, FOOTER 0..200)");
        }
        return session.binding(w[1], static_cast<std::uint16_t>(*plu),
                               static_cast<std::uint8_t>(*n));
    }
    if (command == "item" && w.size() == 2) {
        const auto plu = argument(1, 9983);
        return plu && *plu >= 1 ? session.item(static_cast<std::uint16_t>(*plu))
                                : usage("item PLU 1..9983");
    }
    if (command == "status" && w.size() == 1) {
        return session.status();
    }
    return usage("unknown command: " + command);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    Options options;
    if (const auto mistake = parse(argc, argv, options)) {
        return usage(*mistake);
    }
    if (options.help && options.words.empty()) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    return run(options);
}
