// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QPushButton;
class QWidget;

namespace kalvero {

// The keys of a dialog for a window that is no QDialog: Enter presses the focused
// button, or else the default one; Escape presses the cancel button.
class DialogKeys final : public QObject {
public:
    DialogKeys(QWidget* window, QPushButton* defaultButton, QPushButton* cancelButton);

    // A field that would keep Enter and Escape for itself (an editable drop-down
    // list, which would also take typed text for a choice) hands them on.
    void takeKeysFrom(QWidget* field);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* m_default;
    QPushButton* m_cancel;
};

}  // namespace kalvero
