// SPDX-License-Identifier: MIT
// The main window and the small windows as Qt draws them: what they show, and that
// their controls and frames reach the behaviour.
#include <QAction>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <csignal>
#include <fstream>
#include <memory>
#include <utility>

#include "Version.h"
#include "app/qt/ElidedLabel.h"
#include "app/stan.h"
#include "app/uWymiana.h"
#include "editor/uStopki.h"
#include "tests/ScriptedWinSer.h"
#include "tests/WindowTest.h"

namespace kalvero {

using test::ScriptedWinSer;

class MainWindowTest : public test::WindowTest {
    Q_OBJECT

    ScriptedWinSer* port = nullptr;  // the scripted port layer the program runs on

    void start(std::set<int> ports = {}) {
        newFolder();
        auto scripted = std::make_unique<ScriptedWinSer>();
        scripted->presentPorts = std::move(ports);
        port = scripted.get();
        startKalvero(std::move(scripted));
        port->calls.clear();
    }
    bool hidden(const char* name) const { return child<QWidget>(name)->isHidden(); }

private slots:
    void cleanup() {
        closeAll();
        port = nullptr;
    }

    void startsWithOnlyTheMainWindowShownAndThePortsListed() {
        start({2, 5});
        QCOMPARE(QApplication::applicationName(), QStringLiteral("Kalvero"));
        QCOMPARE(mainWindow().windowTitle(), QStringLiteral("Kalvero wersja beta"));
        QCOMPARE(mainWindow().size(), QSize(544, 373));
        QVERIFY(mainWindow().isVisible());
        for (QWidget* w : {&komunikacja().widget(), &wymiana().widget(), &stopka().widget(),
                           &about().widget(), &stan().widget()}) {
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        }
        QCOMPARE(komunikacja().cbPort->count(), 2);
        QCOMPARE(komunikacja().cbPort->itemText(1), QStringLiteral("COM5"));
        QCOMPARE(komunikacja().cbPort->currentText(), QStringLiteral("COM2"));
        QCOMPARE(panels(), QStringList({"OFFLINE", "", ""}));
        QVERIFY(action("Tryboffline1")->isChecked());
        QVERIFY(!action("Trybonline1")->isChecked());
        QVERIFY(!action("Standrukarki1")->isVisible());
        QVERIFY(hidden("bbPrzerwij") && hidden("lOperacja") && hidden("pb"));
        QVERIFY(stopka().eNazwa->isHidden());
        QVERIFY(stopka().changeMark->isHidden());
    }

