// SPDX-License-Identifier: MIT
#include "app/qt/QtFaces.h"

#include <QApplication>

#include "app/qt/QtAboutBox.h"
#include "app/qt/QtGlowna.h"
#include "app/qt/QtKomunikacja.h"
#include "app/qt/QtStan.h"
#include "app/qt/QtWymiana.h"
#include "editor/qt/QtStopka.h"

namespace kalvero {

QtFaces::QtFaces(MessageBoxes& boxes) : m_boxes(boxes) {}

// The other windows go before the main one they are placed over.
QtFaces::~QtFaces() {
    m_stan.reset();
    m_about.reset();
    m_stopka.reset();
    m_wymiana.reset();
    m_komunikacja.reset();
    m_glowna.reset();
}

void QtFaces::setApplicationTitle(const std::string& title) {
    QApplication::setApplicationName(QString::fromStdString(title));
}

MainWindowFace& QtFaces::fGlowna() {
    m_glowna = std::make_unique<QtGlowna>(m_boxes);
    return *m_glowna;
}

ConnectionFace& QtFaces::fKomunikacja() {
    m_komunikacja = std::make_unique<QtKomunikacja>(m_boxes);
    return *m_komunikacja;
}

ExchangeFace& QtFaces::fWymiana() {
    m_wymiana = std::make_unique<QtWymiana>(m_boxes, m_glowna->widget());
    return *m_wymiana;
}

EditorFace& QtFaces::fStopka() {
    m_stopka = std::make_unique<QtStopka>(m_boxes, m_glowna->widget());
    return *m_stopka;
}

AboutFace& QtFaces::AboutBox() {
    m_about = std::make_unique<QtAboutBox>(m_boxes);
    return *m_about;
}

StatusFace& QtFaces::fStan() {
    m_stan = std::make_unique<QtStan>(m_boxes);
    return *m_stan;
}

}  // namespace kalvero
