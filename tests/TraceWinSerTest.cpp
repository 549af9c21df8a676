// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "link/Identification.h"
#include "link/PrinterCommands.h"
#include "tests/ScriptedWinSer.h"
#include "tests/TempDir.h"
#include "link/TraceWinSer.h"

using ::testing::ElementsAre;

namespace kalvero {
namespace {

using test::ScriptedWinSer;

class NoQuestion final : public Question {
public:
    bool ask(const std::string&, const std::string&) override { return false; }
};

void scriptPrinter(ScriptedWinSer& printer) {
    printer.reply(OpIdentify, {0x25, 0x01});
    printer.reply(OpReadVersion, {0x31, 0x00});
    printer.reply(OpReadPrinterNumber, {'0', '7', 0x00});
    printer.reply(OpReadFooterLine, {0x00});
    printer.further = {0x00, kFlagEnabled};
    printer.further.insert(printer.further.end(), 40, 'A');
}

// Everything an identification on COM3 at 19200, channel 2, and a read of footer 7
// line 2 hand back, as one text; the port is closed at the end.
std::string identifyAndReadFooterLine(WinSer& serial) {
    PrinterIdentity identity;
    const ResultCode identified = IdentifyPrinter(
        serial, [] { return 2; }, 3, 19200, identity);
    FileNames names;
    const std::uint8_t online = 0;
    NoQuestion question;
    RecordFiles files(names, online, question);
    std::string text;
    std::uint8_t width20 = 9;
    std::uint8_t enabled = 9;
    const ResultCode read =
        PrinterCommands(serial, files).ReadFooterLine(0, 7, 2, text, width20, enabled);
    serial.UnInitializePort();
    return std::to_string(identified) + " " + std::to_string(identity.version) + " " +
           identity.numberText + " " + std::to_string(read) + " " + text + " " +
           std::to_string(width20) + std::to_string(enabled);
}

// hh:mm:ss.mmm and a blank (a regular expression would not read the same everywhere).
bool startsWithTimeOfDay(const std::string& line) {
    const std::string shape = "00:00:00.000 ";
    if (line.size() < shape.size()) {
        return false;
    }
    for (std::size_t i = 0; i < shape.size(); ++i) {
        const bool digit = line[i] >= '0' && line[i] <= '9';
        if (shape[i] == '0' ? !digit : line[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

// The trace's lines without their time of day.
std::vector<std::string> linesAfterTime(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        EXPECT_TRUE(startsWithTimeOfDay(line)) << line;
        lines.push_back(line.substr(13));
    }
    return lines;
}

TEST(TraceWinSer, ForwardsEveryCallUnchangedAndAppendsOneLinePerExchange) {
    ScriptedWinSer plain;
    scriptPrinter(plain);
    ScriptedWinSer printer;
    scriptPrinter(printer);
    const test::TempDir tmp;
    std::ofstream(tmp / "trace.txt") << "09:00:00.000 COM1 9600  close\n";
    std::string reason;
    const auto traced = TraceWinSer::open(printer, tmp / "trace.txt", reason);
    ASSERT_NE(traced, nullptr) << reason;

    EXPECT_EQ(identifyAndReadFooterLine(*traced), identifyAndReadFooterLine(plain));
    EXPECT_EQ(printer.calls, plain.calls);
    EXPECT_EQ(printer.sent, plain.sent);

    // Read while the trace is still open: every line is on disk once the port closed.
    std::vector<std::string> expected = {
        "COM1 9600  close",
        "COM3 19200  open  0 OK",
        "COM3 19200  DTR 1",
        "COM3 19200  RTS 1",
        "COM3 19200  FF  < 25 01  0 OK",
        "COM3 19200  5B  < 31 00  0 OK",
        "COM3 19200  C0  < 30 37 00  0 OK",
        "COM3 19200  2B > 07 01  < 00  0 OK",
        "COM3 19200  read  < 00 08",
        "COM3 19200  close",
    };
    for (int i = 0; i < 40; ++i) {
        expected[8].append(" 41");
    }
    EXPECT_EQ(linesAfterTime(tmp / "trace.txt"), expected);
}

TEST(TraceWinSer, FailuresShowCodeAndTextOnlyAndReadBytesAreKeptToTheEnd) {
    ScriptedWinSer printer;
    printer.initResult = 3;
    printer.reply(OpStatusA, {0x55}, 21);
    printer.reply(OpReadFooterLine, {0x55}, 20);
    printer.further = {0x4A};
    const test::TempDir tmp;
    std::string reason;
    auto traced = TraceWinSer::open(printer, tmp / "trace.txt", reason);
    ASSERT_NE(traced, nullptr) << reason;
    SerialBuffer answer{};
    SerialBuffer send{7, 1};
    std::uint8_t byte = 0;

    EXPECT_EQ(traced->iInitializePort(1, 9600, 5, 5), 3);
    EXPECT_EQ(traced->RSSequence(OpStatusA, 1, 0, answer, send), 21);
    EXPECT_EQ(traced->RSSequence(OpReadFooterLine, 1, 2, answer, send), 20);
    EXPECT_EQ(traced->ReadByte(byte), 1);
    EXPECT_EQ(byte, 0x4A);
    EXPECT_EQ(traced->ReadByte(byte), 0);
    printer.further = {0x4B};
    EXPECT_EQ(traced->ReadByte(byte), 1);
    traced->UnInitializePort();
    traced.reset();

    EXPECT_THAT(
        linesAfterTime(tmp / "trace.txt"),
        ElementsAre("COM1 9600  open  3 Błąd numer  3",
                    "COM1 9600  9B  21 Nie odebrano danych z urządzenia (timeout odbierania)",
                    "COM1 9600  2B > 07 01  20 Urządzenie niepodłączone lub niewłączone "
                    "(timeout nadawania)",
                    "COM1 9600  read  < 4A",
                    "COM1 9600  read  21 Nie odebrano danych z urządzenia (timeout odbierania)",
                    "COM1 9600  read  < 4B"));
}

// Someone watching the trace (tail -f) sees each exchange soon after it, while the port
// is still open and nothing else happens, the bytes read last included.
TEST(TraceWinSer, LinesReachTheFileWhileThePortStaysOpen) {
    ScriptedWinSer printer;
    printer.reply(OpReadFooterLine, {0x00});
    printer.further = {0x00, 0x08};
    const test::TempDir tmp;
    std::string reason;
    const auto traced = TraceWinSer::open(printer, tmp / "trace.txt", reason);
    ASSERT_NE(traced, nullptr) << reason;
    SerialBuffer answer{};
    const SerialBuffer send{7, 1};
    std::uint8_t byte = 0;

    ASSERT_EQ(traced->iInitializePort(3, 19200, 5, 5), 0);
    ASSERT_EQ(traced->RSSequence(OpReadFooterLine, 1, 2, answer, send), 0);
    ASSERT_EQ(traced->ReadByte(byte), 1);
    ASSERT_EQ(traced->ReadByte(byte), 1);

    const std::vector<std::string> expected = {
        "COM3 19200  open  0 OK",
        "COM3 19200  2B > 07 01  < 00  0 OK",
        "COM3 19200  read  < 00 08",
    };
    // A quarter of a second is what is promised; the wait is longer only so that a
    // busy machine does not fail the test.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    std::vector<std::string> lines;
    while ((lines = linesAfterTime(tmp / "trace.txt")) != expected &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(printer.calls.back(), "ReadByte");
}

TEST(TraceWinSer, AFileThatCannotBeOpenedIsReported) {
    ScriptedWinSer printer;
    const test::TempDir tmp;
    std::string reason;
    EXPECT_EQ(TraceWinSer::open(printer, tmp / "missing" / "trace.txt", reason), nullptr);
    EXPECT_EQ(reason, "No such file or directory");
}

}  // namespace
}  // namespace kalvero
