// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <optional>

#include "tests/EmulatedPrinter.h"
#include "link/Identification.h"

namespace kalvero {
namespace {

using test::EmulatedPrinter;

oru::PrinterMemory memoryWith(void (*change)(oru::PrinterMemory&)) {
    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    change(memory);
    return memory;
}

struct Outcome {
    ResultCode result;
    PrinterIdentity identity;
};

Outcome identify(WinSer& serial, std::uint16_t baud = 9600, int channel = 1,
                 std::uint8_t port = 1) {
    Outcome o{0, {}};
    o.result = IdentifyPrinter(
        serial, [channel] { return channel; }, port, baud, o.identity);
    return o;
}

TEST(SerialEndToEnd, IdentifiesThePrinterOnEveryChannelDespiteThePtyHavingNoModemLines) {
    EmulatedPrinter emulator(memoryWith([](oru::PrinterMemory& m) { m.number = {'0', '7'}; }));
    auto serial = emulator.serial();
    for (int channel = 1; channel <= 4; ++channel) {
        const Outcome o = identify(*serial, 9600, channel);
        EXPECT_EQ(o.result, 0) << "channel " << channel;
        EXPECT_TRUE(o.identity.found);
        EXPECT_EQ(o.identity.version, 4);
        EXPECT_EQ(o.identity.numberText, "07");
    }
}

TEST(SerialEndToEnd, APrinterAtAnotherBaudRateIsSilentUntilTheHostMatchesIt) {
    EmulatedPrinter emulator(memoryWith([](oru::PrinterMemory& m) { m.baudRate = 19200; }));
    auto serial = emulator.serial();
    EXPECT_EQ(identify(*serial, 9600).result, 21);
    const Outcome o = identify(*serial, 19200);
    EXPECT_EQ(o.result, 0);
    EXPECT_TRUE(o.identity.found);
}

TEST(SerialEndToEnd, AnOldPrinterAndAForeignDeviceAreToldApart) {
    EmulatedPrinter old(memoryWith([](oru::PrinterMemory& m) { m.version = 3; }));
    const Outcome o = identify(*old.serial());
    EXPECT_EQ(o.result, 0);
    EXPECT_EQ(o.identity.version, 3);

    EmulatedPrinter foreign(memoryWith([](oru::PrinterMemory& m) { m.identifyByte = 0x41; }));
    const Outcome f = identify(*foreign.serial());
    EXPECT_EQ(f.result, 0);
    EXPECT_FALSE(f.identity.found);
}

TEST(SerialEndToEnd, EachFaultOfThePrinterGivesItsCode) {
    struct Case {
        const char* name;
        oru::Faults faults;
        ResultCode expected;
        bool found;
    };
    const std::vector<Case> cases = {
        {"silent", {.silent = true}, 21, false},
        {"nak", {.nakAll = true}, 24, false},
        {"nak version only", {.nakCommand = 0x5B}, 24, true},
        {"not ack", {.notAckByte = 0x3F}, 23, false},
        {"stops after the identification", {.stopAfter = 1}, 21, true},
        {"hangs up after the identification", {.hangUpAfter = 1}, 20, true},
    };
    for (const Case& c : cases) {
        EmulatedPrinter emulator(oru::PrinterMemory::factory(), c.faults);
        auto serial = emulator.serial();
        const Outcome o = identify(*serial);
        EXPECT_EQ(o.result, c.expected) << c.name;
        EXPECT_EQ(o.identity.found, c.found) << c.name;
    }
}

// The windows' way of waiting: an event that is not the user's input is served while
// the printer's answer is awaited, and an exchange it asks for is refused, never cut
// into the one waiting.
TEST(SerialEndToEnd, EventsAreServedWhileAnAnswerIsAwaitedAndCannotCutIn) {
    EmulatedPrinter emulator(oru::PrinterMemory::factory(), {.silent = true});
    auto serial = emulator.serial();
    ASSERT_EQ(serial->iInitializePort(1, 9600, 2, 2), 0);
    SerialBuffer answer{};
    const SerialBuffer send{};
    for (const bool serve : {false, true}) {
        QtWinSer::serveEventsWhileWaiting(serve);
        std::optional<std::uint8_t> cutIn;
        QTimer::singleShot(0, [&] { cutIn = serial->RSSequence(0x9B, 1, 0, answer, send); });
        EXPECT_EQ(serial->RSSequence(0x9B, 1, 0, answer, send), 21) << serve;
        EXPECT_EQ(cutIn.has_value(), serve) << "served only while waiting the windows' way";
        if (serve) {
            EXPECT_EQ(cutIn, 20) << "the line is taken";
        }
        QCoreApplication::processEvents();
    }
    // Closed meanwhile ("Tryb offline"): once the wait is over, not under it.
    QTimer::singleShot(0, [&] { serial->UnInitializePort(); });
    EXPECT_EQ(serial->RSSequence(0x9B, 1, 0, answer, send), 20);
    EXPECT_EQ(serial->RSSequence(0x9B, 1, 0, answer, send), 20) << "closed";
    QtWinSer::serveEventsWhileWaiting(false);
}

TEST(SerialEndToEnd, AVanishedPortGivesTwentyOnEveryLaterCallWithoutHanging) {
    EmulatedPrinter emulator(oru::PrinterMemory::factory(), {.hangUpAfter = 1});
    auto serial = emulator.serial();
    ASSERT_EQ(identify(*serial).result, 20);
    SerialBuffer answer{};
    const SerialBuffer send{};
    EXPECT_EQ(serial->RSSequence(0x9B, 1, 0, answer, send), 20);
    std::uint8_t byte = 0;
    EXPECT_NE(serial->ReadByte(byte), 1);
    serial->SetDTRLine();
    serial->UnInitializePort();
    EXPECT_NE(serial->iInitializePort(1, 9600, 5, 5), 0) << "the link went with the printer";
}

TEST(SerialEndToEnd, APortThatCannotBeOpenedGivesTheLayersCode) {
    EmulatedPrinter emulator;
    std::filesystem::create_symlink(emulator.dir() / "missing", emulator.dir() / "ports/com2");
    auto serial = emulator.serial();
    EXPECT_NE(identify(*serial, 9600, 1, 2).result, 0) << "dangling link";
    EXPECT_NE(identify(*serial, 9600, 1, 3).result, 0) << "no entry";
    EXPECT_NE(identify(*serial, 9600, 1, 11).result, 0) << "beyond COM10";
    EXPECT_EQ(identify(*serial, 9600, 1, 1).result, 0) << "the good port still opens";
}

TEST(SerialEndToEnd, FurtherAnswerBytesComeThroughReadByte) {
    EmulatedPrinter emulator;
    auto serial = emulator.serial();
    ASSERT_EQ(identify(*serial).result, 0);

    // A 20-character footer line written, then read back: 0x2B answers with one
    // byte, then a byte not examined, the flags and 40 text bytes.
    SerialBuffer send{};
    SerialBuffer answer{};
    send[0] = 7;
    send[1] = 0x0D;
    for (int i = 0; i < 20; ++i) {
        send[2 + i] = static_cast<std::uint8_t>('A' + i);
    }
    ASSERT_EQ(serial->RSSequence(0x2A, 1, 22, answer, send), 0);
    std::uint8_t status = 0xEE;
    ASSERT_EQ(serial->ReadByte(status), 1);
    EXPECT_EQ(status, 0);

    send[0] = 7;
    send[1] = 1;
    ASSERT_EQ(serial->RSSequence(0x2B, 1, 2, answer, send), 0);
    std::vector<std::uint8_t> further(42);
    for (auto& b : further) {
        ASSERT_EQ(serial->ReadByte(b), 1);
    }
    EXPECT_EQ(further[1], 0x0D);
    EXPECT_EQ(further[2], 'A');
    EXPECT_EQ(further[21], 'T');
    EXPECT_EQ(further[22], ' ');
    std::uint8_t extra = 0;
    EXPECT_NE(serial->ReadByte(extra), 1) << "nothing more than the command table says";
}

TEST(SerialEndToEnd, ThePrinterSurvivesGarbageAndAHostThatGoesAway) {
    EmulatedPrinter emulator;
    {
        auto serial = emulator.serial();
        ASSERT_EQ(identify(*serial).result, 0);
        SerialBuffer answer{};
        SerialBuffer send{};
        send.fill(0xA5);
        EXPECT_EQ(serial->RSSequence(0x00, 1, 0, answer, send), 24);
        // A footer line write whose data stops after two bytes is dropped by the printer.
        EXPECT_EQ(serial->RSSequence(0x2A, 1, 2, answer, send), 21);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    auto again = emulator.serial();
    EXPECT_EQ(identify(*again).result, 0);
}

}  // namespace
}  // namespace kalvero
