// SPDX-License-Identifier: MIT
#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <QMessageBox>
#endif

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Version.h"
#include "app/Kalvero.h"
#include "app/qt/QtFaces.h"
#include "data/FilePath.h"
#include "lang/Language.h"
#include "link/Printer.h"
#include "link/QtWinSer.h"
#include "link/SystemPorts.h"
#include "ui/MessageQuestion.h"
#include "ui/qt/QtMessages.h"

using kalvero::_;
using kalvero::N_;

namespace {

const char* const kHelp =
    N_("Usage: kalvero [--help] [--version] [--trace FILE]\n"
       "Manages the footers and the PLU-to-footer bindings of a DURAX ORU label printer\n"
       "over a serial line, in Polish windows. Everything is done from its menu: connecting\n"
       "(\"Komunikacja\"), reading, writing and erasing everything (\"Wymiana danych\") and\n"
       "editing one footer or binding (\"Definiowanie stopek\").\n");
#ifdef _WIN32
const char* const kPorts = N_("Ports COM1 to COM10 are Windows' own.\n");
#else
const char* const kPorts =
    N_("Ports COM1 to COM10 are the entries comN of $XDG_CONFIG_HOME/kalvero/ports when that\n"
       "folder exists; otherwise COM1-4 are /dev/ttyS0-3, COM5-8 /dev/ttyUSB0-3 and COM9-10\n"
       "/dev/ttyACM0-1.\n");
#endif
const char* const kOptions =
    N_("  --help        show this help and exit\n"
       "  --version     show the program's version and exit\n"
       "  --trace FILE  append a line for every exchange with the printer to FILE\n"
       "                (time, port, command, bytes sent and received, result)\n");

constexpr int kExitUsage = 2;

struct Options {
    std::optional<int> exitCode;  // answered on the terminal, or refused: exit at once
    std::optional<std::string> traceFile;
};

// A windowed program on Windows has no console of its own: its few terminal answers
// go to the one it was started from, unless they are already led elsewhere.
void answerOnTerminal() {
#ifdef _WIN32
    const bool outFree = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) == FILE_TYPE_UNKNOWN;
    const bool errorFree = GetFileType(GetStdHandle(STD_ERROR_HANDLE)) == FILE_TYPE_UNKNOWN;
    if ((outFree || errorFree) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (outFree) {
            std::freopen("CONOUT$", "w", stdout);
        }
        if (errorFree) {
            std::freopen("CONOUT$", "w", stderr);
        }
    }
#endif
}

// Read before any window (or display) is needed, so that these answers and
// refusals work on a bare terminal.
Options readOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            answerOnTerminal();
            std::printf("kalvero %s\n", kalvero::kVersion);
            return {0, {}};
        }
        if (arg == "--help") {
            answerOnTerminal();
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
                answerOnTerminal();
                std::fprintf(stderr, "kalvero: %s\n", _("--trace needs the name of a trace file"));
                return {kExitUsage, {}};
            }
            options.traceFile = std::string(file);
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    // The terminal's answers in the user's language; the windows speak Polish.
    kalvero::lang::useUserLanguage();
    const Options options = readOptions(argc, argv);
    if (options.exitCode) {
        return *options.exitCode;
    }
    QApplication application(argc, argv);
    // Every window carries the program's icon, as the menu entry does.
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/kalvero-%1.png").arg(size));
    }
    QApplication::setWindowIcon(icon);
    // The toolkit's own dialogs (the open-file dialog above all) speak Polish too.
    QTranslator toolkit;
    if (toolkit.load(QStringLiteral("qtbase_pl"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&toolkit);
    }
    kalvero::QtWinSer::serveEventsWhileWaiting(true);
    const std::unique_ptr<kalvero::WinSer> ports =
        kalvero::SystemPorts(kalvero::PortMap::fromEnvironment());
    kalvero::MessageBoxes boxes;
    kalvero::QtMessages messages(boxes);
    kalvero::MessageQuestion question(messages);
    kalvero::Printer printer(*ports, question, options.traceFile);
    if (const auto& failure = printer.traceFailure()) {
        const std::string text = kalvero::fill(_("cannot open the trace file %1"), {*failure});
        answerOnTerminal();
        std::fprintf(stderr, "kalvero: %s\n", text.c_str());
#ifdef _WIN32
        QMessageBox::critical(nullptr, QStringLiteral("Kalvero"), QString::fromStdString(text));
#endif
        return kExitUsage;
    }
    kalvero::lang::usePolish();
    kalvero::QtFaces faces(boxes);
    const kalvero::Kalvero kalvero(printer, faces);
    return QApplication::exec();
}
