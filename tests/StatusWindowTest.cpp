// The printer status command and the About box through the windows, against
// emulated printers on a private ports directory.

#include <QAction>
#include <QLabel>
#include <QTest>
#include <memory>

#include "Kalvero.h"
#include "PrinterOnPort.h"
#include "ScriptedMessages.h"
#include "TempDir.h"
#include "opr.h"
#include "stan.h"
#include "uGlowna.h"

namespace kalvero {

class StatusWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempDir> tmp;
    std::unique_ptr<oru::PtyPrinter> printer;
    std::unique_ptr<QtWinSer> serial;
    std::unique_ptr<test::ScriptedMessages> messages;
    std::unique_ptr<Kalvero> app;

    void start(std::array<std::uint8_t, 4> status, oru::Faults faults = {}) {
        tmp = std::make_unique<test::TempDir>();
        oru::PrinterMemory memory = oru::PrinterMemory::factory();
        memory.status = status;
        printer = test::plugInPrinter(tmp->path(), 1, memory, faults);
        QVERIFY(printer != nullptr);
        serial = test::portLayer(tmp->path());
        messages = std::make_unique<test::ScriptedMessages>();
        app = std::make_unique<Kalvero>(*serial, *messages);
        app->fGlowna->Wykryjautomatycznie1Click();
        QCOMPARE(app->state.OfflineMode, std::uint8_t(0));
    }
    void status() { app->fGlowna->findChild<QAction*>("Standrukarki1")->trigger(); }

private slots:
    void cleanup() {
        app.reset();
        serial.reset();
        printer.reset();
        tmp.reset();
    }

    void showsTheHighNibbleOfTheFirstStatusByte() {
        start({0x3A, 0x11, 0x22, 0x33});
        status();
        QVERIFY(app->fStan->isVisible());
        QCOMPARE(app->fStan->Label1->text(), QStringLiteral("3"));
        QCOMPARE(app->fStan->lWersja->text(), QString());
        QCOMPARE(app->fStan->Label2->text(), QString());
        QVERIFY(messages->shown.isEmpty());
        QCOMPARE(app->fStan->windowTitle(),
                 QString(24, QLatin1Char(' ')) + QStringLiteral("Stan drukarki etykiet"));
    }

    void showsZeroForALowFirstByte() {
        start({0x0F, 0, 0, 0});
        status();
        QCOMPARE(app->fStan->Label1->text(), QStringLiteral("0"));
    }

    void aFailingThirdQueryShowsItsMessageAndLeavesTheLabels() {
        start({0x5A, 0, 0, 0}, {.nakCommand = 0x95, .faultsFrom = 8});
        status();
        QCOMPARE(app->fStan->Label1->text(), QStringLiteral("5"));
        status();  // exchanges 8..10: the third is refused
        QCOMPARE(messages->shown, QStringList({"Nie można wykonac rozkazu (NAK)"}));
        QCOMPARE(app->fStan->Label1->text(), QStringLiteral("5"));
        QVERIFY(app->fStan->isVisible());
    }

    void withoutAPrinterTheStatusCommandReportsTheLine() {
        start({0x3A, 0, 0, 0});
        app->fGlowna->Tryboffline1Click();
        status();
        QCOMPARE(messages->shown,
                 QStringList({"Urządzenie niepodłączone lub niewłączone (timeout nadawania)"}));
        QCOMPARE(app->fStan->Label1->text(), QString());
    }
};

}  // namespace kalvero

QTEST_MAIN(kalvero::StatusWindowTest)
#include "StatusWindowTest.moc"
