// SPDX-License-Identifier: MIT
// The printer commands through the real port layer against the emulator.

#include <gtest/gtest.h>

#include "tests/EmulatedPrinter.h"
#include "link/Identification.h"
#include "link/PrinterCommands.h"

namespace kalvero {
namespace {

class NoQuestion final : public Question {
public:
    bool ask(const std::string&, const std::string&) override { return false; }
};

class PrinterEndToEnd : public ::testing::Test {
protected:
    void connect(test::EmulatedPrinter& emulator) {
        serial = emulator.serial();
        PrinterIdentity identity;
        ASSERT_EQ(IdentifyPrinter(
                      *serial, [] { return 1; }, 1, 9600, identity),
                  0);
        commands = std::make_unique<PrinterCommands>(*serial, files);
    }

    FileNames names;
    std::uint8_t offline = 0;
    NoQuestion question;
    RecordFiles files{names, offline, question};
    std::unique_ptr<QtWinSer> serial;
    std::unique_ptr<PrinterCommands> commands;
};

TEST_F(PrinterEndToEnd, EveryKindOfLineAndBindingReadsBackAsWritten) {
    test::EmulatedPrinter emulator;
    connect(emulator);
    const std::string polish =
        "Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1 \xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF";
    struct Line {
        std::uint8_t footer, line;
        std::string text;
        std::uint8_t width20, enabled;
    };
    const std::vector<Line> lines = {
        {0, 1, polish, 0, 1},
        {7, 2, "Dzi\xEAkujemy za zakupy!", 1, 1},
        {200, 4, std::string(40, 'x'), 0, 0},
        {100, 3, "", 1, 0},
    };
    for (const Line& l : lines) {
        ASSERT_EQ(commands->WriteFooterLine(0, l.footer, l.line, l.text, l.width20, l.enabled), 0);
    }
    for (const Line& l : lines) {
        std::string text;
        std::uint8_t width20 = 9;
        std::uint8_t enabled = 9;
        ASSERT_EQ(commands->ReadFooterLine(0, l.footer, l.line, text, width20, enabled), 0);
        const std::size_t width = l.width20 ? 20 : 40;
        std::string expected = l.text.substr(0, width);
        expected.resize(40, ' ');
        EXPECT_EQ(text, expected) << int(l.footer);
        EXPECT_EQ(width20, l.width20);
        EXPECT_EQ(enabled, l.enabled);
    }
    EXPECT_EQ(emulator.printer().memory().footers[0][0].text[2], 0xBE) << "ż in code page 852";

    for (const auto& [plu, footer] :
         std::vector<std::pair<std::uint16_t, std::uint8_t>>{{1, 200}, {300, 17}, {9983, 1}}) {
        ASSERT_EQ(commands->WriteBinding(0, plu, footer), 0);
        std::uint8_t back = 0;
        ASSERT_EQ(commands->ReadBinding(0, plu, back), 0);
        EXPECT_EQ(back, footer);
    }
}

TEST_F(PrinterEndToEnd, ThePrintersRefusalsComeBackAsTheirStatus) {
    test::EmulatedPrinter emulator;
    connect(emulator);
    EXPECT_EQ(commands->WriteBinding(0, 9984, 1), 3);
    EXPECT_EQ(commands->WriteFooterLine(0, 201, 1, "x", 0, 0), 3);
    std::uint8_t footer = 0;
    EXPECT_EQ(commands->ReadBinding(0, 0, footer), 3);

    std::string name = "unchanged";
    EXPECT_EQ(commands->ReadItemName(0, 0, name), 5);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(commands->ReadItemName(0, 5000, name), 0);
    EXPECT_EQ(name, "BRAK NAZWY TOWARU");
    EXPECT_EQ(commands->ReadItemName(0, 2, name), 0);
    EXPECT_EQ(name, "MAS\xA3O EKSTRA      ");
}

TEST_F(PrinterEndToEnd, APrinterThatFallsSilentMidCommandGivesACodeAndTheLinkRecovers) {
    test::EmulatedPrinter emulator(oru::PrinterMemory::factory(),
                                   {.errorStatus = 0x66, .faultsFrom = 4});
    connect(emulator);
    std::string name = "unchanged";
    EXPECT_EQ(commands->ReadItemName(0, 1, name), 0) << "0x66: no record follows";
    EXPECT_EQ(name, "BRAK NAZWY TOWARU");
    std::uint8_t footer = 0;
    EXPECT_EQ(commands->ReadBinding(0, 1, footer), 0x66);
    std::array<std::uint8_t, 4> status{};
    EXPECT_EQ(commands->ReadPrinterStatus(status), 0);
    EXPECT_EQ(status[0], 0x10);
}

TEST_F(PrinterEndToEnd, AHangUpInTheMiddleOfAnswersGivesACodeNotAHang) {
    test::EmulatedPrinter emulator(oru::PrinterMemory::factory(), {.hangUpAfter = 4});
    connect(emulator);
    std::uint8_t footer = 0;
    EXPECT_EQ(commands->ReadBinding(0, 1, footer), 0);
    std::string text;
    std::uint8_t width20 = 0;
    std::uint8_t enabled = 0;
    EXPECT_EQ(commands->ReadFooterLine(0, 1, 1, text, width20, enabled), 20);
    EXPECT_EQ(commands->WriteBinding(0, 1, 1), 20);
}

}  // namespace
}  // namespace kalvero
