// SPDX-License-Identifier: MIT
#include "app/qt/QtAboutBox.h"

#include <QDialog>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "Version.h"

namespace kalvero {

QtAboutBox::QtAboutBox(MessageBoxes& boxes) : QtWindowFace(*new QDialog, boxes, true) {
    auto* window = static_cast<QDialog*>(&widget());
    window->setObjectName(QStringLiteral("AboutBox"));
    window->setWindowTitle(QStringLiteral("O programie"));
    window->setFixedSize(298, 176);
    window->setModal(false);
    QFont font = window->font();
    font.setPixelSize(13);

    Panel1 = new QFrame(window);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(8, 8, 281, 121);
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    Panel1->setLineWidth(2);
    ProductName = new QLabel(QStringLiteral("Kalvero"), Panel1);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setGeometry(16, 24, 250, 20);
    ProductName->setFont(font);
    Version = new QLabel(QStringLiteral("Wersja z 30.07.2010 "), Panel1);
    Version->setObjectName(QStringLiteral("Version"));
    Version->setGeometry(16, 56, 250, 20);
    Version->setFont(font);
    Version->setStyleSheet(QStringLiteral("color: red;"));
    // The program's own version, small, under the texts the box always had.
    ProgramVersion = new QLabel(QStringLiteral("wersja programu %1").arg(kVersion), Panel1);
    ProgramVersion->setObjectName(QStringLiteral("ProgramVersion"));
    ProgramVersion->setGeometry(16, 92, 250, 16);
    QFont small = font;
    small.setPixelSize(10);
    ProgramVersion->setFont(small);
    OKButton = new QPushButton(QStringLiteral("OK"), window);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry((298 - 75) / 2, 139, 75, 28);
    OKButton->setDefault(true);
}

void QtAboutBox::attach(TAboutBox& box) {
    QObject::connect(OKButton, &QPushButton::clicked, OKButton, [&box] { box.OKButtonClick(); });
}

void QtAboutBox::centreOnScreen() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        widget().move(screen->availableGeometry().center() - widget().rect().center());
    }
}

}  // namespace kalvero
