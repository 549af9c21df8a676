// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/Cp1250.h"
#include "data/RecordFiles.h"
#include "data/RecordFormat.h"
#include "data/ResultText.h"
#include "data/WholeFiles.h"
#include "tests/FailingSinks.h"
#include "tests/Files.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

using test::put;
using test::slurp;

namespace fs = std::filesystem;

class AnsweringQuestion final : public Question {
public:
    bool answer = false;
    std::vector<std::string> asked;
    bool ask(const std::string& caption, const std::string& text) override {
        asked.push_back(caption + "|" + text);
        return answer;
    }
};

// Four lines: width, enabled and a text padded to 40.
std::string tail(const std::array<std::string, 4>& texts, const std::string& flags = "00000000") {
    std::string t;
    for (int k = 0; k < 4; ++k) {
        if (k > 0) {
            t += '\t';
        }
        t += std::string(1, flags[2 * k]) + "\t" + flags[2 * k + 1] + "\t" + texts[k] +
             std::string(40 - texts[k].size(), ' ');
    }
    return t;
}

class RecordFilesTest : public ::testing::Test {
protected:
    struct Line {
        ResultCode rc;
        std::string text;
        std::uint8_t width;
        std::uint8_t enabled;
    };
    Line readLine(std::uint8_t n, std::uint8_t k) {
        Line line{0, "untouched", 9, 9};
        line.rc = files.ReadFooterLineFromFile(n, k, line.text, line.width, line.enabled);
        return line;
    }

    test::TempDir tmp;
    FileNames names = test::DataFilesIn(tmp);
    std::uint8_t offlineMode = 1;
    AnsweringQuestion question;
    RecordFiles files{names, offlineMode, question};
};

TEST_F(RecordFilesTest, StoringAFooterAppendsItThenOverwritesItInPlace) {
    CreateDefaultFile(names, names.FooterFileName);
    ASSERT_EQ(files.WriteFooterRecordToFile(7, tail({"Dzi\xEAkujemy", "", "", ""}, "11000000")), 0);
    EXPECT_EQ(fs::file_size(names.FooterFileName), 382u);
    ASSERT_EQ(files.WriteFooterRecordToFile(7, tail({"Zapraszamy", "", "", "ostatnia"})), 0);
    EXPECT_EQ(fs::file_size(names.FooterFileName), 382u);
    const std::string content = slurp(names.FooterFileName);
    EXPECT_EQ(content.substr(196, 5), "$007\t");
    EXPECT_EQ(content.substr(380), "\r\n");

    const Line one = readLine(7, 1);
    EXPECT_EQ(one.rc, 0);
    EXPECT_EQ(one.text, "Zapraszamy" + std::string(30, ' '));
    const Line four = readLine(7, 4);
    EXPECT_EQ(four.text, "ostatnia" + std::string(32, ' '));
    EXPECT_EQ(files.CachedFooterRecord().size(), 186u);
}

TEST_F(RecordFilesTest, LinesTwoToFourComeFromTheRecordReadForLineOne) {
    CreateDefaultFile(names, names.FooterFileName);
    files.WriteFooterRecordToFile(9, tail({"a", "b", "c", "d"}, "01102111"));
    ASSERT_EQ(readLine(9, 1).rc, 0);
    fs::remove(names.FooterFileName);  // line 2 no longer needs the file
    const Line two = readLine(9, 2);
    EXPECT_EQ(two.rc, 0);
    EXPECT_EQ(two.text, "b" + std::string(39, ' '));
    EXPECT_EQ(two.width, 1);
    EXPECT_EQ(two.enabled, 0);
    const Line three = readLine(9, 3);
    EXPECT_EQ(three.width, 2) << "the digit's value; any non-zero counts as set";
    EXPECT_EQ(three.enabled, 1);
}

