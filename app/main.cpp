#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "Kalvero.h"
#include "Messages.h"
#include "QtWinSer.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The toolkit's own dialogs (the open-file dialog above all) speak Polish too.
    QTranslator toolkit;
    if (toolkit.load(QStringLiteral("qtbase_pl"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&toolkit);
    }
    kalvero::QtWinSer serial(kalvero::PortMap::fromEnvironment());
    kalvero::QtMessages messages;
    const kalvero::Kalvero kalvero(serial, messages);
    return QApplication::exec();
}
