// SPDX-License-Identifier: MIT
#include "editor/qt/QtStopka.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>

#include "editor/qt/EditorFields.h"
#include "editor/qt/FooterLineRow.h"

namespace kalvero {

QtStopka::QtStopka(MessageBoxes& boxes, QWidget& mainWindow)
    : QtWindowFace(*new Frame<QWidget>(nullptr, Qt::Window), boxes, true),
      m_window(static_cast<Frame<QWidget>&>(widget())),
      m_mainWindow(mainWindow) {
    setupUi(&m_window);
    m_status = new QLabel(sbStopka);
    sbStopka->addWidget(m_status, 1);
}

void QtStopka::attach(TfStopka& editor) {
    QObject::connect(sePLU, &NumberField::stepped, sePLU,
                     [&editor](int step) { editor.stepField(NumberFieldName::sePLU, step); });
    QObject::connect(udtowar, &UpDown::stepped, udtowar,
                     [&editor](int step) { editor.stepField(NumberFieldName::sePLU, step); });
    QObject::connect(sePLU, &NumberField::keyReleased, sePLU, [&editor] { editor.sePLUKeyUp(); });
    QObject::connect(udtowar, &UpDown::released, udtowar,
                     [&editor](Qt::MouseButton) { editor.UDTOWARMouseUp(); });
    QObject::connect(seNrStopki, &NumberField::stepped, seNrStopki,
                     [&editor](int step) { editor.stepField(NumberFieldName::seNrStopki, step); });
    QObject::connect(UpDown1, &UpDown::stepped, UpDown1,
                     [&editor](int step) { editor.stepField(NumberFieldName::seNrStopki, step); });
    QObject::connect(seNrStopki, &NumberField::keyReleased, seNrStopki,
                     [&editor] { editor.seNrStopkiKeyUp(); });
    QObject::connect(seNrStopki, &NumberField::focusLeft, seNrStopki,
                     [&editor] { editor.seNrStopkiExit(); });
    QObject::connect(UpDown1, &UpDown::released, UpDown1, [&editor](Qt::MouseButton button) {
        editor.UpDown1MouseUp(button == Qt::LeftButton);
    });
    for (int k = 0; k < 4; ++k) {
        FooterLineRow* row = rows[static_cast<std::size_t>(k)];
        QObject::connect(row, &FooterLineRow::widthChanged, row,
                         [&editor, k] { editor.rg1Click(k); });
        QObject::connect(row, &FooterLineRow::edited, row, [&editor] { editor.lineChanged(); });
        QObject::connect(row, &FooterLineRow::enterPressed, row,
                         [&editor] { editor.bZatwierdzClick(); });
        QObject::connect(row, &FooterLineRow::entered, row, [&editor, k] { editor.sEnter(k); });
    }
    QObject::connect(bZatwierdz, &QPushButton::clicked, bZatwierdz,
                     [&editor] { editor.bZatwierdzClick(); });
    QObject::connect(bZatwWiaz, &QPushButton::clicked, bZatwWiaz,
                     [&editor] { editor.bZatwWiazClick(); });
    QObject::connect(bWyjdz, &QPushButton::clicked, bWyjdz, [&editor] { editor.bWyjdzClick(); });
    m_window.shown = [&editor] { editor.FormShow(); };
    // A minimized editor is hidden too, but still open: the main window stays disabled.
    m_window.hidden = [this, &editor] {
        if (!m_window.isVisible()) {
            editor.FormHide();
        }
    };
    m_window.released = [&editor](Qt::MouseButton button) {
        editor.FormMouseUp(button == Qt::LeftButton);
    };
}

QString QtStopka::statusText() const {
    return m_status->text();
}

// Centred on the main window, but never pushed off the screen.
void QtStopka::centreOverMainWindow() {
    QRect placed = m_window.rect();
    placed.moveCenter(m_mainWindow.geometry().center());
    if (const QScreen* screen = m_mainWindow.screen()) {
        const QRect free = screen->availableGeometry();
        placed.moveLeft(std::clamp(placed.left(), free.left(),
                                   std::max(free.left(), free.right() - placed.width())));
        placed.moveTop(std::clamp(placed.top(), free.top(),
                                  std::max(free.top(), free.bottom() - placed.height())));
    }
    m_window.move(placed.topLeft());
}

NumberField* QtStopka::field(NumberFieldName name) const {
    return name == NumberFieldName::sePLU ? sePLU : seNrStopki;
}

std::string QtStopka::fieldText(NumberFieldName name) const {
    return field(name)->text().toStdString();
}

void QtStopka::setFieldText(NumberFieldName name, const std::string& text) {
    field(name)->setText(toQt(text));
}

void QtStopka::repaintField(NumberFieldName name) {
    field(name)->repaint();
}

void QtStopka::enableField(NumberFieldName name, bool enabled) {
    field(name)->setEnabled(enabled);
}

void QtStopka::focusField(NumberFieldName name) {
    field(name)->setFocus();
}

bool QtStopka::fieldFocused(NumberFieldName name) const {
    return field(name)->hasFocus();
}

FooterLine QtStopka::shownLine(int line) const {
    return rows.at(static_cast<std::size_t>(line))->shown();
}

void QtStopka::setLineWidth(int line, bool twenty) {
    rg.at(static_cast<std::size_t>(line))->setItemIndex(twenty ? 1 : 0);
}

void QtStopka::setLineText(int line, const std::string& text) {
    s.at(static_cast<std::size_t>(line))->setText(fromCp1250(text));
}

void QtStopka::setLineEnabled(int line, bool enabled) {
    w.at(static_cast<std::size_t>(line))->setChecked(enabled);
}

void QtStopka::fitLine(int line, bool twenty) {
    rows.at(static_cast<std::size_t>(line))->fit(twenty);
}

void QtStopka::selectLineText(int line) {
    s.at(static_cast<std::size_t>(line))->selectAll();
}

void QtStopka::showName(bool visible) {
    eNazwa->setVisible(visible);
}

void QtStopka::setName(const std::string& text) {
    eNazwa->setText(toQt(text));
}

void QtStopka::showChangeMark(bool visible) {
    changeMark->setVisible(visible);
}

void QtStopka::setStatus(const std::string& text) {
    m_status->setText(toQt(text));
    m_status->repaint();
}

}  // namespace kalvero
