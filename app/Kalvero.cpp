// SPDX-License-Identifier: MIT
#include "app/Kalvero.h"

#include <QApplication>

#include "app/opr.h"
#include "app/stan.h"
#include "app/uGlowna.h"
#include "app/uKomunikacja.h"
#include "app/uWymiana.h"
#include "editor/uStopki.h"
#include "ui/Recovery.h"

namespace kalvero {

Kalvero::Kalvero(Printer& printer, Messages& messages)
    : state(printer.state),
      files(printer.files),
      services{printer.port(), state, files, messages, printer.records(), printer.commands()} {
    QApplication::setApplicationName(QStringLiteral("Kalvero"));
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
