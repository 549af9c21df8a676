// SPDX-License-Identifier: MIT
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <QToolButton>
#include <memory>

#include "app/ElidedLabel.h"
#include "app/StatusPanels.h"
#include "Version.h"
#include "app/opr.h"
#include "app/stan.h"
#include "app/uKomunikacja.h"
#include "app/uWymiana.h"
#include "editor/uStopki.h"
#include "link/Identification.h"
#include "tests/ScriptedWinSer.h"
#include "tests/WindowTest.h"

namespace kalvero {

using test::ScriptedMessages;
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
    QString panel(int i) const { return app->fGlowna->panelText(i); }
    bool onlineMark() const { return action("Trybonline1")->isChecked(); }
    bool offlineMark() const { return action("Tryboffline1")->isChecked(); }
    // "Odczyt", "Zapis" and "Kasowanie" all enabled, or all disabled.
    bool exchangeEntriesAre(bool enabled) const {
        return action("Odczyt1")->isEnabled() == enabled &&
               action("Zapis1")->isEnabled() == enabled &&
               action("Kasowanie1")->isEnabled() == enabled;
    }
    // A printer of version v with number "07" answering at 9600 baud.
    void scriptPrinter(std::uint8_t version = 4) {
        port->reply(OpIdentify, {0x25, 0xFF});
        port->reply(OpReadVersion, {static_cast<std::uint8_t>(version << 4), 0x5B});
        port->reply(OpReadPrinterNumber, {'0', '7', 0xC0});
    }
    void silentAttempt() {
        port->reply(OpIdentify, {}, 21);
        port->reply(OpIdentify, {}, 21);
    }
    [[nodiscard]] bool goOnline() {
        start({1});
        scriptPrinter();
        const bool online = detect();
        port->calls.clear();
        return online;
    }

private slots:
    void cleanup() {
        closeAll();
        port = nullptr;
    }

    void startsOfflineWithOnlyTheMainWindowShownAndScansBeforeTheDialogListsPorts() {
        auto scripted = std::make_unique<ScriptedWinSer>();
        scripted->presentPorts = {2, 5};
        port = scripted.get();
        serial = std::move(scripted);
        messages = std::make_unique<ScriptedMessages>();
        openWindows();

        QCOMPARE(port->calls.front(), std::string("UnInit"));
        QCOMPARE(port->calls.at(10), std::string("Present 10"));
        QCOMPARE(port->calls.at(11), std::string("UnInit"));  // the dialog closes the port too
        QCOMPARE(port->calls.size(), std::size_t(12));
        QCOMPARE(app->fKomunikacja->cbPort->count(), 2);
        QCOMPARE(app->fKomunikacja->cbPort->itemText(0), QStringLiteral("COM2"));
        QCOMPARE(app->fKomunikacja->cbPort->itemText(1), QStringLiteral("COM5"));
        QCOMPARE(app->fKomunikacja->cbPort->currentText(), QStringLiteral("COM2"));

        QCOMPARE(QApplication::applicationName(), QStringLiteral("Kalvero"));
        QCOMPARE(app->fGlowna->windowTitle(), QStringLiteral("Kalvero wersja beta"));
        QVERIFY(app->fGlowna->isVisible());
        const QList<QWidget*> others{app->fKomunikacja.get(), app->fWymiana.get(),
                                     app->fStopka.get(), app->AboutBox.get(), app->fStan.get()};
        for (QWidget* w : others) {
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
        }
        QCOMPARE(panels(), QStringList({"OFFLINE", "", ""}));
        QVERIFY(!onlineMark());
        QVERIFY(offlineMark());
        QVERIFY(exchangeEntriesAre(true));
        QVERIFY(action("Definiowaniestopek1")->isEnabled());
        QVERIFY(!action("Standrukarki1")->isVisible());
        QVERIFY(app->fGlowna->bbPrzerwij->isHidden());
        QVERIFY(app->fGlowna->lOperacja->isHidden());
        QVERIFY(app->fGlowna->pb->isHidden());
        QCOMPARE(app->state.OfflineMode, std::uint8_t(1));
        QCOMPARE(app->state.PortPresent[2], std::uint8_t(1));
        QCOMPARE(app->state.PortPresent[3], std::uint8_t(0));
        QCOMPARE(app->files.FooterFileName, std::string("stopki.txt"));
        QCOMPARE(app->files.BindingFileName, std::string("wiazplu.txt"));
    }

