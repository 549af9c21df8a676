// SPDX-License-Identifier: MIT
#include "editor/qt/FooterLineRow.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QRadioButton>

#include "editor/qt/EditorFields.h"
#include "ui/qt/QtText.h"

namespace kalvero {

namespace {

constexpr int kRowsY[4] = {79, 110, 142, 174};
const char* const kLineHints[4] = {"Pierwsza linia stopki", "Druga linia stopki",
                                   "Trzecia linia stopki", "Czwarta linia stopki"};

bool isEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

FooterLineRow::FooterLineRow(int line, QWidget* window)
    : QObject(window),
      m_y(kRowsY[line]),
      m_enabled(new QCheckBox(window)),
      m_text(new LineField(window)),
      m_width(new WidthChoice(window)) {
    const QString n = QString::number(line + 1);
    m_enabled->setObjectName(QStringLiteral("w") + n);
    m_enabled->setGeometry(328, m_y, 20, 21);
    m_text->setObjectName(QStringLiteral("s") + n);
    m_text->setToolTip(QString::fromUtf8(kLineHints[line]));
    m_text->setGeometry(352, m_y, 300, 21);
    m_text->setMaxLength(40);
    m_width->setObjectName(QStringLiteral("rg") + n);
    m_width->setToolTip(QStringLiteral("Liczba znaków w linii"));
    m_width->setGeometry(664, m_y - 2, 90, 25);

    connect(m_width, &WidthChoice::changed, this, &FooterLineRow::widthChanged);
    // After the click has placed the cursor, so that a selection stands.
    connect(m_text, &LineField::entered, this, &FooterLineRow::entered, Qt::QueuedConnection);
    connect(m_text, &QLineEdit::textEdited, this, &FooterLineRow::edited);
    connect(m_enabled, &QCheckBox::clicked, this, &FooterLineRow::edited);
    for (QObject* control :
         {static_cast<QObject*>(m_enabled), static_cast<QObject*>(m_text),
          static_cast<QObject*>(m_width->item(0)), static_cast<QObject*>(m_width->item(1))}) {
        control->installEventFilter(this);
    }
}

FooterLine FooterLineRow::shown() const {
    return {static_cast<std::uint8_t>(m_width->itemIndex() == 1 ? 1 : 0),
            static_cast<std::uint8_t>(m_enabled->isChecked() ? 1 : 0),
            toCp1250(m_text->text()).value_or(std::string())};
}

bool FooterLineRow::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        emit enterPressed();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void FooterLineRow::fit(bool twenty) {
    if (twenty) {
        m_text->setMaxLength(20);  // cuts the text to its first 20 characters
        m_text->setGeometry(427, m_y, 150, 21);
    } else {
        m_text->setMaxLength(40);
        m_text->setGeometry(352, m_y, 300, 21);
    }
}

}  // namespace kalvero
