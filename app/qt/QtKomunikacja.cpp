// SPDX-License-Identifier: MIT
#include "app/qt/QtKomunikacja.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include "ui/qt/DialogKeys.h"

namespace kalvero {

namespace {

// The channel as typed, one character; a number outside 1..4 or text that is no
// number becomes the channel it stands for when the field is left.
class ChannelField final : public QSpinBox {
public:
    explicit ChannelField(QWidget* parent) : QSpinBox(parent) { lineEdit()->setMaxLength(1); }

protected:
    QValidator::State validate(QString& input, int& /*pos*/) const override {
        if (input.size() > 1) {
            return QValidator::Invalid;
        }
        return QString::number(ChannelFromText(input.toStdString())) == input
                   ? QValidator::Acceptable
                   : QValidator::Intermediate;
    }
    void fixup(QString& input) const override {
        input = QString::number(ChannelFromText(input.toStdString()));
    }
};

}  // namespace

QtKomunikacja::QtKomunikacja(MessageBoxes& boxes)
    : QtWindowFace(*new QWidget(nullptr, Qt::Dialog), boxes) {
    QWidget* window = &widget();
    window->setObjectName(QStringLiteral("fKomunikacja"));
    window->setWindowTitle(QStringLiteral("Parametry komunikacji"));
    window->setFixedSize(380, 168);

    Label1 = new QLabel(QStringLiteral("Port szeregowy"), window);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(24, 24, 120, 21);
    cbPort = new QComboBox(window);
    cbPort->setObjectName(QStringLiteral("cbPort"));
    cbPort->setEditable(true);
    cbPort->setInsertPolicy(QComboBox::NoInsert);
    cbPort->setGeometry(160, 20, 120, 25);
    Label2 = new QLabel(QStringLiteral("Kanał"), window);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(24, 64, 120, 21);
    seKanal = new ChannelField(window);
    seKanal->setObjectName(QStringLiteral("seKanal"));
    seKanal->setRange(1, 4);
    seKanal->setValue(1);
    seKanal->setGeometry(160, 60, 50, 25);
    bPolacz = new QPushButton(QStringLiteral("Połącz"), window);
    bPolacz->setObjectName(QStringLiteral("bPolacz"));
    bPolacz->setDefault(true);
    bPolacz->setAutoDefault(true);
    bPolacz->setGeometry(72, 112, 100, 30);
    bCofnij = new QPushButton(QStringLiteral("Cofnij"), window);
    bCofnij->setObjectName(QStringLiteral("bCofnij"));
    bCofnij->setGeometry(208, 112, 100, 30);
    QWidget::setTabOrder(cbPort, seKanal);
    QWidget::setTabOrder(seKanal, bPolacz);
    QWidget::setTabOrder(bPolacz, bCofnij);
    // Typed text is never matched against the list, neither as it is typed nor when
    // the field is left: only a picked entry counts.
    cbPort->setCompleter(nullptr);
    QObject::disconnect(cbPort->lineEdit(), &QLineEdit::editingFinished, cbPort, nullptr);
    (new DialogKeys(window, bPolacz, bCofnij))->takeKeysFrom(cbPort->lineEdit());
}

void QtKomunikacja::attach(TfKomunikacja& dialog) {
    QObject::connect(bPolacz, &QPushButton::clicked, bPolacz, [&dialog] { dialog.bPolaczClick(); });
    QObject::connect(bCofnij, &QPushButton::clicked, bCofnij, [&dialog] { dialog.bCofnijClick(); });
    QObject::connect(cbPort, &QComboBox::activated, cbPort,
                     [&dialog](int index) { dialog.cbPortSelect(index); });
}

void QtKomunikacja::addPort(const std::string& entry) {
    cbPort->addItem(toQt(entry));
}

void QtKomunikacja::showPort(int index) {
    cbPort->setCurrentIndex(index);
}

std::string QtKomunikacja::channelText() const {
    return seKanal->cleanText().toStdString();
}

}  // namespace kalvero
