#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace kalvero {

class TfGlowna;
class WinSer;
struct OperatingState;
struct Services;

// The communication dialog: one port and the printer's channel, by hand.
class TfKomunikacja : public QWidget {
    Q_OBJECT
public:
    // Builds the port list once, from the ports present at creation.
    TfKomunikacja(Services& services, TfGlowna& fGlowna);

    // The channel the identification uses, automatic detection's included.
    int channel() const;

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
    TfGlowna& m_glowna;
    int m_chosen = -1;  // the list entry the user picked; -1 while none
};

}  // namespace kalvero
