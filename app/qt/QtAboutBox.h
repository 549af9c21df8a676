// SPDX-License-Identifier: MIT
#pragma once

#include "app/opr.h"
#include "ui/qt/QtWindowFace.h"

class QFrame;
class QLabel;
class QPushButton;

namespace kalvero {

// The About box drawn with Qt.
class QtAboutBox final : public QtWindowFace<AboutFace> {
public:
    explicit QtAboutBox(MessageBoxes& boxes);

    void attach(TAboutBox& box) override;
    void centreOnScreen() override;

    QFrame* Panel1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* ProgramVersion = nullptr;
    QPushButton* OKButton = nullptr;
};

}  // namespace kalvero