TEST_F(RecordFilesTest, ReadingFootersReportsEveryFailureAsAByteCode) {
    EXPECT_EQ(readLine(1, 1).rc, 255) << "missing file";
    const Line line2 = readLine(1, 2);
    EXPECT_EQ(line2.rc, 253) << "no line 1 read before";
    EXPECT_EQ(line2.text, "untouched");
    put(names.FooterFileName, "#1\r\n#\r\n#\r\n");
    EXPECT_EQ(readLine(1, 1).rc, 253) << "header only";
    CreateDefaultFile(names, names.FooterFileName);
    EXPECT_EQ(readLine(5, 1).rc, 253) << "footer not in the file";
    EXPECT_EQ(readLine(0, 5).rc, 255);
    fs::remove(names.FooterFileName);
    fs::create_directory(names.FooterFileName);
    EXPECT_EQ(readLine(0, 1).rc, 254) << "a directory cannot be opened";
}

TEST_F(RecordFilesTest, AFlagThatIsNoDigitIsMalformedAndSetsNothing) {
    CreateDefaultFile(names, names.FooterFileName);
    files.WriteFooterRecordToFile(3, tail({"x", "y", "", ""}, "0000x000"));
    const Line one = readLine(3, 1);
    EXPECT_EQ(one.rc, 0);
    const Line three = readLine(3, 3);
    EXPECT_EQ(three.rc, 255);
    EXPECT_EQ(three.width, 9);
}

TEST_F(RecordFilesTest, AFooterTailOfTheWrongLengthIsRefusedAndNothingIsWritten) {
    CreateDefaultFile(names, names.FooterFileName);
    EXPECT_EQ(files.WriteFooterRecordToFile(1, "too short"), 255);
    EXPECT_EQ(fs::file_size(names.FooterFileName), 196u);
    EXPECT_EQ(files.WriteFooterRecordToFile(1, tail({"", "", "", ""})), 0);
    fs::remove(names.FooterFileName);
    EXPECT_EQ(files.WriteFooterRecordToFile(1, tail({"", "", "", ""})), 255);
    EXPECT_FALSE(fs::exists(names.FooterFileName)) << "a footer write never creates the file";
}

TEST_F(RecordFilesTest, BindingsAreOverwrittenInPlaceOrAppendedOnTheStride) {
    CreateDefaultFile(names, names.BindingFileName);
    ASSERT_EQ(files.WriteBindingToFile(9983, 200), 0);
    std::uint8_t footer = 0;
    EXPECT_EQ(files.ReadBindingFromFile(9983, footer), 0);
    EXPECT_EQ(footer, 200);
    EXPECT_EQ(fs::file_size(names.BindingFileName), 109823u);

    // A file read up to PLU 100, then two new PLUs appended: both found again.
    std::string upTo100 = "#\r\n#\r\n#\r\n";
    for (int plu = 1; plu <= 100; ++plu) {
        char r[16];
        std::snprintf(r, sizeof r, "$%04d\t%03d\r\n", plu, plu % 7);
        upTo100 += r;
    }
    put(names.BindingFileName, upTo100);
    ASSERT_EQ(files.WriteBindingToFile(500, 5), 0);
    ASSERT_EQ(files.WriteBindingToFile(300, 3), 0);
    EXPECT_EQ(fs::file_size(names.BindingFileName), 9u + 102 * 11);
    EXPECT_EQ(files.ReadBindingFromFile(500, footer), 0);
    EXPECT_EQ(footer, 5);
    EXPECT_EQ(files.ReadBindingFromFile(300, footer), 0);
    EXPECT_EQ(footer, 3);
    EXPECT_EQ(files.ReadBindingFromFile(13, footer), 0);
    EXPECT_EQ(footer, 6);
    EXPECT_TRUE(question.asked.empty());
}

