// SPDX-License-Identifier: MIT
#include "app/qt/QtGlowna.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "app/qt/ElidedLabel.h"
#include "app/qt/StatusPanels.h"

namespace kalvero {

namespace {

struct Entry {
    const char* menu;  // the submenu's name, or null for an entry of the menu bar
    const char* name;
    const char* caption;
    void (TfGlowna::*handler)();
};

// The menu in display order; an ampersand marks the mnemonic.
const Entry kEntries[] = {
    {"Komunikacja1", "Wykryjautomatycznie1", "Tryb &online - automatycznie",
     &TfGlowna::Wykryjautomatycznie1Click},
    {"Komunikacja1", "Trybonline1", "Tryb o&nline - ustaw port", &TfGlowna::Trybonline1Click},
    {"Komunikacja1", "Tryboffline1", "Tryb o&ffline", &TfGlowna::Tryboffline1Click},
    {"Komunikacja1", "Koniecprogramu1", "&Koniec programu", &TfGlowna::Koniecprogramu1Click},
    {"Wymianadanych1", "Odczyt1", "Odczyt ", &TfGlowna::Odczyt1Click},
    {"Wymianadanych1", "Zapis1", "Zapis", &TfGlowna::Zapis1Click},
    {"Wymianadanych1", "Kasowanie1", "Kasowanie", &TfGlowna::Kasowanie1Click},
    {"Definiowanie1", "Definiowaniestopek1", "Definiowanie stopek",
     &TfGlowna::Definiowaniestopek1Click},
    {nullptr, "Standrukarki1", "Stan drukarki", &TfGlowna::Standrukarki1Click},
    {"Pomoc1", "Oprogramie1", "O programie", &TfGlowna::Oprogramie1Click},
};

const struct {
    const char* name;
    const char* caption;
} kMenus[] = {{"Komunikacja1", "Komunikacja"},
              {"Wymianadanych1", "Wymiana danych"},
              {"Definiowanie1", "Definiowanie"},
              {"Pomoc1", "Pomoc"}};

const std::map<MenuEntry, const char*> kEntryNames = {
    {MenuEntry::Trybonline1, "Trybonline1"},
    {MenuEntry::Tryboffline1, "Tryboffline1"},
    {MenuEntry::Odczyt1, "Odczyt1"},
    {MenuEntry::Zapis1, "Zapis1"},
    {MenuEntry::Kasowanie1, "Kasowanie1"},
    {MenuEntry::Definiowaniestopek1, "Definiowaniestopek1"},
    {MenuEntry::Standrukarki1, "Standrukarki1"},
};

}  // namespace

QtGlowna::QtGlowna(MessageBoxes& boxes)
    : QtWindowFace(*new Frame<QMainWindow>, boxes),
      m_window(static_cast<Frame<QMainWindow>&>(widget())) {
    m_window.setObjectName(QStringLiteral("fGlowna"));
    m_window.setWindowTitle(QStringLiteral("Kalvero wersja beta"));
    m_window.resize(544, 373);
    buildProgress();
    sbOru = new StatusPanels(&m_window);
    m_window.setStatusBar(sbOru);
}

void QtGlowna::attach(TfGlowna& window) {
    QMenuBar* bar = m_window.menuBar();
    bar->setObjectName(QStringLiteral("menu"));
    std::map<std::string, QMenu*> menus;
    for (const auto& menu : kMenus) {
        menus[menu.name] = bar->addMenu(QString::fromUtf8(menu.caption));
        menus[menu.name]->setObjectName(QString::fromLatin1(menu.name));
    }
    // The status entry sits on the menu bar itself, between "Definiowanie" and "Pomoc".
    QAction* const pomoc = menus["Pomoc1"]->menuAction();
    for (const Entry& entry : kEntries) {
        QAction* action = nullptr;
        if (entry.menu != nullptr) {
            action = menus[entry.menu]->addAction(QString::fromUtf8(entry.caption));
        } else {
            action = new QAction(QString::fromUtf8(entry.caption), bar);
            bar->insertAction(pomoc, action);
        }
        action->setObjectName(QString::fromLatin1(entry.name));
        QObject::connect(action, &QAction::triggered, &m_window,
                         [&window, handler = entry.handler] { (window.*handler)(); });
        for (const auto& [id, name] : kEntryNames) {
            if (std::string_view(name) == entry.name) {
                m_entries[id] = action;
            }
        }
    }
    m_entries[MenuEntry::Trybonline1]->setCheckable(true);
    m_entries[MenuEntry::Tryboffline1]->setCheckable(true);
    QObject::connect(bbPrzerwij, &QPushButton::clicked, &m_window,
                     [&window] { window.bbPrzerwijClick(); });
    QObject::connect(new QShortcut(QKeySequence(Qt::Key_Escape), &m_window), &QShortcut::activated,
                     &m_window, [&window] { window.cancelKey(); });
    m_window.closing = [&window] { return window.FormCloseQuery(); };
}

// Puts the button, then the label above the bar, at the bottom right of the window.
void QtGlowna::buildProgress() {
    auto* central = new QWidget(&m_window);
    m_window.setCentralWidget(central);
    lOperacja = new ElidedLabel(central);
    lOperacja->setObjectName(QStringLiteral("lOperacja"));
    pb = new QProgressBar(central);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setRange(0, 100);
    pb->setTextVisible(false);
    pb->setFixedWidth(250);
    bbPrzerwij = new QPushButton(QStringLiteral("Przerwij"), central);
    bbPrzerwij->setObjectName(QStringLiteral("bbPrzerwij"));
    bbPrzerwij->setFocusPolicy(Qt::NoFocus);
    auto* column = new QVBoxLayout(central);
    column->addStretch();
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(bbPrzerwij, 0, Qt::AlignBottom);
    auto* progress = new QVBoxLayout;
    progress->addWidget(lOperacja);
    progress->addWidget(pb);
    row->addLayout(progress);
    column->addLayout(row);
}

QString QtGlowna::panelText(int panel) const {
    return sbOru->panelText(panel);
}

void QtGlowna::setPanel(int panel, const std::string& text) {
    sbOru->setPanel(panel, toQt(text));
}

void QtGlowna::repaintPanels() {
    sbOru->repaint();
}

void QtGlowna::checkEntry(MenuEntry entry, bool checked) {
    m_entries.at(entry)->setChecked(checked);
}

void QtGlowna::enableEntry(MenuEntry entry, bool enabled) {
    m_entries.at(entry)->setEnabled(enabled);
}

void QtGlowna::showEntry(MenuEntry entry, bool visible) {
    m_entries.at(entry)->setVisible(visible);
}

void QtGlowna::enableMenu(bool enabled) {
    m_window.menuBar()->setEnabled(enabled);
}

void QtGlowna::quit() {
    QApplication::quit();
}

void QtGlowna::showAbortButton(bool visible) {
    bbPrzerwij->setVisible(visible);
}

void QtGlowna::showOperation(bool visible) {
    lOperacja->setVisible(visible);
}

void QtGlowna::setOperation(const std::string& text) {
    lOperacja->setText(toQt(text));
}

void QtGlowna::showBar(bool visible) {
    pb->setVisible(visible);
}

void QtGlowna::setBar(int minimum, int maximum, int value) {
    pb->setRange(minimum, maximum);
    pb->setValue(value);
}

void QtGlowna::repaintProgress() {
    lOperacja->repaint();
    pb->repaint();
}

void QtGlowna::bringToFront() {
    if (!m_window.isActiveWindow()) {
        m_window.raise();
    }
}

void QtGlowna::processEvents() {
    QApplication::processEvents();
}

}  // namespace kalvero
