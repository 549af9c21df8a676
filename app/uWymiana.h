// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/ResultCode.h"
#include "link/orukom.h"
#include "ui/WindowFace.h"
#include "ui/WindowLinks.h"

namespace kalvero {

class MainProgress;
class TfWymiana;
class WinSer;
struct FileNames;
struct OperatingState;
struct Services;

// The exchange dialog's controls that an opening shows, hides or enables.
enum class WymianaControl {
    cbWiazania,
    cbStopki,
    sbZmienStopka,
    sbZmienWiazania,
    Edit1,
    Edit2,
    seMaxPLU,
    Label1
};

// What the data exchange dialog shows and asks. File names are in the file
// system's encoding, as the data files are named.
class ExchangeFace : public WindowFace {
public:
    virtual void attach(TfWymiana& dialog) = 0;
    // The start button bDalej.
    virtual void setStartCaption(const std::string& caption) = 0;
    virtual void showControl(WymianaControl control, bool visible) = 0;
    virtual void enableControl(WymianaControl control, bool enabled) = 0;
    // Whether cbStopki or cbWiazania is ticked.
    virtual bool ticked(WymianaControl box) const = 0;
    // The item limit seMaxPLU, 1..9983.
    virtual int maxPlu() const = 0;
    // Edit1 or Edit2 shows a file name.
    virtual void showFileName(WymianaControl field, const std::string& name) = 0;
    // The open-file dialog odPlik: where it starts, and the full path of the file the
    // user confirmed, or nothing when cancelled.
    virtual void setPickerFolder(const std::string& folder) = 0;
    virtual std::optional<std::string> pickFile() = 0;
    virtual void centreOverMainWindow() = 0;
};

// The data exchange dialog: what a bulk exchange covers and which files it uses.
class TfWymiana final : public ExchangeDialog {
public:
    // The transfers report on progress, the main window's progress elements.
    TfWymiana(Services& services, TransferHost& host, MainProgress& progress, ExchangeFace& face);

    // The caption, the start button and the optional rows for one opening command.
    void open(ExchangeKind kind) override;
    ExchangeFace& face() { return m_face; }

    void bDalejClick();
    void bAnulujClick();
    void sbZmienStopkaClick();
    void sbZmienWiazaniaClick();
    // The close box.
    void FormClose();

private:
    void FormCreate();
    void pickFile(std::string& name, const std::string& other, WymianaControl field);
    // One message box for a transfer's outcome; a stop is reported and the flag cleared.
    void report(ResultCode rc, const std::string& stopped, const std::string& done);
    void runTransfers();

    WinSer& m_serial;
    OperatingState& m_state;
    FileNames& m_files;
    TransferHost& m_host;
    MainProgress& m_progress;
    ExchangeFace& m_face;
    std::vector<std::string> m_partialNotes;  // where reads that did not finish kept what came
    bool m_printerLost = false;               // its server on the network hung up during a transfer
    BulkTransfers m_transfers;
};

// Where what a read that did not finish brought is: one file or two.
std::string KeptApart(const std::vector<std::string>& files);

}  // namespace kalvero
