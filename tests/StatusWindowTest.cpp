// SPDX-License-Identifier: MIT
// The printer status command and the About box through the windows, against
// emulated printers on a private ports directory.

#include <QLabel>

#include "tests/WindowTest.h"
#include "app/opr.h"
#include "app/stan.h"

namespace kalvero {

class StatusWindowTest : public test::WindowTest {
    Q_OBJECT

    [[nodiscard]] bool start(std::array<std::uint8_t, 4> status, oru::Faults faults = {}) {
        oru::PrinterMemory memory = oru::PrinterMemory::factory();
        memory.status = status;
        return startOnline(memory, faults);
    }
    void status() { action("Standrukarki1")->trigger(); }

private slots:
    void cleanup() { closeAll(); }

    void showsTheHighNibbleOfTheFirstStatusByte() {
        QVERIFY(start({0x3A, 0x11, 0x22, 0x33}));
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
        QVERIFY(start({0x0F, 0, 0, 0}));
        status();
        QCOMPARE(app->fStan->Label1->text(), QStringLiteral("0"));
    }

    void aFailingThirdQueryShowsItsMessageAndLeavesTheLabels() {
        QVERIFY(start({0x5A, 0, 0, 0}, {.nakCommand = 0x95, .faultsFrom = 8}));
        status();
        QCOMPARE(app->fStan->Label1->text(), QStringLiteral("5"));
        status();  // exchanges 8..10: the third is refused
        QCOMPARE(messages->shown, QStringList({"Nie można wykonac rozkazu (NAK)"}));
        QCOMPARE(app->fStan->Label1->text(), QStringLiteral("5"));
        QVERIFY(app->fStan->isVisible());
    }

    void withoutAPrinterTheStatusCommandReportsTheLine() {
        QVERIFY(start({0x3A, 0, 0, 0}));
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
