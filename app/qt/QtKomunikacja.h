// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "app/uKomunikacja.h"
#include "ui/qt/QtWindowFace.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace kalvero {

// The communication dialog drawn with Qt.
class QtKomunikacja final : public QtWindowFace<ConnectionFace> {
public:
    explicit QtKomunikacja(MessageBoxes& boxes);

    void attach(TfKomunikacja& dialog) override;
    void addPort(const std::string& entry) override;
    void showPort(int index) override;
    std::string channelText() const override;

    QLabel* Label1 = nullptr;
    QComboBox* cbPort = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* seKanal = nullptr;
    QPushButton* bPolacz = nullptr;
    QPushButton* bCofnij = nullptr;
};

}  // namespace kalvero
