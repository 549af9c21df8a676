// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>
#include <QWidget>
#include <string>

class QButtonGroup;
class QRadioButton;
class QToolButton;

namespace kalvero {

// One of the editor's two number fields: a character it does not take (Enter
// included) is refused with a beep; Up and Down pressed ask for a step, and their
// release, or Enter's, is reported.
class NumberField : public QLineEdit {
    Q_OBJECT
public:
    NumberField(int maxDigits, QWidget* parent);

signals:
    void stepped(int step);  // +1 for Up, -1 for Down
    void keyReleased();      // Up, Down or Enter
    void focusLeft();        // to another control of the same window

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};

// A pair of step arrows beside a number field: asks for a step on a click, and
// reports the release of a mouse button after it.
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(QWidget* parent);

signals:
    void stepped(int step);
    void released(Qt::MouseButton button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

// A footer line's text: what an edit may not add is refused with a beep, and a tip
// that names the character when it is one.
class LineField : public QLineEdit {
    Q_OBJECT
public:
    explicit LineField(QWidget* parent);

signals:
    void entered();  // got the focus or was clicked

protected:
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Whether the field may hold input; when not, m_refused names the character
    // (empty for a control character).
    bool takes(const QString& input);

    std::string m_held;  // the text before an edit, in Windows-1250
    QString m_refused;
};

// The "40" / "20" choice of a footer line.
class WidthChoice : public QWidget {
    Q_OBJECT
public:
    explicit WidthChoice(QWidget* parent);

    int itemIndex() const;  // 0 for "40", 1 for "20"
    void setItemIndex(int index);
    QRadioButton* item(int index) const { return index == 0 ? m_forty : m_twenty; }

signals:
    void changed();

private:
    QButtonGroup* m_group;
    QRadioButton* m_forty;
    QRadioButton* m_twenty;
};

}  // namespace kalvero
