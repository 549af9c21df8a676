// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <string_view>

#include "Kalvero.h"
#include "Messages.h"
#include "QtWinSer.h"
#include "Version.h"

namespace {

const char* const kHelp =
    "Usage: kalvero [--help] [--version]\n"
    "Manages the footers and the PLU-to-footer bindings of a DURAX ORU label printer\n"
    "over a serial line, in Polish windows. Everything is done from its menu: connecting\n"
    "(\"Komunikacja\"), reading, writing and erasing everything (\"Wymiana danych\") and\n"
    "editing one footer or binding (\"Definiowanie stopek\").\n"
    "\n"
    "Ports COM1 to COM10 are the entries comN of $XDG_CONFIG_HOME/kalvero/ports when that\n"
    "folder exists; otherwise COM1-4 are /dev/ttyS0-3, COM5-8 /dev/ttyUSB0-3 and COM9-10\n"
    "/dev/ttyACM0-1.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the program's version and exit\n";

// The options a desktop program answers on the terminal, before any window (or
// display) is needed. True when one was given.
bool answeredOnTerminal(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--version") {
            std::printf("kalvero %s\n", kalvero::kVersion);
            return true;
        }
        if (arg == "--help") {
            std::fputs(kHelp, stdout);
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (answeredOnTerminal(argc, argv)) {
        return 0;
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
    kalvero::QtWinSer serial(kalvero::PortMap::fromEnvironment());
    kalvero::QtMessages messages;
    const kalvero::Kalvero kalvero(serial, messages);
    return QApplication::exec();
}
