// SPDX-License-Identifier: MIT
#include "app/stan.h"

#include <QLabel>

namespace kalvero {

TfStan::TfStan() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("fStan"));
    setWindowTitle(QString(24, QLatin1Char(' ')) + QStringLiteral("Stan drukarki etykiet"));
    setFixedSize(441, 276);
    QFont font = this->font();
    font.setPixelSize(13);
    const auto row = [this, &font](int top, const QString& caption, const char* captionName,
                                   const char* valueName, QLabel*& captionLabel,
                                   QLabel*& valueLabel) {
        captionLabel = new QLabel(caption, this);
        captionLabel->setObjectName(QString::fromLatin1(captionName));
        captionLabel->setGeometry(32, top, 220, 20);
        captionLabel->setFont(font);
        // The design text "lWersja" is left out: nothing is known until the printer says it.
        valueLabel = new QLabel(this);
        valueLabel->setObjectName(QString::fromLatin1(valueName));
        valueLabel->setGeometry(280, top, 130, 20);
        valueLabel->setFont(font);
    };
    row(56, QStringLiteral("Wersja programu w drukarce"), "StaticText1", "lWersja", StaticText1,
        lWersja);
    row(112, QStringLiteral("Numer drukarki"), "StaticText2", "Label1", StaticText2, Label1);
    row(168, QStringLiteral("Data i czas z drukarki"), "StaticText3", "Label2", StaticText3,
        Label2);
}

void TfStan::open() {
    show();
    raise();
}

void TfStan::showPrinterNumber(int number) {
    Label1->setText(QString::number(number));
}

}  // namespace kalvero
