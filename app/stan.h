// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "ui/WindowLinks.h"

class QLabel;

namespace kalvero {

// The printer status window: three rows, a caption and a value each.
class TfStan : public QWidget, public StatusWindow {
    Q_OBJECT
public:
    TfStan();

    void open() override;
    void showPrinterNumber(int number) override;

    QLabel* StaticText1 = nullptr;
    QLabel* lWersja = nullptr;
    QLabel* StaticText2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* StaticText3 = nullptr;
    QLabel* Label2 = nullptr;
};

}  // namespace kalvero
