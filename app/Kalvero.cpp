#include <QApplication>

#include "uGlowna.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kalvero"));
    kalvero::TfGlowna glowna;
    glowna.show();
    return QApplication::exec();
}
