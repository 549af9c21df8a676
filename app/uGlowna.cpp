#include "uGlowna.h"

namespace kalvero {

TfGlowna::TfGlowna(QWidget* parent) : QMainWindow(parent) {
    setObjectName("fGlowna");
    setWindowTitle(QStringLiteral("Kalvero wersja beta"));
    resize(560, 320);
}

}  // namespace kalvero
