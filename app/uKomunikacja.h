// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

#include "ui/WindowLinks.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace kalvero {

class WinSer;
struct OperatingState;
struct Services;

// The communication dialog: one port and the printer's channel, by hand.
class TfKomunikacja : public QWidget, public ConnectionDialog {
    Q_OBJECT
public:
    // Builds the port list once, from the ports present at creation.
    TfKomunikacja(Services& services, ConnectionHost& host);

    int channel() const override;
    void open() override;
    void dismiss() override { hide(); }

    QLabel* Label1 = nullptr;
    QComboBox* cbPort = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* seKanal = nullptr;
    QPushButton* bPolacz = nullptr;
    QPushButton* bCofnij = nullptr;

public slots:
    void bPolaczClick();
    void bCofnijClick();

private:
    void FormCreate();
    std::uint8_t chosenPort() const;

    WinSer& m_serial;
    OperatingState& m_state;
    ConnectionHost& m_host;
    int m_chosen = -1;  // the list entry the user picked; -1 while none
};

}  // namespace kalvero
