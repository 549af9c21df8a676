// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace kalvero {

// The About box: the program's name and the date of its version.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox();

    QFrame* Panel1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* ProgramVersion = nullptr;
    QPushButton* OKButton = nullptr;

public slots:
    void OKButtonClick();

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace kalvero
