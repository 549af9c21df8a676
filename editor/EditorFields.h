// SPDX-License-Identifier: MIT
#pragma once

#include <QLineEdit>
#include <QWidget>
#include <string>

class QButtonGroup;
class QRadioButton;
class QToolButton;

namespace kalvero {

// A number field as the editor's two number fields behave: digits, "+", "-" and
// the decimal separators only, any other character (Enter included) refused with
// a beep; Up and Down step within the range; releasing Up, Down or Enter is
// reported. Text that is no number counts as the minimum; a number outside the
// range is kept as typed until someone limits it.
class NumberField : public QLineEdit {
    Q_OBJECT
public:
    NumberField(int maxDigits, QWidget* parent);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int value() const;
    void setValue(int value);
    int limited(int value) const { return std::clamp(value, m_minimum, m_maximum); }

signals:
    void keyReleased();  // Up, Down or Enter
    void focusLeft();    // to another control of the same window

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int m_minimum = 0;
    int m_maximum = 0;
};

// A pair of step arrows beside a number field: steps it within its range, no
// wrap-around, and reports the release of a mouse button.
class UpDown : public QWidget {
    Q_OBJECT
public:
    UpDown(NumberField& field, QWidget* parent);

signals:
    void released(Qt::MouseButton button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NumberField& m_field;
    QToolButton* m_up;
    QToolButton* m_down;
};

// A footer line's text. A character typed or pasted that Windows-1250 cannot hold or
// the printer cannot print is refused with a beep and a tip that names it, a TAB or a
// line end (they would split the record) with a beep. Text the program sets, a line
// read from a file, keeps what it holds, and so does an edit of it.
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
