// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "data/WholeFiles.h"
#include "link/PrinterCommands.h"
#include "tests/ScriptedWinSer.h"
#include "tests/TempDir.h"

using ::testing::ElementsAre;

namespace kalvero {
namespace {

using Bytes = std::vector<std::uint8_t>;

class NoQuestion final : public Question {
public:
    bool ask(const std::string&, const std::string&) override { return false; }
};

class PrinterCommandsTest : public ::testing::Test {
protected:
    void further(const Bytes& bytes) {
        serial.further.insert(serial.further.end(), bytes.begin(), bytes.end());
    }

    test::ScriptedWinSer serial;
    test::TempDir tmp;
    FileNames names = test::DataFilesIn(tmp);
    std::uint8_t offline = 1;
    NoQuestion question;
    RecordFiles files{names, offline, question};
    PrinterCommands commands{serial, files};
};

TEST(PrinterCharset, ConvertsExactlyTheEighteenLettersBothWays) {
    const Bytes win = {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF,
                       0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0x9F, 0xBF};
    const Bytes dos = {0xA4, 0x8F, 0xA8, 0x9D, 0xE3, 0xE0, 0x97, 0x8D, 0xBD,
                       0xA5, 0x86, 0xA9, 0x88, 0xE4, 0xA2, 0x98, 0xAB, 0xBE};
    for (std::size_t i = 0; i < win.size(); ++i) {
        EXPECT_EQ(ToPrinterCharset(win[i]), dos[i]);
        EXPECT_EQ(FromPrinterCharset(dos[i]), win[i]);
    }
    int converted = 0;
    for (int b = 0; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        const bool letter = std::find(win.begin(), win.end(), byte) != win.end();
        const bool code = std::find(dos.begin(), dos.end(), byte) != dos.end();
        converted += ToPrinterCharset(byte) != byte ? 1 : 0;
        if (!letter && !code) {
            EXPECT_EQ(ToPrinterCharset(byte), byte) << b;
            EXPECT_EQ(FromPrinterCharset(byte), byte) << b;
        }
        if (letter || !code) {
            EXPECT_EQ(FromPrinterCharset(ToPrinterCharset(byte)), byte) << b;
        }
    }
    EXPECT_EQ(converted, 18);
    EXPECT_EQ(ToPrinterCharset(0xA4), 0xA4)
        << "not a letter here, though the printer shows it as Ą";
}

TEST_F(PrinterCommandsTest, ATwentyCharacterLineSendsItsFlagsConvertedLettersAndBlanks) {
    serial.reply(OpWriteFooterLine, {0x2A});
    further({0});
    EXPECT_EQ(commands.WriteFooterLine(0, 7, 2, "Dzi\xEAkujemy", 1, 1), 0);
    ASSERT_EQ(serial.calls.front(), "RS 2a 1 22");
    EXPECT_EQ(serial.sent[0], (Bytes{0x07, 0x0D, 'D', 'z', 'i', 0xA9, 'k', 'u', 'j', 'e', 'm',
                                     'y',  ' ',  ' ', ' ', ' ', ' ',  ' ', ' ', ' ', ' ', ' '}));
}

TEST_F(PrinterCommandsTest, AFortyCharacterLineSendsFortyCharactersOfALongerText) {
    serial.reply(OpWriteFooterLine, {0x2A});
    further({0});
    const std::string text = std::string(40, 'a') + "bcdef";
    EXPECT_EQ(commands.WriteFooterLine(0, 200, 4, text, 0, 0), 0);
    ASSERT_EQ(serial.calls.front(), "RS 2a 1 42");
    EXPECT_EQ(serial.sent[0][1], 0x03);
    EXPECT_EQ(serial.sent[0][41], 'a');
}

TEST_F(PrinterCommandsTest, WritesReturnThePrintersStatusAndItsAbsenceAs21) {
    serial.reply(OpWriteFooterLine, {0x2A});
    further({0x42});
    EXPECT_EQ(commands.WriteFooterLine(0, 1, 1, "x", 0, 1), 0x42);
    serial.reply(OpWriteBinding, {0x1E});
    EXPECT_EQ(commands.WriteBinding(0, 1, 1), 21) << "no status byte";
    serial.reply(OpWriteBinding, {0x1E}, 24);
    EXPECT_EQ(commands.WriteBinding(0, 1, 1), 24);
}

TEST_F(PrinterCommandsTest, PluThreeHundredTravelsLowByteFirst) {
    serial.reply(OpWriteBinding, {0x1E});
    further({0});
    EXPECT_EQ(commands.WriteBinding(0, 300, 17), 0);
    EXPECT_EQ(serial.sent[0], (Bytes{0x2C, 0x01, 17}));
    serial.reply(OpReadBinding, {0x1F});
    further({0, 17});
    std::uint8_t footer = 0;
    EXPECT_EQ(commands.ReadBinding(0, 300, footer), 0);
    EXPECT_EQ(serial.sent[1], (Bytes{0x2C, 0x01}));
    EXPECT_EQ(footer, 17);
}

TEST_F(PrinterCommandsTest, ABindingReadWithAStatusReadsNoFooter) {
    serial.reply(OpReadBinding, {0x1F});
    further({3, 99});
    std::uint8_t footer = 7;
    EXPECT_EQ(commands.ReadBinding(0, 10000, footer), 3);
    EXPECT_EQ(footer, 7);
    EXPECT_EQ(serial.further.size(), 1u) << "the footer byte was not asked for";
    serial.further.clear();
    serial.reply(OpReadBinding, {0x1F});
    further({0});
    EXPECT_EQ(commands.ReadBinding(0, 1, footer), 21);
    EXPECT_EQ(footer, 7);
}

TEST_F(PrinterCommandsTest, ATwentyCharacterLineReadsAsFortyWithBlanksBeyondTwenty) {
    serial.reply(OpReadFooterLine, {0x2B});
    Bytes answer{0x00, 0x04};
    for (int i = 0; i < 40; ++i) {
        answer.push_back(i < 20 ? 0xA5 : 'X');  // ą in code page 852, then noise
    }
    further(answer);
    std::string text = "old";
    std::uint8_t width20 = 9;
    std::uint8_t enabled = 9;
    EXPECT_EQ(commands.ReadFooterLine(0, 5, 3, text, width20, enabled), 0);
    EXPECT_EQ(serial.sent[0], (Bytes{5, 2}));
    EXPECT_EQ(width20, 1);
    EXPECT_EQ(enabled, 0);
    EXPECT_EQ(text, std::string(20, '\xB9') + std::string(20, ' '));
}

TEST_F(PrinterCommandsTest, AFortyCharacterLineReadsEveryByteConverted) {
    serial.reply(OpReadFooterLine, {0x2B});
    Bytes answer{0x00, 0x0B};
    for (int i = 0; i < 40; ++i) {
        answer.push_back(static_cast<std::uint8_t>('A' + i % 26));
    }
    answer[41] = 0x88;  // ł
    answer[2] = 0x00;   // a control byte reads as a blank: it would split the file's record
    answer[3] = 0x09;
    further(answer);
    std::string text;
    std::uint8_t width20 = 9;
    std::uint8_t enabled = 9;
    EXPECT_EQ(commands.ReadFooterLine(0, 5, 4, text, width20, enabled), 0);
    EXPECT_EQ(width20, 0);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(text.size(), 40u);
    EXPECT_EQ(text.substr(0, 3), "  C");
    EXPECT_EQ(text[39], '\xB3');
}

TEST_F(PrinterCommandsTest, ALineCutShortAfterItsFlagsSetsTheFlagsButKeepsTheText) {
    serial.reply(OpReadFooterLine, {0x2B});
    further({0x00, 0x08, 'a', 'b'});
    std::string text = "old";
    std::uint8_t width20 = 9;
    std::uint8_t enabled = 9;
    EXPECT_EQ(commands.ReadFooterLine(0, 1, 1, text, width20, enabled), 21);
    EXPECT_EQ(width20, 0);
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(text, "old");
}

TEST_F(PrinterCommandsTest, ItemNamesFollowTheirStatus) {
    std::string name = "unchanged";
    serial.reply(OpReadItemName, {0xAC});
    further({0x66});
    EXPECT_EQ(commands.ReadItemName(0, 12, name), 0);
    EXPECT_EQ(name, "BRAK NAZWY TOWARU");
    EXPECT_TRUE(serial.further.empty());

    name = "unchanged";
    serial.reply(OpReadItemName, {0xAC});
    further({5, 'x'});
    EXPECT_EQ(commands.ReadItemName(0, 12, name), 5);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(serial.further.size(), 1u) << "no record read";
    serial.further.clear();

    serial.reply(OpReadItemName, {0xAC});
    Bytes record{3};  // any other status: a record follows
    const std::string cp852 = "MAS\x9DO EKSTRA";
    for (std::size_t i = 0; i < 35; ++i) {
        record.push_back(i < cp852.size() ? static_cast<std::uint8_t>(cp852[i]) : ' ');
    }
    further(record);
    EXPECT_EQ(commands.ReadItemName(0, 300, name), 0);
    EXPECT_EQ(serial.sent.back(), (Bytes{0x2C, 0x01}));
    EXPECT_EQ(name, "MAS\xA3O EKSTRA      ");
    EXPECT_EQ(name.size(), 18u);
}

TEST_F(PrinterCommandsTest, ItemNamesOfflineTouchNothing) {
    std::string name = "unchanged";
    EXPECT_EQ(commands.ReadItemName(1, 12, name), 0);
    EXPECT_EQ(name, "unchanged");
    EXPECT_TRUE(serial.calls.empty());
}

TEST_F(PrinterCommandsTest, StatusBytesAreStoredOneByOneUntilAQueryFails) {
    serial.reply(OpStatusA, {0x3A});
    serial.reply(OpStatusB, {0x01});
    serial.reply(OpStatusC, {0}, 24);
    std::array<std::uint8_t, 4> status{9, 9, 9, 9};
    EXPECT_EQ(commands.ReadPrinterStatus(status), 24);
    EXPECT_EQ(status, (std::array<std::uint8_t, 4>{0x3A, 0x01, 9, 9}));
    EXPECT_THAT(serial.calls, ElementsAre("RS 9b 1 0", "RS 94 1 0", "RS 95 1 0"));
}

TEST_F(PrinterCommandsTest, AnyOtherModeWorksOnTheFilesWithTheSameArguments) {
    CreateDefaultFile(names, names.FooterFileName);
    CreateDefaultFile(names, names.BindingFileName);
    std::string tail;
    for (int k = 0; k < 4; ++k) {
        tail += (k ? "\t" : "") + std::string("1\t1\t") + "linia" + std::to_string(k + 1) +
                std::string(34, ' ');
    }
    EXPECT_EQ(commands.WriteFooterLine(2, 9, 3, tail, 0, 0), 0);
    std::string text;
    std::uint8_t width20 = 0;
    std::uint8_t enabled = 0;
    EXPECT_EQ(commands.ReadFooterLine(1, 9, 1, text, width20, enabled), 0);
    EXPECT_EQ(commands.ReadFooterLine(1, 9, 4, text, width20, enabled), 0);
    EXPECT_EQ(text.substr(0, 6), "linia4");
    EXPECT_EQ(width20, 1);
    EXPECT_EQ(commands.WriteBinding(1, 42, 9), 0);
    std::uint8_t footer = 0;
    EXPECT_EQ(commands.ReadBinding(1, 42, footer), 0);
    EXPECT_EQ(footer, 9);
    EXPECT_EQ(commands.ReadBinding(1, 9984, footer), 253);
    EXPECT_TRUE(serial.calls.empty());
}

}  // namespace
}  // namespace kalvero
