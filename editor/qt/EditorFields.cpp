// SPDX-License-Identifier: MIT
#include "editor/qt/EditorFields.h"

#include <QApplication>
#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValidator>
#include <functional>
#include <string>

#include "editor/uStopki.h"
#include "ui/qt/QtText.h"

namespace kalvero {

namespace {

bool isStepKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down;
}
bool isEnterKey(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Leaves the verdict on a text to a function of the field.
class TextValidator final : public QValidator {
public:
    TextValidator(std::function<bool(const QString&)> takes, QObject* parent)
        : QValidator(parent), m_takes(std::move(takes)) {}
    State validate(QString& input, int& /*pos*/) const override {
        return m_takes(input) ? Acceptable : Invalid;
    }

private:
    std::function<bool(const QString&)> m_takes;
};

}  // namespace

NumberField::NumberField(int maxDigits, QWidget* parent) : QLineEdit(parent) {
    setMaxLength(maxDigits);
}

void NumberField::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (isStepKey(key)) {
        emit stepped(key == Qt::Key_Up ? 1 : -1);
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && !NumberFieldTakes(typed.toUcs4().value(0))) {
        QApplication::beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void NumberField::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    if ((isStepKey(event->key()) || isEnterKey(event->key())) && !event->isAutoRepeat()) {
        emit keyReleased();
    }
}

void NumberField::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // Another window or a popup taking the focus is not leaving the field.
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit focusLeft();
    }
}

UpDown::UpDown(QWidget* parent)
    : QWidget(parent), m_up(new QToolButton(this)), m_down(new QToolButton(this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (QToolButton* arrow : {m_up, m_down}) {
        arrow->setArrowType(arrow == m_up ? Qt::UpArrow : Qt::DownArrow);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
        arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        arrow->installEventFilter(this);
        column->addWidget(arrow);
        connect(arrow, &QToolButton::clicked, this,
                [this, arrow] { emit stepped(arrow == m_up ? 1 : -1); });
    }
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && (watched == m_up || watched == m_down)) {
        // Let the click step first, then report the release.
        const auto button = static_cast<QMouseEvent*>(event)->button();
        QMetaObject::invokeMethod(
            this, [this, button] { emit released(button); }, Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}

LineField::LineField(QWidget* parent) : QLineEdit(parent) {
    setValidator(new TextValidator([this](const QString& input) { return takes(input); }, this));
    connect(this, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_held = toCp1250(text).value_or(std::string()); });
    connect(this, &QLineEdit::inputRejected, this, [this] {
        QApplication::beep();
        if (!m_refused.isEmpty()) {
            QToolTip::showText(mapToGlobal(cursorRect().bottomLeft()),
                               QStringLiteral("Drukarka nie drukuje znaku „%1”").arg(m_refused),
                               this);
        }
    });
}

// setText() clears the modified flag, an edit sets it before the text comes here:
// text the program sets stands.
bool LineField::takes(const QString& input) {
    const auto refused = RefusedInLine(input.toStdString(), m_held, isModified());
    m_refused = refused ? toQt(*refused) : QString();
    return !refused;
}

void LineField::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    emit entered();
}

void LineField::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    emit entered();
}

WidthChoice::WidthChoice(QWidget* parent)
    : QWidget(parent),
      m_group(new QButtonGroup(this)),
      m_forty(new QRadioButton(QStringLiteral("40"), this)),
      m_twenty(new QRadioButton(QStringLiteral("20"), this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 0, 4, 0);
    QFont bold = font();
    bold.setBold(true);
    for (QRadioButton* item : {m_forty, m_twenty}) {
        item->setFont(bold);
        row->addWidget(item);
    }
    m_group->addButton(m_forty, 0);
    m_group->addButton(m_twenty, 1);
    m_forty->setChecked(true);
    connect(m_group, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked) {
            emit changed();
        }
    });
}

int WidthChoice::itemIndex() const {
    return m_group->checkedId();
}

void WidthChoice::setItemIndex(int index) {
    item(index)->setChecked(true);
}

}  // namespace kalvero