TEST_F(RecordFilesTest, AMissingBindingFileIsCreatedOnlyOfflineAndOnYes) {
    question.answer = false;
    EXPECT_EQ(files.WriteBindingToFile(1, 2), 255);
    ASSERT_EQ(question.asked.size(), 1u);
    EXPECT_EQ(question.asked[0], "Brak pliku|Czy utworzyc plik z danymi o wi\xB9zaniach?");
    EXPECT_FALSE(fs::exists(names.BindingFileName));

    offlineMode = 0;
    EXPECT_EQ(files.WriteBindingToFile(1, 2), 255);
    EXPECT_EQ(question.asked.size(), 1u) << "online: no question";

    offlineMode = 1;
    question.answer = true;
    EXPECT_EQ(files.WriteBindingToFile(1, 2), 0);
    EXPECT_EQ(fs::file_size(names.BindingFileName), 109823u);
    EXPECT_EQ(slurp(names.BindingFileName).substr(10, 11), "$0001\t002\r\n");
}

TEST_F(RecordFilesTest, RecordWritesThatFailPartWayLeaveTheFileAsItWas) {
    const test::FailingSinks full(100);
    RecordFiles failing{names, offlineMode, question, full};
    CreateDefaultFile(names, names.FooterFileName);
    CreateDefaultFile(names, names.BindingFileName);
    const std::string footers = slurp(names.FooterFileName);
    const std::string bindings = slurp(names.BindingFileName);
    EXPECT_EQ(failing.WriteFooterRecordToFile(7, tail({"siedem", "", "", ""})), 253) << "append";
    EXPECT_EQ(failing.WriteFooterRecordToFile(0, tail({"zero", "", "", ""})), 253) << "in place";
    EXPECT_EQ(slurp(names.FooterFileName), footers);
    ASSERT_TRUE(failing.fileError());
    EXPECT_EQ(failing.fileError()->name, names.FooterFileName);

    const test::FailingSinks almostFull(4);
    RecordFiles binding{names, offlineMode, question, almostFull};
    EXPECT_EQ(binding.WriteBindingToFile(5, 7), 253);
    EXPECT_EQ(binding.WriteBindingToFile(9983 + 1, 7), 253) << "append";
    EXPECT_EQ(slurp(names.BindingFileName), bindings);

    // A binding file that cannot be created is reported as such, not as a bad format.
    fs::remove(names.BindingFileName);
    question.answer = true;
    EXPECT_EQ(failing.WriteBindingToFile(5, 7), 254);
    ASSERT_TRUE(failing.fileError());
    EXPECT_EQ(failing.fileError()->name, names.BindingFileName);
    EXPECT_FALSE(fs::exists(names.BindingFileName));
}

TEST_F(RecordFilesTest, AFooterTextWithAControlCharacterIsNeitherStoredNorRead) {
    CreateDefaultFile(names, names.FooterFileName);
    const std::string before = slurp(names.FooterFileName);
    EXPECT_EQ(files.WriteFooterRecordToFile(3, tail({"ab\ncd", "", "", ""})), 255);
    EXPECT_EQ(files.WriteFooterRecordToFile(3, tail({"", "", "", "ab\x7F"})), 255);
    EXPECT_EQ(slurp(names.FooterFileName), before);
    put(names.FooterFileName, before + "$004\t" + tail({"", "tab\x01", "", ""}) + "\r\n");
    EXPECT_EQ(readLine(4, 1).rc, 0);
    EXPECT_EQ(readLine(4, 2).rc, 255);
}

TEST_F(RecordFilesTest, ReadingBindingsReportsMissingRecordsAndBadFields) {
    std::uint8_t footer = 77;
    EXPECT_EQ(files.ReadBindingFromFile(1, footer), 255) << "missing file";
    put(names.BindingFileName, "#\r\n$0001\t00A\r\n$0002\t256\r\n$0003\t255\r\n");
    EXPECT_EQ(files.ReadBindingFromFile(1, footer), 255) << "a letter";
    EXPECT_EQ(files.ReadBindingFromFile(2, footer), 255) << "256 does not fit a byte";
    EXPECT_EQ(files.ReadBindingFromFile(3, footer), 0);
    EXPECT_EQ(footer, 255);
    footer = 77;
    EXPECT_EQ(files.ReadBindingFromFile(4, footer), 253) << "not in the file";
    EXPECT_EQ(footer, 77);
    EXPECT_EQ(files.WriteBindingToFile(10000, 1), 255) << "five digits would break the stride";
}

