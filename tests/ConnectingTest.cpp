// SPDX-License-Identifier: MIT
// Connecting through the windows, the real port layer and emulated printers on
// a private ports directory.

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <memory>

#include "app/uKomunikacja.h"
#include "link/PortLock.h"
#include "tests/WindowTest.h"

namespace kalvero {

class ConnectingTest : public test::WindowTest {
    Q_OBJECT

    [[nodiscard]] bool addPrinter(int com, std::uint32_t baud, std::uint8_t version,
                                  std::array<char, 2> number) {
        oru::PrinterMemory memory = oru::PrinterMemory::factory();
        memory.baudRate = baud;
        memory.version = version;
        memory.number = number;
        return plugIn(com, memory);
    }

private slots:
    void init() { newFolder(); }
    void cleanup() { closeAll(); }

    void findsTheOnlyPrinterOnComThreeAtNineteenTwoHundred() {
        QVERIFY(addPrinter(3, 19200, 4, {'1', '2'}));
        startKalvero();
        QCOMPARE(app->state.PortPresent[1], std::uint8_t(0));
        QCOMPARE(app->state.PortPresent[3], std::uint8_t(1));
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(panels(), QStringList({"ONLINE", "DURAX ORU nr: 12", "COM3,19200"}));
        QCOMPARE(app->state.OfflineMode, std::uint8_t(0));
    }

    void refusesAPrinterOfVersionThree() {
        QVERIFY(addPrinter(1, 9600, 3, {'0', '1'}));
        startKalvero();
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(panels(),
                 QStringList({"OFFLINE", "Wersja programu w drukarce etykiet mniejsza niż 4", ""}));
        QCOMPARE(app->state.OfflineMode, std::uint8_t(1));
        QCOMPARE(app->state.PortNumber, std::uint8_t(1));
        PortLock other;
        QVERIFY2(other.take(std::filesystem::canonical(tmp->path() / "ports/com1")),
                 "a refused printer's port is not held");
    }

    void theFirstOfTwoPrintersWins() {
        QVERIFY(addPrinter(2, 9600, 4, {'0', '2'}));
        QVERIFY(addPrinter(4, 9600, 5, {'0', '4'}));
        const oru::PtyPrinter& first = printer(0);
        const oru::PtyPrinter& second = printer(1);
        startKalvero();
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(panels(), QStringList({"ONLINE", "DURAX ORU nr: 02", "COM2,9600"}));
        QCOMPARE(first.exchanges(), 3L);
        QCOMPARE(second.exchanges(), 0L);
    }

    void connectsByHandOnTheChosenPortAndChannel() {
        QVERIFY(addPrinter(2, 9600, 4, {'0', '2'}));
        QVERIFY(addPrinter(5, 19200, 6, {'0', '5'}));
        startKalvero();
        QtKomunikacja* dialog = &komunikacja();
        QCOMPARE(dialog->cbPort->count(), 2);
        dialog->cbPort->setCurrentIndex(1);
        emit dialog->cbPort->activated(1);
        dialog->seKanal->setValue(4);
        dialog->bPolacz->click();
        QCOMPARE(panels(), QStringList({"ONLINE", "DURAX ORU nr: 05", "COM5,19200"}));
    }

    void keysAndTypedTextActAsInADialogAndOnlyAListEntryNamesAPort() {
        QVERIFY(addPrinter(2, 9600, 4, {'0', '2'}));
        QVERIFY(addPrinter(5, 9600, 4, {'0', '5'}));
        startKalvero();
        QtKomunikacja* dialog = &komunikacja();
        QWidget* window = &dialog->widget();
        const auto openDialog = [this, window] {
            action("Trybonline1")->trigger();
            QApplication::setActiveWindow(window);
            return QTest::qWaitForWindowActive(window);
        };
        QVERIFY(openDialog());
        dialog->bCofnij->setFocus();
        QTest::keyClick(dialog->bCofnij, Qt::Key_Return);
        QVERIFY(!window->isVisible());
        QVERIFY(openDialog());
        QTest::keyClick(dialog->seKanal, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(app->state.OfflineMode, std::uint8_t(1));

        QVERIFY(openDialog());
        // One character; left by the focus: no number counts as 1, a number out of range
        // as its nearer end.
        for (const auto& [typed, channel] :
             {std::pair{"0", 1}, {"7", 4}, {"x", 1}, {"", 1}, {"12", 1}, {"34", 3}}) {
            dialog->seKanal->setFocus();
            dialog->seKanal->selectAll();
            QTest::keyClick(dialog->seKanal, Qt::Key_Backspace);
            QTest::keyClicks(dialog->seKanal, QString::fromLatin1(typed));
            dialog->cbPort->setFocus();
            QCOMPARE(dialog->seKanal->value(), channel);
        }
        // "COM5" typed is no choice: Enter connects on the first entry.
        dialog->cbPort->lineEdit()->selectAll();
        QTest::keyClicks(dialog->cbPort->lineEdit(), QStringLiteral("COM5"));
        QTest::keyClick(dialog->cbPort->lineEdit(), Qt::Key_Return);
        QCOMPARE(panels(), QStringList({"ONLINE", "DURAX ORU nr: 02", "COM2,9600"}));
    }

    void aPortHeldByAnotherProgramIsNamedAsBusy() {
        QVERIFY(addPrinter(2, 9600, 4, {'0', '2'}));
        startKalvero();
        PortLock other;
        QVERIFY(other.take(std::filesystem::canonical(*tmp / "ports/com2")));
        komunikacja().bPolacz->click();
        QCOMPARE(panels(), QStringList({"OFFLINE", "Port COM2 zajęty przez inny program", ""}));
        other.release();
        komunikacja().bPolacz->click();
        QCOMPARE(panels(), QStringList({"ONLINE", "DURAX ORU nr: 02", "COM2,9600"}));
    }

    void aPrinterThatHangsUpLeavesTheProgramOfflineAndUsable() {
        QVERIFY(plugIn(1, oru::PrinterMemory::factory(), {.hangUpAfter = 1}));
        QVERIFY(addPrinter(2, 9600, 4, {'2', '2'}));
        startKalvero();
        action("Wykryjautomatycznie1")->trigger();
        QCOMPARE(panels(), QStringList({"ONLINE", "DURAX ORU nr: 22", "COM2,9600"}));
    }
};

}  // namespace kalvero

QTEST_MAIN(kalvero::ConnectingTest)
#include "ConnectingTest.moc"
