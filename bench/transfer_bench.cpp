// SPDX-License-Identifier: MIT
// Timed runs of the bulk transfers through the windows against the emulator on a
// pseudo-terminal: the binding erase unpaced, and the footer read paced at the
// real wire speed, compared with the wire time of the bytes exchanged.

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "app/Kalvero.h"
#include "app/qt/QtFaces.h"
#include "app/qt/QtGlowna.h"
#include "app/qt/QtWymiana.h"
#include "app/uGlowna.h"
#include "app/uWymiana.h"
#include "link/Printer.h"
#include "tests/PrinterOnPort.h"
#include "tests/ScriptedMessages.h"
#include "ui/MessageQuestion.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Bench {
    explicit Bench(std::uint32_t baud, bool pace) {
        std::string pattern = (fs::temp_directory_path() / "kalvero-bench-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        oru::PrinterMemory memory = oru::PrinterMemory::factory();
        memory.baudRate = baud;
        printer = kalvero::test::plugInPrinter(dir, 1, memory, {}, pace);
        if (!printer) {
            std::fprintf(stderr, "no pseudo-terminal\n");
            std::exit(1);
        }
        serial = kalvero::test::portLayer(dir, std::chrono::milliseconds(100));
        printerLink = std::make_unique<kalvero::Printer>(*serial, question);
        app = std::make_unique<kalvero::Kalvero>(*printerLink, *faces);
        app->files.FooterFileName = (dir / "stopki.txt").string();
        app->files.BindingFileName = (dir / "wiazplu.txt").string();
        app->fGlowna->Wykryjautomatycznie1Click();
    }
    ~Bench() {
        app.reset();
        faces.reset();
        printerLink.reset();
        serial.reset();
        printer.reset();
        fs::remove_all(dir);
    }
    // Seconds for one exchange command with only the given box ticked.
    double run(const char* command, bool footers) {
        faces->glowna().window().findChild<QAction*>(QString::fromLatin1(command))->trigger();
        faces->wymiana().cbStopki->setChecked(footers);
        faces->wymiana().cbWiazania->setChecked(!footers);
        const auto start = Clock::now();
        faces->wymiana().bDalej->click();
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    fs::path dir;
    std::unique_ptr<oru::PtyPrinter> printer;
    std::unique_ptr<kalvero::QtWinSer> serial;
    kalvero::test::ScriptedMessages messages;
    kalvero::QtMessages boxes{messages};
    kalvero::MessageQuestion question{boxes};
    std::unique_ptr<kalvero::Printer> printerLink;
    std::unique_ptr<kalvero::QtFaces> faces = std::make_unique<kalvero::QtFaces>(messages);
    std::unique_ptr<kalvero::Kalvero> app;
};

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    {
        Bench bench(9600, false);
        const double seconds = bench.run("Kasowanie1", false);
        std::printf("erase 9983 bindings, windows, unpaced: %.3f s (%s)\n", seconds,
                    qPrintable(bench.messages.shown.join(", ")));
    }
    // One footer line: command and 2 data bytes out; ACK, 1 answer and 42 further bytes in.
    constexpr double kBytes = 804.0 * (3 + 44);
    for (const std::uint32_t baud : {19200u, 9600u}) {
        Bench bench(baud, true);
        const double seconds = bench.run("Odczyt1", true);
        const double wire = kBytes * 10 / baud;
        std::printf(
            "read 201 footers, windows, paced at %u: %.3f s, wire time %.3f s, ratio %.4f (%s)\n",
            baud, seconds, wire, seconds / wire, qPrintable(bench.messages.shown.join(", ")));
    }
    return 0;
}
