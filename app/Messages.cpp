#include "Messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kalvero {

void QtMessages::inform(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, QApplication::applicationName(), text);
}

bool QtMessages::ask(QWidget* parent, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No,
                    parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Tak"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Nie"));
    return box.exec() == QMessageBox::Yes;
}

}  // namespace kalvero
