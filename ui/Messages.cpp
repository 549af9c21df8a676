// SPDX-License-Identifier: MIT
#include "ui/Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kalvero {

// Plain boxes and questions carry no icon, as the program's boxes always have.
void QtMessages::inform(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool QtMessages::ask(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Tak"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nie"));
    return box.exec() == QMessageBox::Yes;
}

}  // namespace kalvero
