// SPDX-License-Identifier: MIT
#pragma once

#include "app/stan.h"
#include "ui/qt/QtWindowFace.h"

class QLabel;

namespace kalvero {

// The printer status window drawn with Qt: three rows, a caption and a value each.
class QtStan final : public QtWindowFace<StatusFace> {
public:
    explicit QtStan(MessageBoxes& boxes);

    void setPrinterNumber(const std::string& text) override;

    QLabel* StaticText1 = nullptr;
    QLabel* lWersja = nullptr;
    QLabel* StaticText2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* StaticText3 = nullptr;
    QLabel* Label2 = nullptr;
};

}  // namespace kalvero
