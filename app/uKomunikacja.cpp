// SPDX-License-Identifier: MIT
#include "app/uKomunikacja.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

#include "link/Connecting.h"
#include "ui/DialogKeys.h"
#include "link/OperatingState.h"
#include "ui/Services.h"
#include "ui/Text.h"
#include "link/WinSer.h"

namespace kalvero {

namespace {

// The channel as typed, one character: text that is no number counts as 1, and a
// number outside 1..4 becomes the nearer end when the field is left.
class ChannelField final : public QSpinBox {
public:
    explicit ChannelField(QWidget* parent) : QSpinBox(parent) { lineEdit()->setMaxLength(1); }

protected:
    QValidator::State validate(QString& input, int& /*pos*/) const override {
        if (input.size() > 1) {
            return QValidator::Invalid;
        }
        bool number = false;
        const int value = input.toInt(&number);
        return number && value >= minimum() && value <= maximum() ? QValidator::Acceptable
                                                                  : QValidator::Intermediate;
    }
    void fixup(QString& input) const override {
        bool number = false;
        const int value = input.trimmed().toInt(&number);
        input = QString::number(number ? std::clamp(value, minimum(), maximum()) : 1);
    }
};

}  // namespace

TfKomunikacja::TfKomunikacja(Services& services, ConnectionHost& host)
    : QWidget(nullptr, Qt::Dialog),
      m_serial(services.serial),
      m_state(services.state),
      m_host(host) {
    setObjectName(QStringLiteral("fKomunikacja"));
    setWindowTitle(QStringLiteral("Parametry komunikacji"));
    setFixedSize(380, 168);

    Label1 = new QLabel(QStringLiteral("Port szeregowy"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(24, 24, 120, 21);
    cbPort = new QComboBox(this);
    cbPort->setObjectName(QStringLiteral("cbPort"));
    cbPort->setEditable(true);
    cbPort->setInsertPolicy(QComboBox::NoInsert);
    cbPort->setGeometry(160, 20, 120, 25);
    Label2 = new QLabel(QStringLiteral("Kanał"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(24, 64, 120, 21);
    seKanal = new ChannelField(this);
    seKanal->setObjectName(QStringLiteral("seKanal"));
    seKanal->setRange(1, 4);
    seKanal->setValue(1);
    seKanal->setGeometry(160, 60, 50, 25);
    bPolacz = new QPushButton(QStringLiteral("Połącz"), this);
    bPolacz->setObjectName(QStringLiteral("bPolacz"));
    bPolacz->setDefault(true);
    bPolacz->setAutoDefault(true);
    bPolacz->setGeometry(72, 112, 100, 30);
    bCofnij = new QPushButton(QStringLiteral("Cofnij"), this);
    bCofnij->setObjectName(QStringLiteral("bCofnij"));
    bCofnij->setGeometry(208, 112, 100, 30);
    setTabOrder(cbPort, seKanal);
    setTabOrder(seKanal, bPolacz);
    setTabOrder(bPolacz, bCofnij);

    connect(bPolacz, &QPushButton::clicked, this, &TfKomunikacja::bPolaczClick);
    connect(bCofnij, &QPushButton::clicked, this, &TfKomunikacja::bCofnijClick);
    // Typed text is never matched against the list, neither as it is typed nor when
    // the field is left: only a picked entry counts.
    cbPort->setCompleter(nullptr);
    disconnect(cbPort->lineEdit(), &QLineEdit::editingFinished, cbPort, nullptr);
    (new DialogKeys(this, bPolacz, bCofnij))->takeKeysFrom(cbPort->lineEdit());
    connect(cbPort, &QComboBox::activated, this, [this](int index) { m_chosen = index; });
    FormCreate();
}

void TfKomunikacja::FormCreate() {
    m_serial.UnInitializePort();
    for (int n = 1; n <= 10; ++n) {
        if (m_state.PortPresent[n] != 0) {
            cbPort->addItem(QStringLiteral("COM%1").arg(n), n);
        }
    }
    cbPort->setCurrentIndex(cbPort->count() > 0 ? 0 : -1);
}

int TfKomunikacja::channel() const {
    return seKanal->value();
}

// Typed text is never interpreted: only a list entry names a port.
std::uint8_t TfKomunikacja::chosenPort() const {
    if (cbPort->count() == 0) {
        return 1;
    }
    const int index = m_chosen >= 0 && m_chosen < cbPort->count() ? m_chosen : 0;
    return static_cast<std::uint8_t>(cbPort->itemData(index).toInt());
}

void TfKomunikacja::open() {
    show();
    raise();
}

void TfKomunikacja::bPolaczClick() {
    if (m_host.busy()) {
        return;
    }
    hide();
    const std::uint8_t port = chosenPort();
    m_host.showConnecting(port);
    const Connection connection = ConnectOnPort(
        m_serial, [this] { return channel(); }, port);
    m_host.showConnectionByHand(connection);
    const bool answered = connection.outcome == ConnectOutcome::Online ||
                          connection.outcome == ConnectOutcome::VersionRefused;
    if (!answered) {
        show();
    }
}

void TfKomunikacja::bCofnijClick() {
    cbPort->setCurrentIndex(cbPort->count() > 0 ? 0 : -1);
    m_chosen = -1;
    hide();
}

}  // namespace kalvero
