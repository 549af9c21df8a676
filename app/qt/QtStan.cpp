// SPDX-License-Identifier: MIT
#include "app/qt/QtStan.h"

#include <QLabel>

namespace kalvero {

QtStan::QtStan(MessageBoxes& boxes) : QtWindowFace(*new QWidget(nullptr, Qt::Window), boxes) {
    QWidget* window = &widget();
    window->setObjectName(QStringLiteral("fStan"));
    window->setWindowTitle(QString(24, QLatin1Char(' ')) + QStringLiteral("Stan drukarki etykiet"));
    window->setFixedSize(441, 276);
    QFont font = window->font();
    font.setPixelSize(13);
    const auto row = [window, &font](int top, const QString& caption, const char* captionName,
                                     const char* valueName, QLabel*& captionLabel,
                                     QLabel*& valueLabel) {
        captionLabel = new QLabel(caption, window);
        captionLabel->setObjectName(QString::fromLatin1(captionName));
        captionLabel->setGeometry(32, top, 220, 20);
        captionLabel->setFont(font);
        // The design text "lWersja" is left out: nothing is known until the printer says it.
        valueLabel = new QLabel(window);
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

void QtStan::setPrinterNumber(const std::string& text) {
    Label1->setText(toQt(text));
}

}  // namespace kalvero
