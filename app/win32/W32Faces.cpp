// SPDX-License-Identifier: MIT
#include "app/win32/W32Faces.h"

#include "app/win32/W32AboutBox.h"
#include "app/win32/W32Glowna.h"
#include "app/win32/W32Komunikacja.h"
#include "app/win32/W32Stan.h"
#include "app/win32/W32Wymiana.h"
#include "editor/win32/W32Stopka.h"

namespace kalvero {

W32Faces::W32Faces() = default;

// The windows owned by the main one go before it.
W32Faces::~W32Faces() {
    m_stan.reset();
    m_about.reset();
    m_stopka.reset();
    m_wymiana.reset();
    m_komunikacja.reset();
    m_glowna.reset();
}

void W32Faces::setApplicationTitle(const std::string& title) {
    ApplicationTitle() = wide(title);
}

MainWindowFace& W32Faces::fGlowna() {
    m_glowna = std::make_unique<W32Glowna>();
    return *m_glowna;
}

ConnectionFace& W32Faces::fKomunikacja() {
    m_komunikacja = std::make_unique<W32Komunikacja>(m_glowna->hwnd());
    return *m_komunikacja;
}

ExchangeFace& W32Faces::fWymiana() {
    m_wymiana = std::make_unique<W32Wymiana>(m_glowna->hwnd());
    return *m_wymiana;
}

EditorFace& W32Faces::fStopka() {
    m_stopka = std::make_unique<W32Stopka>(m_glowna->hwnd());
    return *m_stopka;
}

AboutFace& W32Faces::AboutBox() {
    m_about = std::make_unique<W32AboutBox>(m_glowna->hwnd());
    return *m_about;
}

StatusFace& W32Faces::fStan() {
    m_stan = std::make_unique<W32Stan>(m_glowna->hwnd());
    return *m_stan;
}

}  // namespace kalvero
