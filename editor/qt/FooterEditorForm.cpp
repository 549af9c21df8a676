// SPDX-License-Identifier: MIT
#include "editor/qt/FooterEditorForm.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "editor/qt/EditorFields.h"
#include "editor/qt/FooterLineRow.h"

namespace kalvero {

namespace {

void bevel(QWidget* window, const QRect& geometry) {
    auto* frame = new QFrame(window);
    frame->setFrameShape(QFrame::Panel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setGeometry(geometry);
    frame->lower();
}

template <typename Widget>
Widget* placed(Widget* widget, const char* name, const QRect& geometry) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* boldLabel(QWidget* window, const char* text, const char* name, const QRect& geometry) {
    auto* label = placed(new QLabel(QString::fromLatin1(text), window), name, geometry);
    QFont bold = window->font();
    bold.setBold(true);
    label->setFont(bold);
    return label;
}

}  // namespace

void FooterEditorForm::setupUi(QWidget* window) {
    window->setObjectName(QStringLiteral("fStopka"));
    window->setWindowTitle(QStringLiteral("Definiowanie stopek"));
    window->setFixedSize(774, 312);
    bevel(window, QRect(240, 8, 521, 49));
    bevel(window, QRect(240, 60, 521, 193));
    setupItemPart(window);
    setupFooterPart(window);
    setupButtons(window);
    sbStopka = placed(new QStatusBar(window), "sbStopka", QRect(0, 292, 774, 20));
    sbStopka->setSizeGripEnabled(false);

    QWidget* previous = sePLU;
    const auto chain = [window, &previous](QWidget* next) {
        window->setTabOrder(previous, next);
        previous = next;
    };
    chain(seNrStopki);
    for (int k = 0; k < 4; ++k) {
        chain(w[k]);
        chain(s[k]);
        chain(rg[k]->item(0));
        chain(rg[k]->item(1));
    }
    chain(bZatwierdz);
    chain(bZatwWiaz);
    chain(bWyjdz);
}

void FooterEditorForm::setupItemPart(QWidget* window) {
    Label3 = boldLabel(window, "Towar", "Label3", QRect(256, 20, 60, 21));
    sePLU = placed(new NumberField(4, window), "sePLU", QRect(328, 19, 49, 22));
    sePLU->setToolTip(
        QStringLiteral("Zmiana towaru spowoduje odczytanie towaru i związanej z nim stopki"));
    udtowar = placed(new UpDown(window), "udtowar", QRect(377, 19, 16, 22));
    eNazwa = placed(new QLineEdit(window), "eNazwa", QRect(408, 20, 300, 21));
    eNazwa->setReadOnly(true);
    eNazwa->setEnabled(false);
    eNazwa->setFocusPolicy(Qt::NoFocus);
}

void FooterEditorForm::setupFooterPart(QWidget* window) {
    Label1 = boldLabel(window, "Stopka", "Label1", QRect(256, 79, 60, 21));
    seNrStopki = placed(new NumberField(3, window), "seNrStopki", QRect(256, 110, 42, 22));
    seNrStopki->setToolTip(QStringLiteral("Zmiana numeru spowoduje odczytanie stopki z ORU"));
    UpDown1 = placed(new UpDown(window), "UpDown1", QRect(298, 110, 16, 22));
    for (int k = 0; k < 4; ++k) {
        rows[k] = new FooterLineRow(k, window);
        w[k] = rows[k]->enabled();
        s[k] = rows[k]->text();
        rg[k] = rows[k]->width();
    }
    changeMark = placed(new QFrame(window), "changeMark", QRect(272, 144, 25, 15));
    changeMark->setStyleSheet(QStringLiteral("background: aqua; border-radius: 7px;"));
}

void FooterEditorForm::setupButtons(QWidget* window) {
    bZatwierdz = placed(new QPushButton(QStringLiteral("Zatwierdź dane stopki"), window),
                        "bZatwierdz", QRect(496, 264, 160, 25));
    bZatwierdz->setToolTip(QStringLiteral("Zapis bieżącej stopki do drukarki etykiet"));
    bZatwierdz->setDefault(true);
    bZatwWiaz = placed(new QPushButton(QStringLiteral("Zatwierdź wiązanie"), window), "bZatwWiaz",
                       QRect(336, 264, 145, 25));
    bZatwWiaz->setToolTip(QStringLiteral("Zapis wiązania towar-stopka do drukarki etykiet"));
    bWyjdz = placed(new QPushButton(QStringLiteral("&Wyjdź"), window), "bWyjdz",
                    QRect(672, 264, 89, 25));
    // Enter on a focused button presses it.
    for (QPushButton* button : {bZatwierdz, bZatwWiaz, bWyjdz}) {
        button->setAutoDefault(true);
    }
}

}  // namespace kalvero
