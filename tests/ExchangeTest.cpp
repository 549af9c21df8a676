// SPDX-License-Identifier: MIT
// Reading, writing and erasing everything through the windows as Qt draws them, with
// the event loop served between records, against emulated printers on a pty.

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>

#include "app/qt/EndOnSignals.h"
#include "app/uKomunikacja.h"
#include "app/uWymiana.h"
#include "data/WholeFiles.h"
#include "link/orukom.h"
#include "tests/Files.h"
#include "tests/ShopPrinter.h"
#include "tests/WindowTest.h"

namespace kalvero {

class ExchangeTest : public test::WindowTest {
    Q_OBJECT

    // The program replaces its printer: another shop's on the same port.
    [[nodiscard]] bool replacePrinter(oru::PrinterMemory memory, oru::Faults faults = {}) {
        printers.clear();
        return plugIn(1, std::move(memory), faults) && detect();
    }
    [[nodiscard]] bool run(const char* command) {
        action(command)->trigger();
        if (!wymiana().widget().isVisible()) {
            return false;
        }
        wymiana().bDalej->click();
        return true;
    }
    // Everything a finished transfer puts away is away.
    [[nodiscard]] bool cleanedUp() const {
        const QMainWindow& main = mainWindow();
        return child<QWidget>("bbPrzerwij")->isHidden() &&
               child<QWidget>("lOperacja")->isHidden() && child<QWidget>("pb")->isHidden() &&
               main.isEnabled() && main.menuBar()->isEnabled() &&
               main.cursor().shape() == Qt::ArrowCursor && !wymiana().widget().isVisible();
    }

private slots:
    void cleanup() { closeAll(); }

    void readsEverythingAndWritesItToAFreshPrinter() {
        const oru::PrinterMemory shop = test::ShopPrinter();
        QVERIFY(startOnline(shop));
        QVERIFY(run("Odczyt1"));
        QCOMPARE(messages->shown, QStringList({"Odczyt stopek: OK", "Odczyt wiązań: OK"}));
        QVERIFY(cleanedUp());
        QCOMPARE(test::slurp(app->files.FooterFileName).size(), std::size_t(37395));
        QCOMPARE(test::slurp(app->files.BindingFileName).size(), std::size_t(9 + 9983 * 11));

        QVERIFY(replacePrinter(oru::PrinterMemory::factory()));
        messages->shown.clear();
        QVERIFY(run("Zapis1"));
        QCOMPARE(messages->shown,
                 QStringList({"Zapis stopek: OK, zapisano 201", "Zapis wiązań: OK"}));
        QVERIFY(cleanedUp());
        const oru::PrinterMemory copy = printer().memory();
        QVERIFY(copy.footers == shop.footers);
        QVERIFY(copy.bindings == shop.bindings);
    }

    // kalvero-cli ended while importing: both new files whole, not yet in place. The
    // write finishes that import first, as kalvero-cli would, and sends what it made.
    void anImportEndedHalfWayIsFinishedBeforeAWrite() {
        QVERIFY(startOnline());
        const FileNames& files = app->files;
        QVERIFY(CreateDefaultFile(files, files.FooterFileName));
        QVERIFY(CreateDefaultFile(files, files.BindingFileName));
        std::filesystem::copy_file(files.FooterFileName, files.FooterFileName + ".new");
        test::put(files.BindingFileName + ".new", "#\r\n#\r\n#\r\n$0005\t007\r\n");
        test::put(files.FooterFileName + ".import",
                  "gotowe\n" + files.FooterFileName + "\n" + files.BindingFileName + "\n");
        QVERIFY(run("Zapis1"));
        QVERIFY(!messages->shown.isEmpty());
        QVERIFY2(messages->shown.front().startsWith(QStringLiteral("dokończono przerwany import:")),
                 qPrintable(messages->shown.front()));
        QCOMPARE(printer().memory().bindings[5], std::uint8_t(7));
        QVERIFY(!std::filesystem::exists(files.FooterFileName + ".import"));
    }

    void erasesEverything() {
        // What kalvero-cli knew the printers to hold is let go before the windows
        // change one.
        const test::TempDir data;
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(data.path().string()));
        std::filesystem::create_directories(data / "kalvero/known/COM1-07~x");
        test::put(data / "kalvero/known/COM1-07~x/wiazplu.txt", "#\r\n#\r\n#\r\n");
        QVERIFY(startOnline(test::ShopPrinter()));
        qunsetenv("XDG_DATA_HOME");
        QVERIFY(std::filesystem::exists(data / "kalvero/known"));
        QWidget* dialog = &wymiana().widget();
        action("Kasowanie1")->trigger();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        QTest::keyClick(wymiana().cbStopki, Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QVERIFY(messages->shown.isEmpty());
        mainWindow().move(200, 150);
        action("Kasowanie1")->trigger();
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        // Over the main window, not at the screen's corner.
        const QPoint off = dialog->frameGeometry().center() - mainWindow().frameGeometry().center();
        QVERIFY2(off.manhattanLength() <= 8, qPrintable(QString::number(off.manhattanLength())));
        QTest::keyClick(wymiana().cbStopki, Qt::Key_Return);  // presses the default button
        QCOMPARE(messages->shown, QStringList({"Kasowanie stopek: OK", "Kasowanie wiązań: OK"}));
        QVERIFY(cleanedUp());
        const oru::PrinterMemory erased = printer().memory();
        QVERIFY(erased.footers == oru::PrinterMemory{}.footers);
        QVERIFY(erased.bindings == oru::PrinterMemory{}.bindings);
        QVERIFY(!std::filesystem::exists(data / "kalvero/known"));
    }

