// SPDX-License-Identifier: MIT
#include "app/Kalvero.h"

#include <QApplication>
#include <filesystem>

#include "app/opr.h"
#include "app/stan.h"
#include "app/uGlowna.h"
#include "app/uKomunikacja.h"
#include "app/uWymiana.h"
#include "data/FilePath.h"
#include "data/SnapshotStore.h"
#include "editor/uStopki.h"
#include "ui/Recovery.h"

namespace kalvero {

Kalvero::Kalvero(Printer& printer, Messages& messages)
    : state(printer.state),
      files(printer.files),
      services{printer.port(), state, files, messages, printer.records(), printer.commands()} {
    QApplication::setApplicationName(QStringLiteral("Kalvero"));
    // The windows keep no record of what they write to a printer: before they write,
    // what kalvero-cli knew any printer to hold is let go, so that its write
    // --since-read never trusts it.
    printer.commands().beforePrinterChange(
        [known = SnapshotStore::fromEnvironment().knownRoot()] {
            std::error_code ec;
            std::filesystem::remove_all(FilePath(known), ec);
        });
    fGlowna = std::make_unique<TfGlowna>(services);
    fKomunikacja = std::make_unique<TfKomunikacja>(services, *fGlowna);
    fWymiana = std::make_unique<TfWymiana>(services, *fGlowna, fGlowna->progress());
    fStopka = std::make_unique<TfStopka>(services, *fGlowna);
    AboutBox = std::make_unique<TAboutBox>();
    fStan = std::make_unique<TfStan>();
    fGlowna->setWindows(
        {fKomunikacja.get(),
         fWymiana.get(),
         fStopka.get(),
         AboutBox.get(),
         fStan.get(),
         {fKomunikacja.get(), fWymiana.get(), fStopka.get(), AboutBox.get(), fStan.get()}});
    fGlowna->show();
    RecoverDataFiles(files, messages, fGlowna.get());
}

Kalvero::~Kalvero() = default;

}  // namespace kalvero
