// SPDX-License-Identifier: MIT
#include "app/ProgramOptions.h"

#include <cstdio>
#include <string_view>

#include "Version.h"
#include "lang/Console.h"
#include "lang/Language.h"

namespace kalvero {

namespace {

const char* const kHelp =
    N_("Usage: kalvero [--help] [--version] [--trace FILE]\n"
       "Manages the footers and the PLU-to-footer bindings of a DURAX ORU label printer\n"
       "over a serial line, in Polish windows. Everything is done from its menu:\n"
       "connecting (\"Komunikacja\"), reading, writing and erasing everything\n"
       "(\"Wymiana danych\") and editing one footer or binding (\"Definiowanie stopek\").\n");
#ifdef _WIN32
const char* const kPorts =
    N_("Ports COM1 to COM10 are Windows' own; a file comN in\n"
       "%LOCALAPPDATA%\\Kalvero\\ports holding rfc2217://HOST:PORT or tcp://HOST:PORT\n"
       "makes COMn a printer on the network.\n");
#else
const char* const kPorts =
    N_("Ports COM1 to COM10 are the entries comN of $XDG_CONFIG_HOME/kalvero/ports when\n"
       "that folder exists; otherwise COM1-4 are /dev/ttyS0-3, COM5-8 /dev/ttyUSB0-3\n"
       "and COM9-10 /dev/ttyACM0-1.\n");
#endif
const char* const kOptions =
    N_("  --help        show this help and exit\n"
       "  --version     show the program's version and exit\n"
       "  --trace FILE  append a line for every exchange with the printer to FILE\n"
       "                (time, port, command, bytes sent and received, result)\n");

}  // namespace

ProgramOptions ReadProgramOptions(int argc, char** argv) {
    ProgramOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            AnswerOnTerminal();
            std::printf("kalvero %s\n", kVersion);
            return {0, {}};
        }
        if (arg == "--help") {
            AnswerOnTerminal();
            std::printf("%s\n%s\n%s", _(kHelp), _(kPorts), _(kOptions));
            return {0, {}};
        }
        if (arg == "--trace" || arg.rfind("--trace=", 0) == 0) {
            std::string_view file;
            if (arg.size() > 7) {
                file = arg.substr(8);
            } else if (i + 1 < argc) {
                file = argv[++i];
            }
            if (file.empty()) {
                AnswerOnTerminal();
                std::fprintf(stderr, "kalvero: %s\n", _("--trace needs the name of a trace file"));
                return {kExitUsage, {}};
            }
            options.traceFile = std::string(file);
        }
    }
    return options;
}

}  // namespace kalvero