    void theMenuHasEveryCaptionInDisplayOrder() {
        start();
        QStringList seen;
        for (QAction* top : app->fGlowna->menuBar()->actions()) {
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
    }

    void theStatusBarHasThreeCentredPanelsOfTheirWidths() {
        start();
        const int widths[] = {80, 340};
        for (int i = 0; i < 3; ++i) {
            auto* label = app->fGlowna->findChild<QLabel*>(QStringLiteral("sbOruPanel%1").arg(i));
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
        const int width = app->fGlowna->width();
        const QString path = QStringLiteral("/home/sklep/") + QString(190, QLatin1Char('k')) +
                             QStringLiteral("/stopki.txt.partial");
        app->fGlowna->progress().showNote(path);
        app->fGlowna->findChild<StatusPanels*>(QStringLiteral("sbOru"))
            ->setPanel(1, QStringLiteral("127.0.0.1:47011 ") + path);
        QApplication::processEvents();
        QCOMPARE(app->fGlowna->width(), width);
        const auto* note = static_cast<const ElidedLabel*>(app->fGlowna->lOperacja);
        const auto* panel = app->fGlowna->findChild<ElidedLabel*>(QStringLiteral("sbOruPanel1"));
        for (const ElidedLabel* label : {note, panel}) {
            QVERIFY(label->shownText().contains(QChar(0x2026)));
            QVERIFY(label->shownText().endsWith(QStringLiteral("partial")));
        }
        QCOMPARE(panel->text(), QStringLiteral("127.0.0.1:47011 ") + path);
        // Hovered, it shows the whole text.
        QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), panel->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(const_cast<ElidedLabel*>(panel), &hover);
        QCOMPARE(QToolTip::text(), panel->text());
    }

    void answeringNoToTheConnectionQuestionChangesNothing() {
        start({1});
        action("Odczyt1")->trigger();
        QCOMPARE(messages->shown,
                 QStringList({"Brak połączenia z drukarką etykiet|Czy połączyć się z drukarką?"}));
        QVERIFY(port->calls.empty());
        QCOMPARE(panels(), QStringList({"OFFLINE", "", ""}));
        QVERIFY(offlineMark());
        QVERIFY(!app->fWymiana->isVisible());
        QVERIFY(app->fStopka->eNazwa->isHidden());
        QCOMPARE(app->state.ExchangeMode, ExchangeKind::None);
    }

    void yesWithoutAPrinterReportsItAndOpensNoDialog() {
        start({1});
        silentAttempt();
        messages->answers = {true};
        action("Zapis1")->trigger();
        QCOMPARE(messages->shown.size(), 2);
        QCOMPARE(messages->shown.at(1), QStringLiteral("Nie wykryto drukarki etykiet"));
        QCOMPARE(panels(), QStringList({"OFFLINE", "Nie wykryto drukarki DURAX ORU...", ""}));
        QVERIFY(!app->fWymiana->isVisible());
        QVERIFY(app->fGlowna->pb->isHidden());
        QCOMPARE(app->state.ExchangeMode, ExchangeKind::None);
    }

    void yesWithAPrinterConnectsAndOpensTheReadDialog() {
        start({1});
        scriptPrinter();
        messages->answers = {true};
        action("Odczyt1")->trigger();
        QCOMPARE(panel(0), QStringLiteral("ONLINE"));
        QVERIFY(app->fWymiana->isVisible());
        QCOMPARE(app->fWymiana->windowTitle(), QStringLiteral("Odczyt danych z drukarki etykiet"));
        QCOMPARE(app->fWymiana->bDalej->text(), QStringLiteral("Odczyt"));
        QVERIFY(!app->fGlowna->isEnabled());
        QCOMPARE(app->state.ExchangeMode, ExchangeKind::Read);
        QVERIFY(!app->fStopka->eNazwa->isHidden());
    }

    void eachExchangeCommandPreparesTheDialogForItsMode() {
        QVERIFY(goOnline());
        auto* w = app->fWymiana.get();
        const auto visible = [w] {
            return QList<bool>{!w->cbStopki->isHidden(), !w->cbWiazania->isHidden(),
                               !w->Edit1->isHidden(),    !w->sbZmienStopka->isHidden(),
                               !w->Edit2->isHidden(),    !w->sbZmienWiazania->isHidden(),
                               !w->Label1->isHidden(),   !w->seMaxPLU->isHidden()};
        };

        action("Kasowanie1")->trigger();
        QCOMPARE(w->windowTitle(), QStringLiteral("Kasowanie danych z drukarki etykiet"));
        QCOMPARE(w->bDalej->text(), QStringLiteral("Kasowanie"));
        QCOMPARE(visible(), QList<bool>({true, true, false, false, false, false, false, false}));
        QVERIFY(!app->fGlowna->lOperacja->isHidden());
        QVERIFY(app->fGlowna->isEnabled());
        QCOMPARE(app->state.ExchangeMode, ExchangeKind::Erase);
        w->bAnuluj->click();

        action("Zapis1")->trigger();
        QCOMPARE(w->windowTitle(), QStringLiteral("Zapis danych do drukarki etykiet"));
        QCOMPARE(w->bDalej->text(), QStringLiteral("Zapis"));
        QCOMPARE(visible(), QList<bool>({true, true, true, true, true, true, false, false}));
        QVERIFY(!app->fGlowna->pb->isHidden());
        QVERIFY(app->fGlowna->isEnabled());
        QCOMPARE(app->state.ExchangeMode, ExchangeKind::Write);
        w->bAnuluj->click();

        action("Odczyt1")->trigger();
        QCOMPARE(visible(), QList<bool>({true, true, true, true, true, true, true, true}));
        QVERIFY(!app->fGlowna->isEnabled());
        QCOMPARE(app->state.ExchangeMode, ExchangeKind::Read);
        QVERIFY2(messages->shown.isEmpty(), "online: no question");
        QVERIFY2(port->calls.empty(), "online: no new connection");

        w->bAnuluj->click();
        QVERIFY(app->fGlowna->isEnabled());
        QVERIFY(!w->isVisible());
    }

    void theDialogsCloseBoxEnablesTheMainWindowAndKeepsTheStatusBar() {
        QVERIFY(goOnline());
        action("Kasowanie1")->trigger();
        action("Odczyt1")->trigger();
        QVERIFY(!app->fGlowna->isEnabled());
        app->fWymiana->close();
        QVERIFY(app->fGlowna->isEnabled());
        QVERIFY(app->fGlowna->lOperacja->isHidden());
        QVERIFY(app->fGlowna->statusBar()->isVisible());
    }

    void theMarksFollowTheStateAloneAndTheEditorKeepsTheMainWindowDisabled() {
        QVERIFY(goOnline());
        action("Tryboffline1")->trigger();
        action("Trybonline1")->trigger();  // only shows the dialog
        QVERIFY(!onlineMark());
        QVERIFY(offlineMark());
        app->fKomunikacja->bCofnij->click();
        QVERIFY(!onlineMark());
        QVERIFY(offlineMark());
        action("Tryboffline1")->trigger();  // offline again: its mark stays
        QVERIFY(offlineMark());

        app->fStopka->open();
        app->fStopka->showMinimized();
        QVERIFY2(!app->fGlowna->isEnabled(), "minimized is still open");
        app->fStopka->bWyjdz->click();
        QVERIFY(app->fGlowna->isEnabled());

        QVERIFY(goOnline());
        action("Zapis1")->trigger();  // the write dialog leaves the main window enabled
        app->fStopka->open();
        app->fWymiana->bAnuluj->click();
        QVERIFY2(!app->fGlowna->isEnabled(), "the editor is still open");
        // A transfer started beside the open editor: "Przerwij" must act all the same.
        action("Kasowanie1")->trigger();
        bool enabledDuring = false;
        port->onCall = [this, &enabledDuring](const std::string&) {
            enabledDuring = enabledDuring || app->fGlowna->isEnabled();
        };
        app->fWymiana->bDalej->click();
        port->onCall = nullptr;
        QVERIFY(enabledDuring);
        QVERIFY2(!app->fGlowna->isEnabled(), "the editor is still open after the transfer");
        app->fStopka->bWyjdz->click();
        QVERIFY(app->fGlowna->isEnabled());
    }

    void theOfflineCommandClosesThePortAndDisablesTheExchangeEntries() {
        QVERIFY(goOnline());
        action("Tryboffline1")->trigger();
        QCOMPARE(port->calls, std::vector<std::string>{"UnInit"});
        QCOMPARE(app->state.OfflineMode, std::uint8_t(1));
        QVERIFY(!onlineMark());
        QVERIFY(offlineMark());
        QCOMPARE(panels(), QStringList({"OFFLINE", "", ""}));
        QVERIFY(exchangeEntriesAre(false));
        QVERIFY(action("Definiowaniestopek1")->isEnabled());
        QVERIFY(app->fStopka->eNazwa->isHidden());
        QCOMPARE(app->state.PortNumber, std::uint8_t(1));
        QCOMPARE(app->state.BaudRate, std::uint16_t(9600));

        action("Tryboffline1")->trigger();  // again, while offline: the same steps
        QCOMPARE(port->calls.size(), std::size_t(2));
        QVERIFY(offlineMark());
    }

    void closingTheMainWindowByItsFrameClosesThePort() {
        QVERIFY(goOnline());
        app->fGlowna->close();
        QCOMPARE(port->calls, std::vector<std::string>{"UnInit"});
        QVERIFY(!app->fGlowna->isVisible());
    }

    void theExitCommandClosesThePort() {
        QVERIFY(goOnline());
        action("Koniecprogramu1")->trigger();
        QCOMPARE(port->calls, std::vector<std::string>{"UnInit"});
        QCOMPARE(app->state.OfflineMode, std::uint8_t(1));
    }

    void automaticDetectionTriesPresentPortsInRisingOrderAndRetriesAtNineteenTwoHundred() {
        start({1, 3});
        silentAttempt();                  // COM1, both speeds
        port->reply(OpIdentify, {}, 21);  // COM3 at 9600
        scriptPrinter();                  // COM3 at 19200
        QStringList seenWhileTrying;
        QList<Qt::CursorShape> cursors;
        port->onCall = [&](const std::string& call) {
            if (call.rfind("Init", 0) == 0) {
                seenWhileTrying << QString::fromStdString(call) + QLatin1Char('|') + panel(1);
                cursors << app->fGlowna->cursor().shape();
            }
        };
        app->fKomunikacja->seKanal->setValue(3);

        action("Wykryjautomatycznie1")->trigger();

        QCOMPARE(seenWhileTrying, QStringList({"Init 1 9600 5 5|Wykrywanie... COM1",
                                               "Init 1 19200 5 5|Wykrywanie... COM1",
                                               "Init 3 9600 5 5|Wykrywanie... COM3",
                                               "Init 3 19200 5 5|Wykrywanie... COM3"}));
        QCOMPARE(cursors, QList<Qt::CursorShape>(4, Qt::WaitCursor));
        QCOMPARE(app->fGlowna->cursor().shape(), Qt::ArrowCursor);
        QCOMPARE(panels(), QStringList({"ONLINE", "DURAX ORU nr: 07", "COM3,19200"}));
        QCOMPARE(app->state.OfflineMode, std::uint8_t(0));
        QCOMPARE(app->state.PortNumber, std::uint8_t(3));
        QCOMPARE(app->state.BaudRate, std::uint16_t(19200));
        QVERIFY(onlineMark());
        QVERIFY(!offlineMark());
        QVERIFY(!action("Wykryjautomatycznie1")->isChecked());
        QVERIFY(exchangeEntriesAre(true));
        QVERIFY(!app->fStopka->eNazwa->isHidden());
        // Channel 3 clears both lines, on every attempt.
        const auto lines = std::count(port->calls.begin(), port->calls.end(), "ClearRTS");
        QCOMPARE(lines, 4);
    }

    void aForeignDeviceIsNotTriedAtTheSecondSpeed() {
        start({1});
        port->reply(OpIdentify, {0x00, 0x00});
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(std::count(port->calls.begin(), port->calls.end(), "RS ff 2 0"), 1);
        QCOMPARE(panels(), QStringList({"OFFLINE", "Nie wykryto drukarki DURAX ORU...", ""}));
    }

    void anOldPrinterStopsTheSearchAndLeavesTheProgramOffline() {
        start({1, 2});
        scriptPrinter(3);
        scriptPrinter(5);
        action("Tryboffline1")->trigger();
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(panels(),
                 QStringList({"OFFLINE", "Wersja programu w drukarce etykiet mniejsza niż 4", ""}));
        QCOMPARE(app->state.OfflineMode, std::uint8_t(1));
        QCOMPARE(app->state.PortNumber, std::uint8_t(1));
        QCOMPARE(app->state.BaudRate, std::uint16_t(9600));
        QVERIFY(offlineMark());
        QVERIFY2(exchangeEntriesAre(false), "unchanged");
        QVERIFY(action("Definiowaniestopek1")->isEnabled());
        QVERIFY(std::find(port->calls.begin(), port->calls.end(), "Init 2 9600 5 5") ==
                port->calls.end());
    }

    void aFailedAttemptWhileOnlineLeavesTheExchangeEntriesEnabledAndAsksAgain() {
        QVERIFY(goOnline());
        silentAttempt();
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(app->state.OfflineMode, std::uint8_t(1));
        QVERIFY(exchangeEntriesAre(true));
        QCOMPARE(app->state.PortNumber, std::uint8_t(1));  // never cleared
        action("Odczyt1")->trigger();
        QCOMPARE(messages->shown.size(), 1);
        QVERIFY(messages->shown.at(0).endsWith(QStringLiteral("Czy połączyć się z drukarką?")));
    }

    void connectingByHandUsesTheChosenEntryOrTheFirst() {
        start({2, 5});
        auto* dialog = app->fKomunikacja.get();
        action("Trybonline1")->trigger();
        QVERIFY(dialog->isVisible());

        port->reply(OpIdentify, {}, 24);
        dialog->bPolaczClick();
        QCOMPARE(port->calls.at(1), std::string("Init 2 9600 5 5"));
        QCOMPARE(panels(), QStringList({"OFFLINE", "Nie wykryto drukarki DURAX ORU na COM2", ""}));
        QVERIFY2(dialog->isVisible(), "shown again");
        QVERIFY(!action("Definiowaniestopek1")->isEnabled());
        QVERIFY(offlineMark());

        port->calls.clear();
        dialog->cbPort->setCurrentIndex(1);
        emit dialog->cbPort->activated(1);
        dialog->cbPort->setEditText(QStringLiteral("COM9"));  // typed text is not read
        silentAttempt();
        dialog->bPolaczClick();
        QCOMPARE(port->calls.at(1), std::string("Init 5 9600 5 5"));
        QCOMPARE(port->calls.at(6), std::string("Init 5 19200 5 5"));
        QCOMPARE(panel(1), QStringLiteral("Nie wykryto drukarki DURAX ORU na COM5"));

        scriptPrinter();
        dialog->bPolaczClick();
        QCOMPARE(panels(), QStringList({"ONLINE", "DURAX ORU nr: 07", "COM5,9600"}));
        QVERIFY2(!dialog->isVisible(), "stays hidden");
        QVERIFY(onlineMark());
        QVERIFY(exchangeEntriesAre(true));
        QVERIFY(action("Definiowaniestopek1")->isEnabled());
        QCOMPARE(app->fGlowna->cursor().shape(), Qt::ArrowCursor);

        // Automatic detection, successful or not, enables the editor entry again.
        start({2});
        app->fKomunikacja->bPolaczClick();
        QVERIFY(!action("Definiowaniestopek1")->isEnabled());
        action("Wykryjautomatycznie1")->trigger();
        QVERIFY(action("Definiowaniestopek1")->isEnabled());
    }

    void anOldPrinterByHandIsRefusedAndTheDialogStaysHidden() {
        start({4});
        scriptPrinter(2);
        app->fKomunikacja->show();
        app->fKomunikacja->bPolaczClick();
        QCOMPARE(panels(),
                 QStringList({"OFFLINE", "Wersja programu w drukarce etykiet mniejsza niż 4", ""}));
        QVERIFY(!app->fKomunikacja->isVisible());
        QVERIFY(!action("Definiowaniestopek1")->isEnabled());
        QCOMPARE(app->state.PortNumber, std::uint8_t(4));
    }

    void withoutPortsTheDialogTriesPortOne() {
        start();
        QCOMPARE(app->fKomunikacja->cbPort->count(), 0);
        app->fKomunikacja->bPolaczClick();
        QCOMPARE(port->calls.at(1), std::string("Init 1 9600 5 5"));
        QCOMPARE(panel(1), QStringLiteral("Nie wykryto drukarki DURAX ORU na COM1"));
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(panel(1), QStringLiteral("Nie wykryto drukarki DURAX ORU..."));
    }

    void aPortTheSystemRefusesIsNamedWithWhyAndHowToMendIt() {
        start({1, 2});
        port->initResult = serial::kAccessDenied;
        port->initFailure = OpenFailure{"/dev/ttyS0", "Permission denied"};
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(panels(), QStringList({"OFFLINE", "Port COM1: brak uprawnień do portu", ""}));
        QCOMPARE(messages->shown.size(), 1);
        QVERIFY(messages->shown.at(0).startsWith(
            QStringLiteral("Port COM1 (/dev/ttyS0): brak uprawnień do portu\n\n")));
        QVERIFY(messages->shown.at(0).contains(QStringLiteral("sudo usermod -aG dialout ")));

        port->initResult = serial::kCannotOpen;
        port->initFailure = OpenFailure{"/dev/ttyS1", "Input/output error"};
        app->fKomunikacja->bPolaczClick();
        QCOMPARE(panel(1),
                 QStringLiteral("Port COM1: nie można otworzyć portu: Input/output error"));
        QCOMPARE(messages->shown.size(), 2);
        QCOMPARE(messages->shown.at(1), QStringLiteral("Port COM1 (/dev/ttyS1): nie można "
                                                       "otworzyć portu: Input/output error"));
    }

    void cofnijShowsTheFirstEntryAgainAndChangesNothingElse() {
        start({2, 5});
        auto* dialog = app->fKomunikacja.get();
        dialog->show();
        dialog->cbPort->setCurrentIndex(1);
        emit dialog->cbPort->activated(1);
        dialog->bCofnij->click();
        QCOMPARE(dialog->cbPort->currentText(), QStringLiteral("COM2"));
        QVERIFY(!dialog->isVisible());
        QVERIFY(port->calls.empty());
        QCOMPARE(panels(), QStringList({"OFFLINE", "", ""}));
        dialog->bPolaczClick();
        QCOMPARE(port->calls.at(1), std::string("Init 2 9600 5 5"));
    }

    void escapePressesPrzerwijOnlyWhileItIsShown() {
        start();
        QApplication::setActiveWindow(app->fGlowna.get());
        QVERIFY(QTest::qWaitForWindowActive(app->fGlowna.get()));
        QTest::keyClick(app->fGlowna.get(), Qt::Key_Escape);
        QCOMPARE(app->state.AbortRequested, std::uint8_t(0));
        app->fGlowna->bbPrzerwij->show();
        QTest::keyClick(app->fGlowna.get(), Qt::Key_Escape);
        QCOMPARE(app->state.AbortRequested, std::uint8_t(1));
    }

    void theAboutBoxIsOneWindowHoweverOftenOpened() {
        start();
        action("Oprogramie1")->trigger();
        action("Oprogramie1")->trigger();
        const auto boxes = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(boxes.begin(), boxes.end(),
                               [](QWidget* w) { return w->objectName() == "AboutBox"; }),
                 1);
        QVERIFY(app->AboutBox->isVisible());
        QCOMPARE(app->AboutBox->windowTitle(), QStringLiteral("O programie"));
        QCOMPARE(app->AboutBox->Version->text(), QStringLiteral("Wersja z 30.07.2010 "));
        // The program's version as --version gives it, in a line of its own.
        QVERIFY(app->AboutBox->ProgramVersion->text().endsWith(QString::fromUtf8(kVersion)));
        app->AboutBox->OKButton->click();
        QVERIFY(!app->AboutBox->isVisible());
    }
};

}  // namespace kalvero

QTEST_MAIN(kalvero::MainWindowTest)
#include "MainWindowTest.moc"
