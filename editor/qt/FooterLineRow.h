// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include "data/RecordFormat.h"

class QCheckBox;
class QWidget;

namespace kalvero {

class LineField;
class WidthChoice;

// One footer line's controls in the editor window: whether it is printed, its text
// and its width.
class FooterLineRow : public QObject {
    Q_OBJECT
public:
    // line: 0..3, from the top.
    FooterLineRow(int line, QWidget* window);

    FooterLine shown() const;
    // A 20-wide line's field is narrower and holds 20 characters.
    void fit(bool twenty);

    QCheckBox* enabled() const { return m_enabled; }
    LineField* text() const { return m_text; }
    WidthChoice* width() const { return m_width; }

signals:
    void edited();        // text typed or box clicked
    void widthChanged();  // by the user or the program
    void enterPressed();  // in any of the controls
    void entered();       // the text field got the focus or was clicked

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int m_y;
    QCheckBox* m_enabled;
    LineField* m_text;
    WidthChoice* m_width;
};

}  // namespace kalvero