    // The built program's help, in 80 columns in either language.
    void theHelpFitsEightyColumnsInEitherLanguage() {
        for (const char* locale : {"C", "pl_PL.UTF-8"}) {
            QProcess program;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("LC_ALL"), QString::fromLatin1(locale));
            environment.remove(QStringLiteral("LANGUAGE"));
            program.setProcessEnvironment(environment);
            program.start(QStringLiteral(KALVERO_PATH), {QStringLiteral("--help")});
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitCode(), 0);
            const QString help = QString::fromUtf8(program.readAllStandardOutput());
            QVERIFY(help.contains(QStringLiteral("--trace")));
            for (const QString& line : help.split(QLatin1Char('\n'))) {
                QVERIFY2(line.size() <= 80, qPrintable(QString::fromLatin1(locale) + ": " + line));
            }
        }
    }

    // The built program, sent SIGTERM (a logout, a shutdown) or SIGHUP, ends as "Koniec
    // programu" ends it, with its ordinary exit code, instead of being cut off.
    void theProgramEndsOnTermAndHangUpAsKoniecProgramu() {
        newFolder();
        // The last run is under nohup: the hang-up stays ignored (closing the terminal
        // leaves the program), while SIGTERM still ends it.
        for (const auto& [signal, nohup] : {std::pair{SIGTERM, false}, std::pair{SIGHUP, false},
                                            std::pair{SIGTERM, true}}) {
            QProcess program;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
                environment.insert(QString::fromLatin1(name), QString::fromStdString(tmp->path()));
            }
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            program.setProcessEnvironment(environment);
            program.setWorkingDirectory(QString::fromStdString(tmp->path()));
            if (nohup) {
                program.start(QStringLiteral("/usr/bin/nohup"), {QStringLiteral(KALVERO_PATH)});
            } else {
                program.start(QStringLiteral(KALVERO_PATH), {});
            }
            QVERIFY(program.waitForStarted(20000));
            const auto pid = program.processId();
            // Sent only once the program catches it: earlier it would end any program.
            const auto caught = [pid](int which) {
                std::ifstream status("/proc/" + std::to_string(pid) + "/status");
                for (std::string line; std::getline(status, line);) {
                    if (line.rfind("SigCgt:", 0) == 0) {
                        return (std::stoull(line.substr(7), nullptr, 16) >> (which - 1) & 1) != 0;
                    }
                }
                return false;
            };
            QTRY_VERIFY_WITH_TIMEOUT(caught(signal), 20000);
            QCOMPARE(caught(SIGHUP), !nohup);
            ::kill(static_cast<pid_t>(pid), signal);
            QVERIFY(program.waitForFinished(20000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QVERIFY2(program.exitCode() == 0, program.readAllStandardError().constData());
        }
    }

    void theMenuHasEveryCaptionInDisplayOrder() {
        start();
        QStringList seen;
        for (QAction* top : mainWindow().menuBar()->actions()) {
            seen << top->text();
            if (top->menu() != nullptr) {
                for (QAction* entry : top->menu()->actions()) {
                    seen << QStringLiteral("  ") + entry->text();
                }
            }
        }
        QCOMPARE(seen, QStringList({"Komunikacja", "  Tryb &online - automatycznie",
                                    "  Tryb o&nline - ustaw port", "  Tryb o&ffline",
                                    "  &Koniec programu", "Wymiana danych", "  Odczyt ", "  Zapis",
                                    "  Kasowanie", "Definiowanie", "  Definiowanie stopek",
                                    "Stan drukarki", "Pomoc", "  O programie"}));
        // Each entry reaches the window's handler: the offline command closes the port.
        action("Tryboffline1")->trigger();
        QCOMPARE(port->calls, std::vector<std::string>{"UnInit"});
        QVERIFY(!action("Odczyt1")->isEnabled());
    }

    void theStatusBarHasThreeCentredPanelsOfTheirWidths() {
        start();
        QCOMPARE(mainWindow().statusBar()->height(), 32);
        const int widths[] = {80, 340};
        for (int i = 0; i < 3; ++i) {
            auto* label = mainWindow().findChild<QLabel*>(QStringLiteral("sbOruPanel%1").arg(i));
            QVERIFY(label != nullptr);
            if (i < 2) {
                QCOMPARE(label->width(), widths[i]);
            } else {
                QVERIFY(label->width() <= 140);
            }
            QCOMPARE(label->alignment(), Qt::AlignCenter);
            QVERIFY(label->font().bold());
        }
        // A long text is shown with its middle elided and never widens the window.
        const int width = mainWindow().width();
        const std::string path = "/home/sklep/" + std::string(190, 'k') + "/stopki.txt.partial";
        app->fGlowna->progress().showNote(path);
        glowna().setPanel(1, "127.0.0.1:47011 " + path);
        QApplication::processEvents();
        QCOMPARE(mainWindow().width(), width);
        const auto* note = child<ElidedLabel>("lOperacja");
        const auto* panel = child<ElidedLabel>("sbOruPanel1");
        for (const ElidedLabel* label : {note, panel}) {
            QVERIFY(label->shownText().contains(QChar(0x2026)));
            QVERIFY(label->shownText().endsWith(QStringLiteral("partial")));
        }
        QCOMPARE(panel->text(), QString::fromStdString("127.0.0.1:47011 " + path));
        // Hovered, it shows the whole text.
        QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), panel->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(const_cast<ElidedLabel*>(panel), &hover);
        QCOMPARE(QToolTip::text(), panel->text());
    }

    // The frames' close boxes and the editor's hiding reach the behaviour.
    void framesAndTheEditorsHidingReachTheWindows() {
        start();
        app->state.OfflineMode = 0;
        action("Kasowanie1")->trigger();
        action("Odczyt1")->trigger();
        QVERIFY(!mainWindow().isEnabled());
        wymiana().widget().close();
        QVERIFY(mainWindow().isEnabled());
        QVERIFY(hidden("lOperacja"));
        QVERIFY(mainWindow().statusBar()->isVisible());

        app->fStopka->open();
        QVERIFY(!mainWindow().isEnabled());
        stopka().widget().showMinimized();
        QVERIFY2(!mainWindow().isEnabled(), "minimized is still open");
        stopka().bWyjdz->click();
        QVERIFY(mainWindow().isEnabled());

        mainWindow().close();
        QCOMPARE(port->calls.back(), std::string("UnInit"));
        QVERIFY(!mainWindow().isVisible());
    }

    void escapePressesPrzerwijOnlyWhileItIsShown() {
        start();
        QApplication::setActiveWindow(&mainWindow());
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow()));
        QTest::keyClick(&mainWindow(), Qt::Key_Escape);
        QCOMPARE(app->state.AbortRequested, std::uint8_t(0));
        app->fGlowna->progress().showAbortButton();
        QVERIFY(!hidden("bbPrzerwij"));
        QTest::keyClick(&mainWindow(), Qt::Key_Escape);
        QCOMPARE(app->state.AbortRequested, std::uint8_t(1));
    }

    void theAboutBoxAndTheStatusWindowShowTheirTexts() {
        start();
        action("Oprogramie1")->trigger();
        action("Oprogramie1")->trigger();
        const auto windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(),
                               [](QWidget* w) { return w->objectName() == "AboutBox"; }),
                 1);
        QVERIFY(about().widget().isVisible());
        QCOMPARE(about().widget().windowTitle(), QStringLiteral("O programie"));
        QCOMPARE(about().Version->text(), QStringLiteral("Wersja z 30.07.2010 "));
        // The program's version as --version gives it, in a line of its own.
        QVERIFY(about().ProgramVersion->text().endsWith(QString::fromUtf8(kVersion)));
        about().OKButton->click();
        QVERIFY(!about().widget().isVisible());

        app->fStan->open();
        app->fStan->showPrinterNumber(3);
        QVERIFY(stan().widget().isVisible());
        QCOMPARE(stan().widget().windowTitle(),
                 QString(24, QLatin1Char(' ')) + QStringLiteral("Stan drukarki etykiet"));
        QCOMPARE(stan().Label1->text(), QStringLiteral("3"));
        QCOMPARE(stan().lWersja->text(), QString());
    }

    // A box is as wide as its caption needs, and a long sentence breaks at its clause.
    void messageBoxesShowTheirCaptionWholeAndWrapASentenceAtItsClause() {
        start();
        MessageBoxes real;
        QStringList captions;
        QStringList texts;
        QList<int> room;
        const auto look = [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                return;
            }
            const QFontMetrics title(QApplication::font("QMdiSubWindowTitleBar"));
            captions << box->windowTitle();
            texts << box->text();
            room << box->width() - title.horizontalAdvance(box->windowTitle());
            box->done(QMessageBox::Ok);
        };
        QTimer::singleShot(0, &mainWindow(), look);
        real.tell(&mainWindow(), QStringLiteral("Odczyt stopek: OK"));
        const QString partial = QStringLiteral("/home/sklep/dane/stopki.txt.partial");
        QTimer::singleShot(0, &mainWindow(), look);
        real.tell(&mainWindow(), QStringLiteral("Odczyt stopek przerwany przez użytkownika\n") +
                                     QString::fromStdString(KeptApart({partial.toStdString()})));
        QCOMPARE(captions, QStringList({"Kalvero", "Kalvero"}));
        for (const int free : room) {
            QVERIFY2(free >= 120, qPrintable(QString::number(free)));
        }
        QCOMPARE(texts.at(1), QStringLiteral("Odczyt stopek przerwany przez użytkownika\n"
                                             "Odczytane dane są w pliku ") +
                                  partial + QStringLiteral(",\ndotychczasowy plik jest bez zmian"));
    }
};

}  // namespace kalvero

QTEST_MAIN(kalvero::MainWindowTest)
#include "MainWindowTest.moc"
