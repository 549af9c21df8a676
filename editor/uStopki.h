#pragma once

#include <QWidget>

class QLineEdit;

namespace kalvero {

// The footer editor.
class TfStopka : public QWidget {
    Q_OBJECT
public:
    TfStopka();

    void setItemNameVisible(bool visible);

    QLineEdit* eNazwa = nullptr;
};

}  // namespace kalvero
