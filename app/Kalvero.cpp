// SPDX-License-Identifier: MIT
#include "app/Kalvero.h"

#include <filesystem>

#include "app/opr.h"
#include "app/stan.h"
#include "app/uGlowna.h"
#include "app/uKomunikacja.h"
#include "app/uWymiana.h"
#include "data/FilePath.h"
#include "data/SnapshotStore.h"
#include "editor/uStopki.h"
#include "ui/Messages.h"
#include "ui/Recovery.h"

namespace kalvero {

Kalvero::Kalvero(Printer& printer, WindowFactory& faces)
    : state(printer.state),
      files(printer.files),
      services{printer.port(), state, files, printer.records(), printer.commands()} {
    faces.setApplicationTitle(kApplicationTitle);
    // The windows keep no record of what they write to a printer: before they write,
    // what kalvero-cli knew any printer to hold is let go, so that its write
    // --since-read never trusts it.
    printer.commands().beforePrinterChange([known = SnapshotStore::fromEnvironment().knownRoot()] {
        std::error_code ec;
        std::filesystem::remove_all(FilePath(known), ec);
    });
    fGlowna = std::make_unique<TfGlowna>(services, faces.fGlowna());
    fKomunikacja = std::make_unique<TfKomunikacja>(services, *fGlowna, faces.fKomunikacja());
    fWymiana =
        std::make_unique<TfWymiana>(services, *fGlowna, fGlowna->progress(), faces.fWymiana());
    fStopka = std::make_unique<TfStopka>(services, *fGlowna, faces.fStopka());
    AboutBox = std::make_unique<TAboutBox>(faces.AboutBox());
    fStan = std::make_unique<TfStan>(faces.fStan());
    fGlowna->setWindows({fKomunikacja.get(),
                         fWymiana.get(),
                         fStopka.get(),
                         AboutBox.get(),
                         fStan.get(),
                         {&fKomunikacja->face(), &fWymiana->face(), &fStopka->face(),
                          &AboutBox->face(), &fStan->face()}});
    fGlowna->face().show();
    RecoverDataFiles(files, fGlowna->face());
}

Kalvero::~Kalvero() = default;

}  // namespace kalvero
