// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "link/Connecting.h"
#include "link/OperatingState.h"

namespace kalvero {

class Messages;

// The small doors through which the windows reach each other. Startup wires them;
// no window includes another window's header or touches another window's widgets.

// What the footer editor asks of the main window.
class EditorHost {
public:
    virtual ~EditorHost() = default;
    // While the editor is open the main window takes no input.
    virtual void setEditorOpen(bool open) = 0;
};

// What the main window asks of the footer editor.
class EditorWindow {
public:
    virtual ~EditorWindow() = default;
    // Shows the editor and loads what every opening loads.
    virtual void open() = 0;
    virtual void setItemNameVisible(bool visible) = 0;
};

// What the communication dialog asks of the main window.
class ConnectionHost {
public:
    virtual ~ConnectionHost() = default;
    // An operation is running: nothing else starts.
    virtual bool busy() const = 0;
    // The hourglass and "Wykrywanie... COMn" while the port is tried.
    virtual void showConnecting(std::uint8_t port) = 0;
    // The operating state, the status bar, the marks and the entries after a
    // connection by hand; the hourglass ends.
    virtual void showConnectionByHand(const Connection& connection) = 0;
};

// What the main window asks of the communication dialog.
class ConnectionDialog {
public:
    virtual ~ConnectionDialog() = default;
    // The channel every identification uses, the automatic one's included.
    virtual int channel() const = 0;
    virtual void open() = 0;
    virtual void dismiss() = 0;
};

// What the data exchange dialog asks of the main window around a bulk transfer.
class TransferHost {
public:
    virtual ~TransferHost() = default;
    // Enables the main window, unless the footer editor is open.
    virtual void enableInput() = 0;
    // While a transfer runs only "Przerwij" (and Escape) acts.
    virtual void beginTransfer() = 0;
    // Hides the progress and lets everything act again; a main window closed
    // during the transfer closes now.
    virtual void endTransfer() = 0;
    // The main window was closed during the transfer: nothing more starts.
    virtual bool closeRequested() const = 0;
    // Where a transfer's outcome is told: over the main window.
    virtual Messages& overMainWindow() = 0;
    // Nothing can reach the printer any more (its server on the network hung up):
    // the program goes offline.
    virtual void printerLost() = 0;
};

// What the main window asks of the data exchange dialog.
class ExchangeDialog {
public:
    virtual ~ExchangeDialog() = default;
    // Shows the dialog prepared for one exchange command.
    virtual void open(ExchangeKind kind) = 0;
};

// What the main window asks of the About box.
class AboutWindow {
public:
    virtual ~AboutWindow() = default;
    virtual void open() = 0;
};

// What the main window asks of the printer status window.
class StatusWindow {
public:
    virtual ~StatusWindow() = default;
    virtual void open() = 0;
    virtual void showPrinterNumber(int number) = 0;
};

}  // namespace kalvero