    void przerwijStopsTheFooterReadAndTheBindingsStillRun() {
        QVERIFY(startOnline(test::ShopPrinter()));
        wymiana().seMaxPLU->setValue(10);
        QTimer::singleShot(0, child<QPushButton>("bbPrzerwij"), &QPushButton::click);
        QVERIFY(run("Odczyt1"));
        const QString partial = QString::fromStdString(app->files.FooterFileName + ".partial");
        QCOMPARE(messages->shown,
                 QStringList({"Odczyt stopek przerwany przez użytkownika\nOdczytane dane są w "
                              "pliku " +
                                  partial + ", dotychczasowy plik jest bez zmian",
                              "Odczyt wiązań: OK"}));
        QCOMPARE(test::slurp(app->files.FooterFileName + ".partial").size(),
                 std::size_t(9 + 186));  // footer 0 only
        QCOMPARE(test::slurp(app->files.BindingFileName).size(), std::size_t(9 + 10 * 11));
        QCOMPARE(app->state.AbortRequested, std::uint8_t(0));
        QVERIFY(child<QLabel>("lOperacja")
                    ->text()
                    .contains(QString::fromStdString(app->files.FooterFileName + ".partial")));
        child<QLabel>("lOperacja")->hide();
        QVERIFY(cleanedUp());
    }

    void onlyPrzerwijActsWhileATransferRuns() {
        QVERIFY(startOnline(test::ShopPrinter()));
        wymiana().cbStopki->setChecked(false);
        bool menuEnabled = true;
        bool dialogEnabled = true;
        QTimer::singleShot(0, &mainWindow(), [&] {
            menuEnabled = mainWindow().menuBar()->isEnabled();
            dialogEnabled = komunikacja().widget().isEnabled();
            action("Tryboffline1")->trigger();
            child<QPushButton>("bbPrzerwij")->click();
        });
        QVERIFY(run("Kasowanie1"));
        QVERIFY(!menuEnabled);
        QVERIFY(!dialogEnabled);
        QCOMPARE(app->state.OfflineMode, std::uint8_t(0));  // the offline command waited
        QCOMPARE(messages->shown, QStringList({"Kasowanie wiązań przerwane przez użytkownika"}));
        QVERIFY(komunikacja().widget().isEnabled());
        wymiana().cbStopki->setChecked(true);
    }

    // By the frame's close box, or by SIGTERM (a logout, a shutdown) as the program
    // takes it; either way the port is free afterwards.
    void closingTheMainWindowStopsTheTransferFirst() {
        for (const bool bySignal : {false, true}) {
            QVERIFY(startOnline(test::ShopPrinter()));
            const EndOnSignals ending(glowna());
            mainWindow().show();
            QTimer::singleShot(0, &mainWindow(), [this, bySignal] {
                if (bySignal) {
                    ::raise(SIGTERM);
                } else {
                    mainWindow().close();
                }
            });
            QVERIFY(run("Kasowanie1"));
            QVERIFY(messages->shown.isEmpty());
            QVERIFY(!mainWindow().isVisible());
            QVERIFY2(printer().memory().bindings[9983] != 0, "the binding erase never started");
            QCOMPARE(test::portLayer(tmp->path())->iInitializePort(1, 9600, 5, 5), serial::kOk);
        }
    }

    void theFilePickersChangeTheNamesForTheRestOfTheRun() {
        QVERIFY(startOnline(test::ShopPrinter()));
        const std::string chosen = (*tmp / "sklep2-stopki.txt").string();
        std::ofstream(chosen) << "#\r\n#\r\n#\r\n";
        QtWymiana* dialog = &wymiana();
        QTimer::singleShot(0, dialog->odPlik, [dialog, chosen] {
            dialog->odPlik->selectFile(QString::fromStdString(chosen));
            static_cast<QDialog*>(dialog->odPlik)->accept();
        });
        dialog->sbZmienStopka->click();
        QCOMPARE(app->files.FooterFileName, chosen);
        QCOMPARE(dialog->Edit1->text(), QString::fromStdString(chosen));

        QTimer::singleShot(0, dialog->odPlik, [dialog] { dialog->odPlik->reject(); });
        dialog->sbZmienWiazania->click();
        QCOMPARE(app->files.BindingFileName, (*tmp / "wiazplu.txt").string());
        // A read creates its file: a name that does not exist yet is taken.
        const std::string fresh = (*tmp / "nowe-wiazania.txt").string();
        QTimer::singleShot(0, dialog->odPlik, [dialog, fresh] {
            // Typed, as a new name is: the dialog's list has nothing to select.
            dialog->odPlik->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QString::fromStdString(fresh));
            static_cast<QDialog*>(dialog->odPlik)->accept();
        });
        dialog->sbZmienWiazania->click();
        QCOMPARE(app->files.BindingFileName, fresh);
        // The footer file picked for the bindings too: refused, nothing changes.
        QTimer::singleShot(0, dialog->odPlik, [dialog, chosen] {
            dialog->odPlik->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(QString::fromStdString(chosen));
            static_cast<QDialog*>(dialog->odPlik)->accept();
        });
        dialog->sbZmienWiazania->click();
        QCOMPARE(app->files.BindingFileName, fresh);
        QCOMPARE(messages->shown.size(), 1);
        QVERIFY(
            messages->shown.constFirst().startsWith(QStringLiteral("Plik stopek i plik wiązań")));
        messages->shown.clear();

        dialog->cbWiazania->setChecked(false);
        QVERIFY(run("Zapis1"));
        QCOMPARE(messages->shown, QStringList({"Zapis stopek: OK, zapisano 0"}));
        dialog->cbWiazania->setChecked(true);
    }
};

}  // namespace kalvero

QTEST_MAIN(kalvero::ExchangeTest)
#include "ExchangeTest.moc"
