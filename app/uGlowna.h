// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "app/MainProgress.h"
#include "link/OperatingState.h"
#include "ui/WindowFace.h"
#include "ui/WindowLinks.h"

namespace kalvero {

class PrinterCommands;
class TfGlowna;
struct Services;
class WinSer;

// The menu entries whose marks, enabled state or visibility change.
enum class MenuEntry {
    Trybonline1,
    Tryboffline1,
    Odczyt1,
    Zapis1,
    Kasowanie1,
    Definiowaniestopek1,
    Standrukarki1
};

// What the main window shows: the status bar sbOru with its three panels, the
// menu's marks and entries, and the progress elements.
class MainWindowFace : public WindowFace, public ProgressFace {
public:
    // The face hands its events to the window.
    virtual void attach(TfGlowna& window) = 0;
    virtual void setPanel(int panel, const std::string& text) = 0;
    // Draws the status bar now, before an exchange blocks the window.
    virtual void repaintPanels() = 0;
    virtual void checkEntry(MenuEntry entry, bool checked) = 0;
    virtual void enableEntry(MenuEntry entry, bool enabled) = 0;
    virtual void showEntry(MenuEntry entry, bool visible) = 0;
    // The menu bar as a whole.
    virtual void enableMenu(bool enabled) = 0;
    // Closes the window as its frame does, which asks FormCloseQuery.
    virtual void close() = 0;
    // Asks the application to end once the event loop regains control.
    virtual void quit() = 0;
};

// The main window: the menu every operation starts from, the connection state
// in the status bar, and the progress elements the bulk transfers drive.
class TfGlowna final : public EditorHost, public ConnectionHost, public TransferHost {
public:
    // The windows the menu opens, created after this one and handed over by startup.
    struct Windows {
        ConnectionDialog* fKomunikacja = nullptr;
        ExchangeDialog* fWymiana = nullptr;
        EditorWindow* fStopka = nullptr;
        AboutWindow* AboutBox = nullptr;
        StatusWindow* fStan = nullptr;
        std::vector<WindowFace*> all;  // every other window: they wait while a transfer runs
    };

    // Scans the serial ports, as creating the main window does.
    TfGlowna(Services& services, MainWindowFace& face);

    void setWindows(const Windows& windows) { m_windows = windows; }
    MainProgress& progress() { return m_progress; }
    MainWindowFace& face() { return m_face; }

    // EditorHost
    void setEditorOpen(bool open) override;
    // ConnectionHost
    bool busy() const override { return m_busy; }
    void showConnecting(std::uint8_t port) override;
    void showConnectionByHand(const Connection& connection) override;
    // TransferHost
    void enableInput() override;
    void beginTransfer() override;
    void endTransfer() override;
    bool closeRequested() const override { return m_closeRequested; }
    void printerLost() override;
    Messages& overMainWindow() override { return m_face; }

    void Wykryjautomatycznie1Click();
    void Trybonline1Click();
    void Tryboffline1Click();
    void Koniecprogramu1Click();
    void Odczyt1Click();
    void Zapis1Click();
    void Kasowanie1Click();
    void Definiowaniestopek1Click();
    void Standrukarki1Click();
    void Oprogramie1Click();
    void bbPrzerwijClick();
    // Escape: the window's cancel button is "Przerwij", while it is shown.
    void cancelKey();
    // Closing by the frame ends the program, true; a running transfer is asked to
    // stop first, and the window closes when it has.
    bool FormCloseQuery();
    // The system asks whether its session may end: at once, true, when no transfer
    // runs (the files are whole at every moment); else the transfer is asked to stop,
    // as by the frame, and the program ends when it has. Ending itself is
    // FormCloseQuery's, once the session really ends.
    bool SessionEndQuery();

private:
    void showOnlineMarks(bool online);
    void setExchangeEntriesEnabled(bool enabled);
    void setBusy(bool busy);
    void clearPanels();
    // The status bar, marks and entries for what a connection came to.
    void showConnection(const Connection& connection, const std::string& notFound);
    bool ensureConnected();
    void openExchange(ExchangeKind kind);
    void setItemNameVisible(bool visible);
    int channel() const;

    WinSer& m_serial;
    OperatingState& m_state;
    PrinterCommands& m_commands;
    MainWindowFace& m_face;
    MainProgress m_progress;
    Windows m_windows;
    bool m_busy = false;
    bool m_closeRequested = false;
    bool m_editorOpen = false;
};

}  // namespace kalvero
