// SPDX-License-Identifier: MIT
// Loading item 9983 in the footer editor (its binding, then the bound footer),
// offline from default-sized files and online against the unpaced emulator.

#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/Kalvero.h"
#include "app/qt/QtFaces.h"
#include "app/uGlowna.h"
#include "data/WholeFiles.h"
#include "editor/qt/EditorFields.h"
#include "editor/qt/QtStopka.h"
#include "editor/uStopki.h"
#include "link/Printer.h"
#include "tests/PrinterOnPort.h"
#include "tests/ScriptedMessages.h"
#include "tests/ScriptedWinSer.h"
#include "ui/MessageQuestion.h"

namespace {

namespace fs = std::filesystem;

double millisecondsPerLoad(kalvero::Kalvero& app, kalvero::QtFaces& faces, int runs) {
    app.fGlowna->Definiowaniestopek1Click();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < runs; ++i) {
        faces.stopka().sePLU->setText(QStringLiteral("9983"));
        app.fStopka->sePLUChange();
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::milli>(elapsed).count() / runs;
}

fs::path tempDir() {
    std::string pattern = (fs::temp_directory_path() / "kalvero-bench-XXXXXX").string();
    return ::mkdtemp(pattern.data());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const fs::path dir = tempDir();
    {
        kalvero::test::ScriptedWinSer serial;
        kalvero::test::ScriptedMessages messages;
        kalvero::QtMessages boxes(messages);
        kalvero::MessageQuestion question(boxes);
        kalvero::Printer printer(serial, question);
        kalvero::QtFaces faces(messages);
        kalvero::Kalvero app(printer, faces);
        app.files.FooterFileName = (dir / "stopki.txt").string();
        app.files.BindingFileName = (dir / "wiazplu.txt").string();
        kalvero::CreateDefaultFile(app.files, app.files.BindingFileName);
        kalvero::CreateDefaultFile(app.files, app.files.FooterFileName);
        const double ms = millisecondsPerLoad(app, faces, 200);
        std::printf("offline, item 9983 from default files: %.3f ms per load (%s)\n", ms,
                    qPrintable(faces.stopka().statusText()));
    }
    {
        const auto emulated = kalvero::test::plugInPrinter(dir, 1);
        if (!emulated) {
            std::fprintf(stderr, "no pseudo-terminal\n");
            return 1;
        }
        const auto serial = kalvero::test::portLayer(dir, std::chrono::milliseconds(100));
        kalvero::test::ScriptedMessages messages;
        kalvero::QtMessages boxes(messages);
        kalvero::MessageQuestion question(boxes);
        kalvero::Printer printer(*serial, question);
        kalvero::QtFaces faces(messages);
        kalvero::Kalvero app(printer, faces);
        app.fGlowna->Wykryjautomatycznie1Click();
        const double ms = millisecondsPerLoad(app, faces, 200);
        std::printf("online, item 9983 against the unpaced emulator: %.3f ms per load (%s)\n", ms,
                    qPrintable(faces.stopka().statusText()));
    }
    fs::remove_all(dir);
    return 0;
}
