#include "uStopki.h"

#include <QLineEdit>

namespace kalvero {

TfStopka::TfStopka() : QWidget(nullptr, Qt::Window) {
    setObjectName(QStringLiteral("fStopka"));
    eNazwa = new QLineEdit(this);
    eNazwa->setObjectName(QStringLiteral("eNazwa"));
    eNazwa->setReadOnly(true);
}

void TfStopka::setItemNameVisible(bool visible) {
    eNazwa->setVisible(visible);
}

}  // namespace kalvero