TEST_F(RecordFilesTest, AFileEndingInsideARecordTakesNoAppendedRecord) {
    // Appended after the stray bytes, the record would sit off the stride and never
    // be found again: the write would be lost while reported as done.
    put(names.BindingFileName, "#\r\n$0001\t000\r\n$00");
    EXPECT_EQ(files.WriteBindingToFile(1, 9), 0) << "records before the damage still change";
    EXPECT_EQ(slurp(names.BindingFileName), "#\r\n$0001\t009\r\n$00");
    EXPECT_EQ(files.WriteBindingToFile(2, 9), 255);
    EXPECT_EQ(slurp(names.BindingFileName), "#\r\n$0001\t009\r\n$00");
    std::uint8_t footer = 0;
    EXPECT_EQ(files.ReadBindingFromFile(2, footer), 255);

    put(names.FooterFileName, "#1\r\n#\r\n#\r\n" + std::string("$000") +
                                  tail({"", "", "", ""}).insert(0, "\t") + "\r\n\r\n");
    EXPECT_EQ(files.WriteFooterRecordToFile(4, tail({"x", "", "", ""})), 255)
        << "an empty line at the end";
    EXPECT_EQ(files.WriteFooterRecordToFile(0, tail({"x", "", "", ""})), 0);
}

TEST(ResultText, EveryCodeHasItsTextByteForByte) {
    EXPECT_EQ(ResultText(0), "OK");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(-1)), "Podany plik nie istnieje");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(-2)), "Nie udało się otworzyc podanego pliku");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(-3)), "Nie odczytano żądanej liczby danych");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(20)),
              "Urządzenie niepodłączone lub niewłączone (timeout nadawania)");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(21)),
              "Nie odebrano danych z urządzenia (timeout odbierania)");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(23)),
              "Odebrano niepoprawne dane z kasy (znak różny od ACK/NAK)");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(24)), "Nie można wykonac rozkazu (NAK)");
    EXPECT_EQ(ResultText(254), "Nie otwarto pliku");
    EXPECT_EQ(ResultText(255), "Bledny format pliku");
    EXPECT_EQ(ResultText(21).substr(24, 2), "z\xB9") << "Windows-1250 inside";
}

TEST(ResultText, OtherCodesAreNumberedAfterTwoBlanks) {
    EXPECT_EQ(ResultText(22),
              "B\xB3\xB9"
              "d numer  22");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(253)), "Błąd numer  253");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(256)), "Błąd numer  256");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(-4)), "Błąd numer  -4");
    EXPECT_EQ(Cp1250ToUtf8(ResultText(5)), "Błąd numer  5");
}

TEST(Cp1250, EveryByteSurvivesTheRoundTripThroughUnicode) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const auto back = Utf8ToCp1250(Cp1250ToUtf8(byte));
        ASSERT_TRUE(back.has_value()) << b;
        EXPECT_EQ(*back, byte) << b;
    }
    EXPECT_EQ(
        Cp1250ToUtf8("\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"),
        "ĄĆĘŁŃÓŚŹŻąćęłńóśźż");
    EXPECT_FALSE(Utf8ToCp1250("日本").has_value()) << "refused, never replaced";
    EXPECT_FALSE(Utf8ToCp1250("\xC3").has_value()) << "malformed UTF-8";
    EXPECT_EQ(*Utf8ToCp1250("€"), "\x80");
}

}  // namespace
}  // namespace kalvero
