// SPDX-License-Identifier: MIT
#include "app/Kalvero.h"

#include <QApplication>

#include "app/opr.h"
#include "app/stan.h"
#include "app/uGlowna.h"
#include "app/uKomunikacja.h"
#include "editor/uStopki.h"
#include "app/uWymiana.h"

namespace kalvero {

Kalvero::Kalvero(WinSer& serial, Messages& messages)
    : m_question(messages),
      m_records(files, state.OfflineMode, m_question),
      m_commands(serial, m_records),
      services{serial, state, files, messages, m_records, m_commands} {
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
}

Kalvero::~Kalvero() = default;

}  // namespace kalvero
