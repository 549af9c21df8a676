// SPDX-License-Identifier: MIT
#include "app/qt/QtWymiana.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QToolButton>

#include "data/RecordFormat.h"
#include "ui/qt/DialogKeys.h"

namespace kalvero {

QtWymiana::QtWymiana(MessageBoxes& boxes, QWidget& mainWindow)
    : QtWindowFace(*new Frame<QWidget>(nullptr, Qt::Dialog), boxes),
      m_window(static_cast<Frame<QWidget>&>(widget())),
      m_mainWindow(mainWindow) {
    QWidget* window = &m_window;
    window->setObjectName(QStringLiteral("fWymiana"));
    window->setFixedSize(371, 196);
    window->move(207, 163);
    QFont bigger = window->font();
    bigger.setPixelSize(13);

    cbWiazania = new QCheckBox(QStringLiteral("Wiązania PLU - stopka"), window);
    cbWiazania->setObjectName(QStringLiteral("cbWiazania"));
    cbWiazania->setGeometry(16, 56, 169, 17);
    cbWiazania->setChecked(true);
    cbWiazania->setFont(bigger);
    cbStopki = new QCheckBox(QStringLiteral("Definicje stopek"), window);
    cbStopki->setObjectName(QStringLiteral("cbStopki"));
    cbStopki->setGeometry(16, 24, 137, 17);
    cbStopki->setChecked(true);
    cbStopki->setFont(bigger);
    bDalej = new QPushButton(window);
    bDalej->setObjectName(QStringLiteral("bDalej"));
    bDalej->setGeometry(176, 128, 75, 25);
    bDalej->setDefault(true);
    bDalej->setAutoDefault(true);
    bAnuluj = new QPushButton(QStringLiteral("Anuluj"), window);
    bAnuluj->setObjectName(QStringLiteral("bAnuluj"));
    bAnuluj->setGeometry(56, 128, 75, 25);
    sbZmienStopka = new QToolButton(window);
    sbZmienStopka->setObjectName(QStringLiteral("sbZmienStopka"));
    sbZmienStopka->setText(QStringLiteral("..."));
    sbZmienStopka->setGeometry(312, 24, 23, 22);
    sbZmienStopka->setFocusPolicy(Qt::NoFocus);
    sbZmienWiazania = new QToolButton(window);
    sbZmienWiazania->setObjectName(QStringLiteral("sbZmienWiazania"));
    sbZmienWiazania->setText(QStringLiteral("..."));
    sbZmienWiazania->setGeometry(312, 56, 23, 22);
    sbZmienWiazania->setFocusPolicy(Qt::NoFocus);
    Edit1 = new QLineEdit(window);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(200, 24, 97, 21);
    Edit2 = new QLineEdit(window);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(200, 56, 97, 21);
    odPlik = new QFileDialog(window);
    odPlik->setObjectName(QStringLiteral("odPlik"));
    // A read creates the file it is given: a name that does not exist yet is taken.
    odPlik->setFileMode(QFileDialog::AnyFile);
    seMaxPLU = new QSpinBox(window);
    seMaxPLU->setObjectName(QStringLiteral("seMaxPLU"));
    seMaxPLU->setGeometry(200, 88, 65, 22);
    seMaxPLU->setRange(1, kLastPlu);
    seMaxPLU->setValue(kLastPlu);
    Label1 = new QLabel(QStringLiteral("odczyt do PLU nr"), window);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(bigger);
    // At least its design width, wider where this system's font needs it.
    Label1->setGeometry(64, 91, std::max(101, Label1->sizeHint().width()), 16);

    QWidget::setTabOrder(cbWiazania, cbStopki);
    QWidget::setTabOrder(cbStopki, bDalej);
    QWidget::setTabOrder(bDalej, bAnuluj);
    QWidget::setTabOrder(bAnuluj, Edit1);
    QWidget::setTabOrder(Edit1, Edit2);
    QWidget::setTabOrder(Edit2, seMaxPLU);
    new DialogKeys(window, bDalej, bAnuluj);
}

void QtWymiana::attach(TfWymiana& dialog) {
    QObject::connect(bDalej, &QPushButton::clicked, bDalej, [&dialog] { dialog.bDalejClick(); });
    QObject::connect(bAnuluj, &QPushButton::clicked, bAnuluj, [&dialog] { dialog.bAnulujClick(); });
    QObject::connect(sbZmienStopka, &QToolButton::clicked, sbZmienStopka,
                     [&dialog] { dialog.sbZmienStopkaClick(); });
    QObject::connect(sbZmienWiazania, &QToolButton::clicked, sbZmienWiazania,
                     [&dialog] { dialog.sbZmienWiazaniaClick(); });
    m_window.closing = [&dialog] {
        dialog.FormClose();
        return true;
    };
}

QWidget* QtWymiana::control(WymianaControl control) const {
    switch (control) {
        case WymianaControl::cbWiazania:
            return cbWiazania;
        case WymianaControl::cbStopki:
            return cbStopki;
        case WymianaControl::sbZmienStopka:
            return sbZmienStopka;
        case WymianaControl::sbZmienWiazania:
            return sbZmienWiazania;
        case WymianaControl::Edit1:
            return Edit1;
        case WymianaControl::Edit2:
            return Edit2;
        case WymianaControl::seMaxPLU:
            return seMaxPLU;
        case WymianaControl::Label1:
            return Label1;
    }
    return nullptr;
}

void QtWymiana::setStartCaption(const std::string& caption) {
    bDalej->setText(toQt(caption));
}

void QtWymiana::showControl(WymianaControl which, bool visible) {
    control(which)->setVisible(visible);
}

void QtWymiana::enableControl(WymianaControl which, bool enabled) {
    control(which)->setEnabled(enabled);
}

bool QtWymiana::ticked(WymianaControl box) const {
    return static_cast<QCheckBox*>(control(box))->isChecked();
}

int QtWymiana::maxPlu() const {
    return seMaxPLU->value();
}

void QtWymiana::showFileName(WymianaControl field, const std::string& name) {
    static_cast<QLineEdit*>(control(field))->setText(QString::fromLocal8Bit(name.c_str()));
}

void QtWymiana::setPickerFolder(const std::string& folder) {
    odPlik->setDirectory(QString::fromLocal8Bit(folder.c_str()));
}

std::optional<std::string> QtWymiana::pickFile() {
    if (odPlik->exec() != QDialog::Accepted || odPlik->selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return QFileInfo(odPlik->selectedFiles().constFirst())
        .absoluteFilePath()
        .toLocal8Bit()
        .toStdString();
}

void QtWymiana::centreOverMainWindow() {
    m_window.move(m_mainWindow.frameGeometry().center() - m_window.rect().center());
}

}  // namespace kalvero
