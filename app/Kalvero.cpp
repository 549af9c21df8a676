#include "Kalvero.h"

#include <QApplication>

#include "opr.h"
#include "stan.h"
#include "uGlowna.h"
#include "uKomunikacja.h"
#include "uStopki.h"
#include "uWymiana.h"

namespace kalvero {

Kalvero::Kalvero(WinSer& serial, Messages& messages) {
    QApplication::setApplicationName(QStringLiteral("Kalvero"));
    fGlowna = std::make_unique<TfGlowna>(serial, state, messages);
    fKomunikacja = std::make_unique<TfKomunikacja>(serial, state, *fGlowna);
    fWymiana = std::make_unique<TfWymiana>(state, files, *fGlowna);
    fStopka = std::make_unique<TfStopka>();
    AboutBox = std::make_unique<TAboutBox>();
    fStan = std::make_unique<TfStan>();
    fGlowna->setWindows(
        {fKomunikacja.get(), fWymiana.get(), fStopka.get(), AboutBox.get(), fStan.get()});
    fGlowna->show();
}

Kalvero::~Kalvero() = default;

}  // namespace kalvero
