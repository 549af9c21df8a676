// SPDX-License-Identifier: MIT
// The main window, the communication and exchange dialogs, the status window and
// the About box, through recording faces over in-process printers.

#include <algorithm>
#include <filesystem>
#include <functional>
#include <utility>

#include "link/Identification.h"
#include "tests/Files.h"
#include "tests/ShopPrinter.h"
#include "tests/WindowBehaviour.h"

namespace kalvero::test {
namespace {

using E = MenuEntry;
using W = WymianaControl;

oru::PrinterMemory printerAt(std::uint32_t baud, std::uint8_t version, std::array<char, 2> number) {
    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    memory.baudRate = baud;
    memory.version = version;
    memory.number = number;
    return memory;
}

// A click while the event loop first runs during a transfer, as a user makes it.
std::function<void()> once(std::function<void()> click) {
    return [click = std::move(click), done = false]() mutable {
        if (!std::exchange(done, true)) {
            click();
        }
    };
}

class MainWindowBehaviour : public WindowBehaviour {
protected:
    bool onlineMark() const { return faces.main.isChecked(E::Trybonline1); }
    bool offlineMark() const { return faces.main.isChecked(E::Tryboffline1); }
    bool exchangeEntriesAre(bool enabled) const {
        return std::ranges::all_of(std::array{E::Odczyt1, E::Zapis1, E::Kasowanie1},
                                   [&](E e) { return faces.main.isEnabled(e) == enabled; });
    }
    // Opens the exchange dialog by its menu command and starts the transfer.
    [[nodiscard]] bool run(void (TfGlowna::*command)()) {
        (main().*command)();
        if (!faces.exchange.visible) {
            return false;
        }
        faces.exchange.dialog->bDalejClick();
        return true;
    }
    // Everything a finished transfer puts away is away.
    bool cleanedUp() const {
        const RecordingMain& m = faces.main;
        return !m.abortShown && !m.operationShown && !m.barShown && m.enabled && m.menuEnabled &&
               !m.busy && !faces.exchange.visible && faces.connection.enabled;
    }
};

TEST_F(MainWindowBehaviour, StartsOfflineWithOnlyTheMainWindowShownAndPortsScannedFirst) {
    ports.addSilent(2);
    ports.addSilent(5);
    start();
    EXPECT_EQ(faces.title, "Kalvero");
    EXPECT_EQ(faces.desk.only({"fGlowna made", "fKomunikacja made", "fWymiana made", "fStopka made",
                               "AboutBox made", "fStan made"}),
              Texts({"fGlowna made", "fKomunikacja made", "fWymiana made", "fStopka made",
                     "AboutBox made", "fStan made"}));
    // The main window scans the ports; the dialog then closes the port and lists them.
    ASSERT_EQ(ports.calls.size(), 12U);
    EXPECT_EQ(ports.calls.front(), "UnInit");
    EXPECT_EQ(ports.calls[10], "Present 10");
    EXPECT_EQ(ports.calls[11], "UnInit");
    EXPECT_EQ(faces.connection.ports, Texts({"COM2", "COM5"}));
    EXPECT_EQ(faces.connection.shownPort, 0);

    EXPECT_TRUE(faces.main.visible);
    EXPECT_FALSE(faces.connection.visible || faces.exchange.visible || faces.editor.visible ||
                 faces.about.visible || faces.status.visible);
    EXPECT_EQ(panels(), Texts({"OFFLINE", "", ""}));
    EXPECT_TRUE(offlineMark());
    EXPECT_FALSE(onlineMark());
    EXPECT_TRUE(exchangeEntriesAre(true));
    EXPECT_TRUE(faces.main.isEnabled(E::Definiowaniestopek1));
    EXPECT_FALSE(faces.main.isVisible(E::Standrukarki1));
    EXPECT_FALSE(faces.main.abortShown || faces.main.operationShown || faces.main.barShown);
    EXPECT_EQ(app->state.OfflineMode, 1);
    EXPECT_EQ(app->state.PortPresent[2], 1);
    EXPECT_EQ(app->state.PortPresent[3], 0);
    EXPECT_EQ(faces.exchange.fileNames[W::Edit1], (tmp / "stopki.txt").string());
    EXPECT_EQ(faces.exchange.fileNames[W::Edit2], (tmp / "wiazplu.txt").string());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(MainWindowBehaviour, AutomaticDetectionTriesPresentPortsInRisingOrderAtBothSpeeds) {
    ports.addSilent(1);
    ports.plugIn(3, printerAt(19200, 4, {'1', '2'}));
    start();
    faces.connection.channel = "3";
    forget();
    ASSERT_TRUE(detect());
    // Each port's name is drawn before it is tried; 9600 comes before 19200.
    EXPECT_EQ(faces.desk.only({"fGlowna repaint", "port", "fGlowna busy", "fGlowna idle"}),
              Texts({"fGlowna busy", "fGlowna repaint: |Wykrywanie... COM1|", "port Init 1 9600",
                     "port Init 1 19200", "fGlowna repaint: |Wykrywanie... COM3|",
                     "port Init 3 9600", "port Init 3 19200",
                     "fGlowna repaint: ONLINE|DURAX ORU nr: 12|COM3,19200", "fGlowna idle"}));
    EXPECT_EQ(panels(), Texts({"ONLINE", "DURAX ORU nr: 12", "COM3,19200"}));
    EXPECT_EQ(app->state.PortNumber, 3);
    EXPECT_EQ(app->state.BaudRate, 19200);
    EXPECT_TRUE(onlineMark());
    EXPECT_FALSE(offlineMark());
    EXPECT_TRUE(exchangeEntriesAre(true));
    EXPECT_TRUE(faces.editor.nameShown);
    // Channel 3 clears both lines, on every attempt.
    EXPECT_EQ(std::ranges::count(ports.calls, "ClearRTS"), 4);
    EXPECT_EQ(std::ranges::count(ports.calls, "SetRTS"), 0);
    EXPECT_TRUE(boxes().empty());

    // A failed attempt while online leaves the entries enabled, and asks again.
    ports.addSilent(3);
    EXPECT_FALSE(detect());
    EXPECT_EQ(panels(), Texts({"OFFLINE", "Nie wykryto drukarki DURAX ORU...", ""}));
    EXPECT_TRUE(exchangeEntriesAre(true));
    EXPECT_EQ(app->state.PortNumber, 3);  // never cleared
    main().Odczyt1Click();
    EXPECT_EQ(boxes(), Texts({"Brak połączenia z drukarką etykiet|Czy połączyć się z drukarką?"}));
}

TEST_F(MainWindowBehaviour, AnOldPrinterOrARefusedPortEndsDetectionOffline) {
    ports.plugIn(2, printerAt(9600, 3, {'0', '2'}));
    ports.plugIn(4, printerAt(9600, 5, {'0', '4'}));
    start();
    main().Tryboffline1Click();
    EXPECT_FALSE(detect());
    EXPECT_EQ(panels(),
              Texts({"OFFLINE", "Wersja programu w drukarce etykiet mniejsza niż 4", ""}));
    EXPECT_EQ(app->state.PortNumber, 2);
    EXPECT_TRUE(offlineMark());
    EXPECT_TRUE(exchangeEntriesAre(false));
    EXPECT_TRUE(faces.main.isEnabled(E::Definiowaniestopek1));
    EXPECT_EQ(ports.exchanges(4), 0);
    EXPECT_EQ(ports.calls.back(), "UnInit");  // a refused printer's port is not held

    ports.refuse(2, serial::kAccessDenied, {"/dev/ttyS1", "Permission denied"});
    ports.addSilent(4);
    forget();
    EXPECT_FALSE(detect());
    EXPECT_EQ(panels(), Texts({"OFFLINE", "Port COM2: brak uprawnień do portu", ""}));
    ASSERT_EQ(boxes().size(), 1U);
    EXPECT_EQ(boxes()[0].rfind("Port COM2 (/dev/ttyS1): brak uprawnień do portu", 0), 0U);
#ifndef _WIN32
    EXPECT_NE(boxes()[0].find("sudo usermod -aG dialout "), std::string::npos);
#endif
}

TEST_F(MainWindowBehaviour, AReadOfflineAsksToConnectFirst) {
    ports.addSilent(1);
    start();
    forget();
    main().Odczyt1Click();
    EXPECT_EQ(boxes(), Texts({"Brak połączenia z drukarką etykiet|Czy połączyć się z drukarką?"}));
    EXPECT_TRUE(ports.calls.empty());
    EXPECT_EQ(panels(), Texts({"OFFLINE", "", ""}));
    EXPECT_FALSE(faces.exchange.visible);
    EXPECT_FALSE(faces.editor.nameShown);
    EXPECT_EQ(app->state.ExchangeMode, ExchangeKind::None);

    faces.desk.answers = {true};
    main().Zapis1Click();
    EXPECT_EQ(boxes().back(), "Nie wykryto drukarki etykiet");
    EXPECT_EQ(panels(), Texts({"OFFLINE", "Nie wykryto drukarki DURAX ORU...", ""}));
    EXPECT_FALSE(faces.exchange.visible);
    EXPECT_FALSE(faces.main.barShown);
    EXPECT_EQ(app->state.ExchangeMode, ExchangeKind::None);

    ports.plugIn(1);
    faces.desk.answers = {true};
    main().Odczyt1Click();
    EXPECT_EQ(faces.main.panels[0], "ONLINE");
    EXPECT_TRUE(faces.exchange.visible);
    EXPECT_EQ(faces.exchange.caption, "Odczyt danych z drukarki etykiet");
    EXPECT_FALSE(faces.main.enabled);
    EXPECT_EQ(app->state.ExchangeMode, ExchangeKind::Read);
    EXPECT_TRUE(faces.editor.nameShown);
}

TEST_F(MainWindowBehaviour, EachExchangeCommandPreparesTheDialogForItsMode) {
    startOnline();
    auto& dialog = faces.exchange;
    const auto visible = [&dialog] {
        std::vector<bool> shown;
        for (W c : {W::cbStopki, W::cbWiazania, W::Edit1, W::sbZmienStopka, W::Edit2,
                    W::sbZmienWiazania, W::Label1, W::seMaxPLU}) {
            shown.push_back(dialog.shownControls.at(c));
        }
        return shown;
    };
    main().Kasowanie1Click();
    EXPECT_EQ(dialog.caption, "Kasowanie danych z drukarki etykiet");
    EXPECT_EQ(dialog.start, "Kasowanie");
    EXPECT_EQ(visible(), std::vector<bool>({true, true, false, false, false, false, false, false}));
    EXPECT_TRUE(faces.main.operationShown);
    EXPECT_TRUE(faces.main.enabled);
    EXPECT_EQ(app->state.ExchangeMode, ExchangeKind::Erase);
    dialog.dialog->bAnulujClick();

    main().Zapis1Click();
    EXPECT_EQ(dialog.caption, "Zapis danych do drukarki etykiet");
    EXPECT_EQ(dialog.start, "Zapis");
    EXPECT_EQ(visible(), std::vector<bool>({true, true, true, true, true, true, false, false}));
    EXPECT_TRUE(faces.main.barShown);
    EXPECT_TRUE(faces.main.enabled);
    dialog.dialog->bAnulujClick();

    main().Odczyt1Click();
    EXPECT_EQ(dialog.start, "Odczyt");
    EXPECT_EQ(visible(), std::vector<bool>(8, true));
    EXPECT_TRUE(dialog.enabledControls.at(W::cbStopki) && dialog.enabledControls.at(W::cbWiazania));
    EXPECT_FALSE(faces.main.enabled);
    EXPECT_EQ(app->state.ExchangeMode, ExchangeKind::Read);
    EXPECT_TRUE(boxes().empty());      // online: no question,
    EXPECT_TRUE(ports.calls.empty());  // and no new connection
    // Shown over the main window each time.
    EXPECT_EQ(std::ranges::count(faces.desk.log, "fWymiana centred"), 3);

    dialog.dialog->bAnulujClick();
    EXPECT_TRUE(faces.main.enabled);
    EXPECT_FALSE(dialog.visible);
    // The close box enables the main window and hides the operation label.
    main().Kasowanie1Click();
    main().Odczyt1Click();
    dialog.dialog->FormClose();
    EXPECT_TRUE(faces.main.enabled);
    EXPECT_FALSE(faces.main.operationShown);
}

TEST_F(MainWindowBehaviour, TheMarksFollowTheStateAndOfflineClosesThePort) {
    startOnline();
    main().Tryboffline1Click();
    EXPECT_EQ(ports.calls, Texts({"UnInit"}));
    EXPECT_EQ(app->state.OfflineMode, 1);
    EXPECT_EQ(panels(), Texts({"OFFLINE", "", ""}));
    EXPECT_TRUE(offlineMark());
    EXPECT_FALSE(onlineMark());
    EXPECT_TRUE(exchangeEntriesAre(false));
    EXPECT_TRUE(faces.main.isEnabled(E::Definiowaniestopek1));
    EXPECT_FALSE(faces.editor.nameShown);
    EXPECT_EQ(app->state.PortNumber, 1);
    EXPECT_EQ(app->state.BaudRate, 9600);

    main().Trybonline1Click();  // only shows the dialog: the marks follow the state
    EXPECT_TRUE(faces.connection.visible);
    EXPECT_TRUE(offlineMark());
    EXPECT_FALSE(onlineMark());
    faces.connection.dialog->bCofnijClick();
    EXPECT_FALSE(faces.connection.visible);
    EXPECT_TRUE(offlineMark());

    // While the editor is open, minimized or not, the main window takes no input.
    app->fStopka->open();
    EXPECT_FALSE(faces.main.enabled);
    app->fStopka->bWyjdzClick();
    EXPECT_TRUE(faces.main.enabled);

    main().Oprogramie1Click();
    main().Oprogramie1Click();
    EXPECT_TRUE(faces.about.visible);
    EXPECT_EQ(std::ranges::count(faces.desk.log, "AboutBox centred"), 2);
    app->AboutBox->OKButtonClick();
    EXPECT_FALSE(faces.about.visible);

    ASSERT_TRUE(detect());
    forget();
    main().Koniecprogramu1Click();
    EXPECT_EQ(ports.calls, Texts({"UnInit"}));
    EXPECT_EQ(app->state.OfflineMode, 1);
    EXPECT_EQ(faces.desk.only({"fGlowna quit"}).size(), 1U);
    ASSERT_TRUE(detect());
    forget();
    faces.main.close();  // by the frame
    EXPECT_EQ(ports.calls, Texts({"UnInit"}));
    EXPECT_FALSE(faces.main.visible);
    EXPECT_EQ(faces.desk.only({"fGlowna quit"}).size(), 1U);
    // The system asking to end its session: nothing ends until it really does.
    ASSERT_TRUE(detect());
    forget();
    EXPECT_TRUE(main().SessionEndQuery());
    EXPECT_TRUE(ports.calls.empty());
    EXPECT_EQ(app->state.OfflineMode, 0);
    EXPECT_TRUE(faces.desk.only({"fGlowna quit"}).empty());
}

TEST_F(MainWindowBehaviour, ConnectingByHandUsesTheChosenEntryAndChannel) {
    ports.addSilent(2);
    oru::PrinterMemory fifth = printerAt(19200, 4, {'0', '5'});
    ports.plugIn(5, fifth);
    start();
    TfKomunikacja& dialog = *app->fKomunikacja;
    main().Trybonline1Click();
    forget();
    dialog.bPolaczClick();  // nothing chosen: the first entry
    EXPECT_EQ(faces.desk.only({"port"}), Texts({"port Init 2 9600", "port Init 2 19200"}));
    EXPECT_EQ(panels(), Texts({"OFFLINE", "Nie wykryto drukarki DURAX ORU na COM2", ""}));
    EXPECT_TRUE(faces.connection.visible);  // shown again
    EXPECT_FALSE(faces.main.isEnabled(E::Definiowaniestopek1));
    EXPECT_FALSE(faces.main.busy);

    // Cofnij forgets the choice and changes nothing else.
    dialog.cbPortSelect(1);
    forget();
    dialog.bCofnijClick();
    EXPECT_EQ(faces.connection.shownPort, 0);
    EXPECT_FALSE(faces.connection.visible);
    EXPECT_TRUE(ports.calls.empty());
    dialog.bPolaczClick();
    EXPECT_EQ(faces.desk.only({"port"}).front(), "port Init 2 9600");

    dialog.cbPortSelect(1);
    faces.connection.channel = "4";
    forget();
    dialog.bPolaczClick();
    EXPECT_EQ(panels(), Texts({"ONLINE", "DURAX ORU nr: 05", "COM5,19200"}));
    EXPECT_EQ(std::ranges::count(ports.calls, "SetDTR"), 2);  // channel 4, at both speeds
    EXPECT_FALSE(faces.connection.visible);
    EXPECT_TRUE(onlineMark());
    EXPECT_TRUE(exchangeEntriesAre(true));
    EXPECT_TRUE(faces.main.isEnabled(E::Definiowaniestopek1));
    EXPECT_FALSE(faces.main.busy);

    // An old printer is refused by hand too, and the dialog stays hidden.
    ports.plugIn(5, printerAt(9600, 2, {'0', '5'}));
    dialog.bPolaczClick();
    EXPECT_EQ(panels(),
              Texts({"OFFLINE", "Wersja programu w drukarce etykiet mniejsza niż 4", ""}));
    EXPECT_FALSE(faces.connection.visible);
    EXPECT_FALSE(faces.main.isEnabled(E::Definiowaniestopek1));
    // Automatic detection, successful or not, enables the editor entry again.
    EXPECT_FALSE(detect());
    EXPECT_TRUE(faces.main.isEnabled(E::Definiowaniestopek1));

    // A port held by another program is named as busy, with no box.
    ports.refuse(2, serial::kPortBusy, {"COM2", ""});
    forget();
    dialog.cbPortSelect(0);
    dialog.bPolaczClick();
    EXPECT_EQ(panels(), Texts({"OFFLINE", "Port COM2 zajęty przez inny program", ""}));
    EXPECT_TRUE(boxes().empty());

    // Text that is no number counts as channel 1; a number outside 1..4 as the nearer end.
    for (const auto& [text, channel] : {std::pair{"0", 1},
                                        {"7", 4},
                                        {"x", 1},
                                        {"", 1},
                                        {" 3 ", 3},
                                        {"+2", 2},
                                        {"-1", 1},
                                        {"2x", 1}}) {
        EXPECT_EQ(ChannelFromText(text), channel) << text;
    }
}

TEST_F(MainWindowBehaviour, WithoutPortsTheDialogTriesPortOne) {
    start();
    EXPECT_TRUE(faces.connection.ports.empty());
    EXPECT_EQ(faces.connection.shownPort, -1);
    forget();
    app->fKomunikacja->bPolaczClick();
    EXPECT_EQ(faces.desk.only({"port"}), Texts({"port Init 1 9600"}));
    EXPECT_EQ(faces.main.panels[1].rfind("Port COM1: ", 0), 0U);
    EXPECT_EQ(app->state.OfflineMode, 1);
    EXPECT_FALSE(detect());
    EXPECT_EQ(faces.main.panels[1], "Nie wykryto drukarki DURAX ORU...");
}

TEST_F(MainWindowBehaviour, ReadingEverythingAndWritingItToAnotherPrinter) {
    const oru::PrinterMemory shop = ShopPrinter();
    startOnline(shop);
    ASSERT_TRUE(run(&TfGlowna::Odczyt1Click));
    EXPECT_EQ(boxes(), Texts({"Odczyt stopek: OK", "Odczyt wiązań: OK"}));
    EXPECT_TRUE(cleanedUp());
    EXPECT_EQ(slurp(app->files.FooterFileName).size(), 37395U);
    EXPECT_EQ(slurp(app->files.BindingFileName).size(), 9U + 9983U * 11U);

    const oru::PrinterMemory& fresh = ports.plugIn(1);
    ASSERT_TRUE(detect());
    forget();
    bool during = false;
    faces.main.onEvents = [&] {
        const RecordingMain& m = faces.main;
        during = m.abortShown && m.busy && !m.menuEnabled && m.enabled &&
                 !faces.connection.enabled && !faces.editor.enabled;
        // Nothing but Przerwij acts while a transfer runs.
        main().Tryboffline1Click();
        main().Wykryjautomatycznie1Click();
    };
    ASSERT_TRUE(run(&TfGlowna::Zapis1Click));
    EXPECT_TRUE(during);
    EXPECT_EQ(app->state.OfflineMode, 0);
    EXPECT_EQ(boxes(), Texts({"Zapis stopek: OK, zapisano 201", "Zapis wiązań: OK"}));
    EXPECT_TRUE(cleanedUp());
    EXPECT_TRUE(fresh.footers == shop.footers);
    EXPECT_TRUE(fresh.bindings == shop.bindings);
}

TEST_F(MainWindowBehaviour, PrzerwijStopsTheFootersAndTheBindingsStillRun) {
    const oru::PrinterMemory shop = ShopPrinter();
    startOnline(shop);
    ASSERT_TRUE(run(&TfGlowna::Odczyt1Click));
    const oru::PrinterMemory& fresh = ports.plugIn(1);
    ASSERT_TRUE(detect());
    main().cancelKey();  // Escape does nothing while Przerwij is hidden
    EXPECT_EQ(app->state.AbortRequested, 0);
    // The editor open beside the dialog keeps the main window disabled, but not
    // while a transfer runs: Przerwij must act.
    app->fStopka->open();
    forget();
    bool enabledDuring = false;
    faces.main.onEvents = once([&] {
        enabledDuring = faces.main.enabled;
        main().bbPrzerwijClick();
    });
    ASSERT_TRUE(run(&TfGlowna::Zapis1Click));
    EXPECT_TRUE(enabledDuring);
    EXPECT_FALSE(faces.main.enabled);
    app->fStopka->bWyjdzClick();
    EXPECT_TRUE(faces.main.enabled);
    EXPECT_EQ(boxes(), Texts({"Zapis stopek przerwany przez użytkownika", "Zapis wiązań: OK"}));
    EXPECT_EQ(app->state.AbortRequested, 0);
    // The footer sent before the stop is there, the rest as they were.
    EXPECT_TRUE(fresh.footers[0] == shop.footers[0]);
    EXPECT_TRUE(fresh.footers[3] == oru::PrinterMemory::factory().footers[3]);
    EXPECT_FALSE(fresh.footers[3] == shop.footers[3]);
    EXPECT_TRUE(fresh.bindings == shop.bindings);

    // A read stopped: where what came is stays on the operation label.
    faces.exchange.plu = 10;
    faces.main.onEvents = once([this] { main().cancelKey(); });
    forget();
    ASSERT_TRUE(run(&TfGlowna::Odczyt1Click));
    const std::string partial = app->files.FooterFileName + ".partial";
    EXPECT_EQ(boxes(),
              Texts({"Odczyt stopek przerwany przez użytkownika\nOdczytane dane są w pliku " +
                         partial + ", dotychczasowy plik jest bez zmian",
                     "Odczyt wiązań: OK"}));
    EXPECT_EQ(slurp(partial).size(), 9U + 186U);  // footer 0 only
    EXPECT_EQ(slurp(app->files.BindingFileName).size(), 9U + 10U * 11U);
    EXPECT_TRUE(faces.main.operationShown);
    EXPECT_NE(faces.main.operation.find(partial), std::string::npos);
    faces.main.onEvents = nullptr;
    EXPECT_TRUE(detect());  // the next operation takes the note away
    EXPECT_FALSE(faces.main.operationShown);
}

TEST_F(MainWindowBehaviour, ErasingLetsGoWhatWasKnownAndClosingStopsATransfer) {
#ifdef _WIN32
    const auto known = tmp / "Kalvero" / "known";
#else
    const auto known = tmp / "kalvero" / "known";
#endif
    std::filesystem::create_directories(known / "COM1-07");
    oru::PrinterMemory& memory = startOnline(ShopPrinter());
    EXPECT_TRUE(std::filesystem::exists(known));
    ASSERT_TRUE(run(&TfGlowna::Kasowanie1Click));
    EXPECT_EQ(boxes(), Texts({"Kasowanie stopek: OK", "Kasowanie wiązań: OK"}));
    EXPECT_TRUE(cleanedUp());
    EXPECT_TRUE(memory.footers == oru::PrinterMemory{}.footers);
    EXPECT_TRUE(memory.bindings == oru::PrinterMemory{}.bindings);
    EXPECT_FALSE(std::filesystem::exists(known));

    // Neither box ticked: nothing runs.
    faces.exchange.unticked = {W::cbStopki, W::cbWiazania};
    const long before = ports.exchanges(1);
    forget();
    ASSERT_TRUE(run(&TfGlowna::Kasowanie1Click));
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(ports.exchanges(1), before);
    faces.exchange.unticked.clear();

    // Closed by its frame during the footers, or the system's session ending (which
    // waits): the transfer stops, the bindings never start, and the window closes
    // once the transfer has ended.
    const std::vector<std::function<void()>> closings{
        [this] { faces.main.close(); },
        [this] { EXPECT_FALSE(main().SessionEndQuery()); },
    };
    for (const auto& closing : closings) {
        memory = ShopPrinter();
        faces.main.show();
        ASSERT_TRUE(detect());
        forget();
        faces.main.onEvents = [&] {
            if (faces.main.visible) {
                closing();
                EXPECT_TRUE(faces.main.visible);
            }
        };
        ASSERT_TRUE(run(&TfGlowna::Kasowanie1Click));
        EXPECT_TRUE(boxes().empty());
        EXPECT_FALSE(faces.main.visible);
        EXPECT_TRUE(memory.footers[198] == ShopPrinter().footers[198]);
        EXPECT_EQ(faces.desk.only({"fGlowna quit"}).size(), 1U);
        EXPECT_NE(memory.bindings[9983], 0);
    }
}

TEST_F(MainWindowBehaviour, TransferFailuresAreToldAndTheProgramStaysUsable) {
    startOnline(ShopPrinter());
    faces.exchange.unticked = {W::cbWiazania};
    ASSERT_TRUE(run(&TfGlowna::Zapis1Click));
    EXPECT_EQ(boxes(), Texts({"Podany plik nie istnieje"}));
    EXPECT_TRUE(cleanedUp());
    faces.exchange.unticked.clear();

    // A file that cannot be created is named; the bindings still run.
    app->files.FooterFileName = (tmp / "no/such/dir/stopki.txt").string();
    faces.exchange.plu = 1;
    forget();
    ASSERT_TRUE(run(&TfGlowna::Odczyt1Click));
    ASSERT_EQ(boxes().size(), 2U);
    EXPECT_EQ(boxes()[0].rfind("Nie można zapisać pliku " + app->files.FooterFileName, 0), 0U);
    EXPECT_EQ(boxes()[1], "Odczyt wiązań: OK");
    EXPECT_TRUE(cleanedUp());
}

TEST_F(MainWindowBehaviour, APrinterWhoseServerHangsUpIsNamedOnceAndTheProgramGoesOffline) {
    startOnline(ShopPrinter(), {.hangUpAfter = 3 + 40});
    ports.hangUpAs(1, {"tcp://127.0.0.1:47011", "serwer 127.0.0.1:47011 zamknął połączenie"});
    ASSERT_TRUE(run(&TfGlowna::Odczyt1Click));
    const std::string partial = app->files.FooterFileName + ".partial";
    EXPECT_EQ(boxes(), Texts({"Urządzenie niepodłączone lub niewłączone (timeout nadawania); "
                              "serwer 127.0.0.1:47011 zamknął połączenie\nOdczytane dane są w "
                              "pliku " +
                              partial + ", dotychczasowy plik jest bez zmian"}));
    EXPECT_EQ(panels(), Texts({"OFFLINE", "", ""}));
    EXPECT_EQ(app->state.OfflineMode, 1);
    EXPECT_TRUE(exchangeEntriesAre(false));
}

TEST_F(MainWindowBehaviour, TheFilePickersChangeTheNamesForTheRestOfTheRun) {
    startOnline(ShopPrinter());
    EXPECT_EQ(faces.exchange.pickerFolder, std::filesystem::current_path().string());
    TfWymiana& dialog = *app->fWymiana;
    const std::string chosen = (tmp / "sklep2-stopki.txt").string();
    put(chosen, "#\r\n#\r\n#\r\n");
    const std::string fresh = (tmp / "nowe-wiazania.txt").string();
    faces.exchange.picks = {chosen, std::nullopt, fresh, chosen};
    dialog.sbZmienStopkaClick();
    EXPECT_EQ(app->files.FooterFileName, chosen);
    EXPECT_EQ(faces.exchange.fileNames[W::Edit1], chosen);
    dialog.sbZmienWiazaniaClick();  // cancelled
    EXPECT_EQ(app->files.BindingFileName, (tmp / "wiazplu.txt").string());
    dialog.sbZmienWiazaniaClick();  // a name not made yet: a read makes it
    EXPECT_EQ(app->files.BindingFileName, fresh);
    EXPECT_EQ(faces.exchange.fileNames[W::Edit2], fresh);
    dialog.sbZmienWiazaniaClick();  // the footer file for the bindings too: refused
    EXPECT_EQ(app->files.BindingFileName, fresh);
    EXPECT_EQ(boxes(), Texts({"Plik stopek i plik wiązań muszą być różnymi plikami: " + chosen}));

    forget();
    ASSERT_TRUE(run(&TfGlowna::Odczyt1Click));
    EXPECT_EQ(boxes(), Texts({"Odczyt stopek: OK", "Odczyt wiązań: OK"}));
    EXPECT_EQ(slurp(chosen).size(), 37395U);
    EXPECT_EQ(slurp(fresh).size(), 9U + 9983U * 11U);
}

TEST_F(MainWindowBehaviour, TheStatusWindowShowsTheHighNibbleOfTheFirstStatusByte) {
    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    memory.status = {0x5A, 0x11, 0x22, 0x33};
    // Identification takes exchanges 1..3, the first status query 4..7.
    startOnline(memory, {.nakCommand = OpStatusC, .faultsFrom = 8});
    main().Standrukarki1Click();
    EXPECT_TRUE(faces.status.visible);
    EXPECT_EQ(faces.status.number, "5");
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(faces.desk.only({"fGlowna busy", "fGlowna idle"}),
              Texts({"fGlowna busy", "fGlowna idle"}));

    main().Standrukarki1Click();  // the third query is refused
    EXPECT_EQ(boxes(), Texts({"Nie można wykonac rozkazu (NAK)"}));
    EXPECT_EQ(faces.status.number, "5");
    EXPECT_FALSE(faces.main.busy);

    memory.status = {0x0F, 0, 0, 0};
    ports.plugIn(1, memory);
    ASSERT_TRUE(detect());
    main().Standrukarki1Click();
    EXPECT_EQ(faces.status.number, "0");

    main().Tryboffline1Click();
    faces.status.number.clear();
    forget();
    main().Standrukarki1Click();
    EXPECT_EQ(boxes(), Texts({"Urządzenie niepodłączone lub niewłączone (timeout nadawania)"}));
    EXPECT_EQ(faces.status.number, "");
}

}  // namespace
}  // namespace kalvero::test
