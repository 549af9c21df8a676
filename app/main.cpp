#include <QApplication>

#include "Kalvero.h"
#include "Messages.h"
#include "QtWinSer.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    kalvero::QtWinSer serial(kalvero::PortMap::fromEnvironment());
    kalvero::QtMessages messages;
    const kalvero::Kalvero kalvero(serial, messages);
    return QApplication::exec();
}
