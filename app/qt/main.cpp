// SPDX-License-Identifier: MIT
#ifdef _WIN32
#include <QMessageBox>
#endif

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <string>

#include "app/Kalvero.h"
#include "app/ProgramOptions.h"
#include "app/qt/EndOnSignals.h"
#include "app/qt/QtFaces.h"
#include "app/qt/QtGlowna.h"
#include "lang/Console.h"
#include "lang/Language.h"
#include "link/Printer.h"
#include "link/QtWinSer.h"
#include "link/SystemPorts.h"
#include "ui/MessageQuestion.h"
#include "ui/qt/QtMessages.h"

using kalvero::_;

int main(int argc, char** argv) {
    // The terminal's answers in the user's language; the windows speak Polish.
    kalvero::lang::useUserLanguage();
    const kalvero::ProgramOptions options = kalvero::ReadProgramOptions(argc, argv);
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
        kalvero::AnswerOnTerminal();
        std::fprintf(stderr, "kalvero: %s\n", text.c_str());
#ifdef _WIN32
        QMessageBox::critical(nullptr, QStringLiteral("Kalvero"), QString::fromStdString(text));
#endif
        return kalvero::kExitUsage;
    }
    kalvero::lang::usePolish();
    kalvero::QtFaces faces(boxes);
    const kalvero::Kalvero kalvero(printer, faces);
    const kalvero::EndOnSignals ending(faces.glowna());
    return QApplication::exec();
}
