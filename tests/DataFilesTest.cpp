// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/Backups.h"
#include "data/FileReplace.h"
#include "data/RecordAccess.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"
#include "tests/FailingSinks.h"
#include "tests/Files.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

using test::put;
using test::slurp;

namespace fs = std::filesystem;
using test::TempDir;

std::string footerRecord(int n, char width = '0', char enabled = '0', char fill = ' ') {
    std::string number = std::to_string(n);
    std::string record = "$" + std::string(3 - number.size(), '0') + number;
    for (int k = 0; k < 4; ++k) {
        record += std::string("\t") + width + "\t" + enabled + "\t" + std::string(40, fill);
    }
    return record + "\r\n";
}

std::string bindingRecord(int plu, int footer) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%04d\t%03d\r\n", plu, footer);
    return buffer;
}

class DataFilesTest : public ::testing::Test {
protected:
    TempDir tmp;
    FileNames names = test::DataFilesIn(tmp);
};

TEST_F(DataFilesTest, TheDefaultBindingFileHoldsEveryPluBoundToFooterZero) {
    ASSERT_TRUE(CreateDefaultFile(names, names.BindingFileName));
    const std::string content = slurp(names.BindingFileName);
    ASSERT_EQ(content.size(), 109823u);
    EXPECT_EQ(content.substr(0, 10), "#1\r\n#\r\n#\r\n");
    EXPECT_EQ(content.substr(10, 11), "$0001\t000\r\n");
    EXPECT_EQ(content.substr(content.size() - 11), "$9983\t000\r\n");
}

TEST_F(DataFilesTest, TheDefaultFooterFileHoldsFooterZeroBlank) {
    ASSERT_TRUE(CreateDefaultFile(names, names.FooterFileName));
    const std::string content = slurp(names.FooterFileName);
    ASSERT_EQ(content.size(), 196u);
    EXPECT_EQ(content, "#1\r\n#\r\n#\r\n" + footerRecord(0));
}

TEST_F(DataFilesTest, AnyOtherNameGetsTheHeaderOnlyAndTheComparisonIsExact) {
    ASSERT_TRUE(CreateDefaultFile(names, (tmp / "other.txt").string()));
    EXPECT_EQ(slurp(tmp / "other.txt"), "#1\r\n#\r\n#\r\n");
    ASSERT_TRUE(CreateDefaultFile(names, (tmp / "WIAZPLU.TXT").string()));
    EXPECT_EQ(slurp(tmp / "WIAZPLU.TXT").size(), 10u);
}

TEST_F(DataFilesTest, CreatingNeverEmptiesAFileAndReportsOneItCannotWrite) {
    put(names.FooterFileName, std::string(1000, 'x'));
    FileError error;
    EXPECT_FALSE(CreateDefaultFile(names, names.FooterFileName, &error));
    EXPECT_EQ(slurp(names.FooterFileName), std::string(1000, 'x')) << "appeared meanwhile";
    EXPECT_EQ(error.reason, std::strerror(EEXIST));
    fs::create_directory(tmp / "dir");
    EXPECT_FALSE(CreateDefaultFile(names, (tmp / "dir").string()));
    EXPECT_FALSE(CreateDefaultFile(names, (tmp / "missing/dir/file").string()));
}

TEST_F(DataFilesTest, FindRecordStartGivesThePositionOfTheFirstDollar) {
    std::int32_t h = -7;
    EXPECT_EQ(FindRecordStart((tmp / "none").string(), h), -1);
    EXPECT_EQ(h, -7);
    fs::create_directory(tmp / "dir");
    EXPECT_EQ(FindRecordStart((tmp / "dir").string(), h), -2);
    put(tmp / "header", "#1\r\n#\r\n#\r\n");
    EXPECT_EQ(FindRecordStart((tmp / "header").string(), h), -3);
    put(tmp / "empty", "");
    EXPECT_EQ(FindRecordStart((tmp / "empty").string(), h), -3);
    put(tmp / "zeros", std::string(500, '\0'));
    EXPECT_EQ(FindRecordStart((tmp / "zeros").string(), h), -3);
    put(tmp / "short", "#\n#\n$0001\t000\r\n");
    EXPECT_EQ(FindRecordStart((tmp / "short").string(), h), 0);
    EXPECT_EQ(h, 5);
    put(tmp / "far", std::string(200000, '#') + "$");
    EXPECT_EQ(FindRecordStart((tmp / "far").string(), h), 0);
    EXPECT_EQ(h, 200001);
}

TEST_F(DataFilesTest, ReadFileRangeAppendsExactlyTheRange) {
    put(tmp / "f", "0123456789");
    std::string text = "ab";
    EXPECT_EQ(ReadFileRange((tmp / "f").string(), 2, 4, text), 0);
    EXPECT_EQ(text, "ab234");
    std::string shortRead;
    EXPECT_EQ(ReadFileRange((tmp / "f").string(), 8, 12, shortRead), -3);
    EXPECT_EQ(ReadFileRange((tmp / "f").string(), 0, 255, shortRead), -3) << "256 bytes";
    EXPECT_EQ(ReadFileRange((tmp / "f").string(), -1, 2, shortRead), -3);
    EXPECT_EQ(ReadFileRange((tmp / "none").string(), 0, 1, shortRead), -2);
    fs::create_directory(tmp / "dir");
    EXPECT_EQ(ReadFileRange((tmp / "dir").string(), 0, 1, shortRead), -2);
}

TEST_F(DataFilesTest, WriteFileRangeWritesInPlaceAndNeverCreates) {
    put(tmp / "f", "0123456789");
    EXPECT_EQ(WriteFileRange((tmp / "f").string(), 3, 5, "abcdef"), 0);
    EXPECT_EQ(slurp(tmp / "f"), "012abc6789");
    EXPECT_EQ(WriteFileRange((tmp / "f").string(), 10, 11, "XY"), 0) << "appending at the end";
    EXPECT_EQ(slurp(tmp / "f"), "012abc6789XY");
    EXPECT_EQ(WriteFileRange((tmp / "f").string(), 0, 3, "zz"), -3) << "text too short";
    EXPECT_EQ(WriteFileRange((tmp / "none").string(), 0, 1, "ab"), -2);
    EXPECT_FALSE(fs::exists(tmp / "none"));
    fs::create_directory(tmp / "dir");
    EXPECT_EQ(WriteFileRange((tmp / "dir").string(), 0, 1, "ab"), -2);
}

TEST_F(DataFilesTest, AWriteThatFailsPartWayLeavesTheFileAsItWas) {
    const std::string file = (tmp / "f").string();
    put(file, "0123456789");
    const test::FailingSinks twoBytesLeft(2);
    FileError error;
    EXPECT_EQ(WriteFileRange(file, 3, 6, "abcd", &error, twoBytesLeft), -3);
    EXPECT_EQ(slurp(file), "0123456789") << "in place: the overwritten bytes are back";
    EXPECT_EQ(error.name, file);
    EXPECT_EQ(error.reason, std::strerror(ENOSPC));
    EXPECT_EQ(WriteFileRange(file, 8, 13, "89WXYZ", &error, twoBytesLeft), -3);
    EXPECT_EQ(slurp(file), "0123456789") << "appending: cut back to the old length";

    EXPECT_FALSE(CreateDefaultFile(names, names.BindingFileName, &error, test::FailingSinks(5000)));
    EXPECT_FALSE(fs::exists(names.BindingFileName)) << "half a default file would pass for one";
    EXPECT_EQ(error.reason, std::strerror(ENOSPC));

    // Records written whole (a snapshot): a write cut short leaves the old file.
    put(names.BindingFileName, "old");
    const std::vector<BindingRecord> records(100, BindingRecord{7, 3});
    const auto cut = WriteBindingFile(names.BindingFileName, records, test::FailingSinks(500));
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut->reason, std::strerror(ENOSPC));
    EXPECT_EQ(slurp(names.BindingFileName), "old");
    EXPECT_FALSE(WriteFooterFile(names.FooterFileName, {FooterRecord{}}));
    EXPECT_EQ(ReadFooterFile(names.FooterFileName).records.size(), 1u);
}

// Replaces the file with content through the one replace; its error, if any.
std::optional<FileError> replaceWith(const std::string& file, const std::string& content,
                                     const Sinks& sinks = Sinks::files()) {
    FileReplace replace(file, sinks);
    if (!replace.isOpen() || !replace.content().append(content)) {
        return replace.contentError();
    }
    return replace.commit();
}

TEST_F(DataFilesTest, ReplacingAFileKeepsTheNewestTwentyWholeGenerations) {
    const std::string file = names.FooterFileName;
    EXPECT_FALSE(replaceWith(file, "v0"));
    EXPECT_TRUE(Backups::generations(file).empty()) << "nothing to keep";
    for (int i = 1; i <= 21; ++i) {
        EXPECT_FALSE(replaceWith(file, "v" + std::to_string(i)));
    }
    auto kept = Backups::generations(file);
    ASSERT_EQ(kept.size(), Backups::kGenerations);
    EXPECT_EQ(slurp(kept.front()), "v1");
    EXPECT_EQ(slurp(kept.back()), "v20");
    EXPECT_EQ(slurp(file), "v21");
    EXPECT_EQ(kept.back().filename().string().rfind("stopki.txt.20", 0), 0u);
    EXPECT_FALSE(fs::exists(file + ".new"));

    // A write that fails part-way leaves the file and its generations as they were.
    const auto failed = replaceWith(file, "v22 is longer", test::FailingSinks(3));
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->name, file);
    EXPECT_EQ(failed->reason, std::strerror(ENOSPC));
    EXPECT_EQ(slurp(file), "v21");
    EXPECT_EQ(Backups::generations(file), kept);
    EXPECT_FALSE(fs::exists(file + ".new"));

    // Generations named and dated by a clock that was ahead: the one just made, which
    // holds the previous file, is not the one removed.
    for (int i = 10; i < 30; ++i) {
        const std::string future = file + ".2030-01-01_00-00-" + std::to_string(i) + ".bak";
        put(future, "future");
        fs::last_write_time(future, fs::file_time_type::clock::now() + std::chrono::hours(35000));
    }
    EXPECT_FALSE(replaceWith(file, "v23"));
    kept = Backups::generations(file);
    EXPECT_EQ(kept.size(), Backups::kGenerations);
    EXPECT_EQ(slurp(kept.front()), "v21");

#ifndef _WIN32  // links are a POSIX matter
    // Names that a generation may take, planted as links: never written through, and
    // not generations.
    const std::string other = names.BindingFileName;
    put(tmp / "victim", "precious");
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now; t <= now + 1; ++t) {
        char stamp[32];
        std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", std::localtime(&t));
        fs::create_symlink(tmp / "victim", other + "." + stamp + ".bak");
    }
    put(other, "bindings");
    EXPECT_FALSE(replaceWith(other, "new bindings"));
    EXPECT_EQ(slurp(tmp / "victim"), "precious");
    ASSERT_EQ(Backups::generations(other).size(), 1u);
    EXPECT_EQ(slurp(Backups::generations(other).front()), "bindings");
#endif
}

#ifndef _WIN32  // fork
// A data file behind a link (to a shared folder, say) is replaced where it lives:
// the link stays, the mode is kept, the backups are kept beside the file; a process
// ended between the steps leaves it whole there; a link to anything but a regular
// file is refused.
TEST_F(DataFilesTest, AFileBehindALinkIsReplacedWhereItLives) {
    struct Ending final : Sinks {
        ReplaceStep at = ReplaceStep::Written;
        void reached(ReplaceStep step) const override {
            if (step == at) {
                ::_exit(0);
            }
        }
    };
    fs::create_directories(tmp / "shared");
    const fs::path real = tmp / "shared/stopki.txt";
    put(real.string(), "old");
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string link = names.FooterFileName;
    fs::create_symlink(real, link);
    EXPECT_FALSE(replaceWith(link, "new"));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(slurp(real.string()), "new");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(Backups::generations(real.string()).size(), 1u);
    EXPECT_TRUE(Backups::generations(link).empty()) << "none beside the link";

    for (const ReplaceStep step :
         {ReplaceStep::Written, ReplaceStep::BackedUp, ReplaceStep::Renamed}) {
        const pid_t child = ::fork();
        if (child == 0) {
            Ending ending;
            ending.at = step;
            replaceWith(link, "newer", ending);
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(slurp(real.string()), step == ReplaceStep::Renamed ? "newer" : "new");
        EXPECT_FALSE(replaceWith(link, "new"));
    }

    for (const fs::path& elsewhere : {fs::path("/dev/null"), tmp / "gone", tmp.path()}) {
        fs::remove(link);
        fs::create_symlink(elsewhere, link);
        const auto refused = replaceWith(link, "x");
        ASSERT_TRUE(refused) << elsewhere;
        EXPECT_NE(refused->reason.find("nie jest zwykłym plikiem"), std::string::npos)
            << refused->reason;
        EXPECT_TRUE(fs::is_symlink(link));
    }
    EXPECT_FALSE(fs::exists(tmp / "gone"));
}

// The process ended between two steps of a replace: the file is whole, old or new,
// every generation is whole, and the next replace drops what was left.
TEST_F(DataFilesTest, AReplaceEndedBetweenAnyTwoStepsLeavesTheFileWhole) {
    struct Ending final : Sinks {
        ReplaceStep at = ReplaceStep::Written;
        void reached(ReplaceStep step) const override {
            if (step == at) {
                ::_exit(0);
            }
        }
    };
    const std::string file = names.FooterFileName;
    for (const ReplaceStep step :
         {ReplaceStep::Written, ReplaceStep::BackedUp, ReplaceStep::Renamed}) {
        put(file, "old");
        const pid_t child = ::fork();
        if (child == 0) {
            Ending ending;
            ending.at = step;
            replaceWith(file, "new", ending);
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "ended at the step";
        EXPECT_EQ(slurp(file), step == ReplaceStep::Renamed ? "new" : "old");
        for (const fs::path& generation : Backups::generations(file)) {
            EXPECT_EQ(slurp(generation), "old");
        }
        EXPECT_FALSE(replaceWith(file, "next"));
        EXPECT_EQ(slurp(file), "next");
        EXPECT_FALSE(fs::exists(file + ".new"));
    }
}
#endif

TEST_F(DataFilesTest, WriteFileRangeReportsAFileThatRefusesWriting) {
    put(tmp / "ro", "0123");
    fs::permissions(tmp / "ro", fs::perms::owner_read);
#ifndef _WIN32  // under Wine, as root, nothing is read-only
    if (::geteuid() != 0) {
        EXPECT_EQ(WriteFileRange((tmp / "ro").string(), 0, 1, "ab"), -2);
        EXPECT_EQ(slurp(tmp / "ro"), "0123");
    }
    // Even root cannot write this one: it opens, and the write fails.
    EXPECT_NE(WriteFileRange("/proc/version", 0, 1, "ab"), 0);
#endif
}

TEST_F(DataFilesTest, LocatingFooterSevenInADefaultFileGivesTheAppendPosition) {
    CreateDefaultFile(names, names.FooterFileName);
    std::int32_t offset = -1;
    EXPECT_EQ(LocateFooterRecord(names.FooterFileName, 7, offset), 0);
    EXPECT_EQ(offset, 196);
    EXPECT_EQ(LocateFooterRecord(names.FooterFileName, 0, offset), 0);
    EXPECT_EQ(offset, 10);
}

TEST_F(DataFilesTest, LookupsMatchTheWholeNumberAndTheFirstDuplicate) {
    put(names.FooterFileName, "#\r\n#\r\n#\r\n" + footerRecord(256) + footerRecord(3) +
                                  footerRecord(0) + footerRecord(3, '1'));
    std::int32_t offset = -1;
    EXPECT_EQ(LocateFooterRecord(names.FooterFileName, 0, offset), 0);
    EXPECT_EQ(offset, 9 + 2 * 186) << "record 256 is not footer 0";
    EXPECT_EQ(LocateFooterRecord(names.FooterFileName, 3, offset), 0);
    EXPECT_EQ(offset, 9 + 186) << "the first of two records 3";

    put(names.BindingFileName, "#\r\n" + bindingRecord(12, 1) + bindingRecord(12, 2));
    EXPECT_EQ(LocateBindingRecord(names, 12, offset), 0);
    EXPECT_EQ(offset, 3);
    EXPECT_EQ(LocateBindingRecord(names, 13, offset), 0);
    EXPECT_EQ(offset, 25) << "the append position";
}

TEST_F(DataFilesTest, LookupsReportMissingFilesAndMalformedNumbers) {
    std::int32_t offset = -1;
    EXPECT_EQ(LocateBindingRecord(names, 1, offset), -1);
    put(names.BindingFileName, "#\r\n#\r\n#\r\n");
    EXPECT_EQ(LocateBindingRecord(names, 1, offset), -3);
    put(names.BindingFileName, "#\r\n$0001\t000\r\n$00x2\t000\r\n$0003\t000\r\n");
    EXPECT_EQ(LocateBindingRecord(names, 1, offset), 0) << "found before the bad record";
    EXPECT_EQ(LocateBindingRecord(names, 3, offset), 255);
    put(names.BindingFileName, "#\r\n$ 001\t000\r\n");
    EXPECT_EQ(LocateBindingRecord(names, 1, offset), 255) << "a blank is no digit";
    put(names.BindingFileName, "#\n$0001\t000\n$0002\t000\n");
    EXPECT_EQ(LocateBindingRecord(names, 2, offset), 255) << "LF-only ends shift the stride";
}

TEST_F(DataFilesTest, HeadersOfAnyShapeWorkBecauseTheFirstDollarStartsTheRecords) {
    put(names.BindingFileName, bindingRecord(1, 5) + bindingRecord(2, 6));
    std::int32_t offset = -1;
    EXPECT_EQ(LocateBindingRecord(names, 2, offset), 0);
    EXPECT_EQ(offset, 11);
    put(names.BindingFileName, "# one\r\n# two, longer\r\n" + bindingRecord(7, 1));
    EXPECT_EQ(LocateBindingRecord(names, 7, offset), 0);
    EXPECT_EQ(offset, 22);
}

TEST_F(DataFilesTest, ExtractFieldSplitsAtTabs) {
    const std::string binding = "$0012\t005";
    EXPECT_EQ(ExtractField(1, binding), "00012");
    EXPECT_EQ(ExtractField(2, binding), "005");
    EXPECT_EQ(ExtractField(3, binding), "");
    EXPECT_EQ(ExtractField(1, ""), "");
    EXPECT_EQ(ExtractField(2, "a\t"), "");
    EXPECT_EQ(ExtractField(3, "a\t\tc"), "c");
    EXPECT_EQ(ExtractField(2, "a\t$b"), "0b");
    const std::string footer = footerRecord(7, '1', '0').substr(0, 184);
    EXPECT_EQ(ExtractField(1, footer), "0007");
    EXPECT_EQ(ExtractField(2, footer), "1");
    EXPECT_EQ(ExtractField(3, footer), "0");
    EXPECT_EQ(ExtractField(13, footer), std::string(40, ' '));
    EXPECT_EQ(ExtractField(14, footer), "");
    const std::string longLine = std::string(300, 'x') + "\tend";
    EXPECT_EQ(ExtractField(2, longLine), "end");
    EXPECT_EQ(TextField(2, "a\t$5 rabatu"), "$5 rabatu") << "a text field stands as it is";
}

TEST(ReadDataLine, EndsALineAtCrLfLfOrALoneCr) {
    std::istringstream in("a\r\nb\rc\nd\r\n\r\ne");
    std::string line;
    for (const char* expected : {"a", "b", "c", "d", "", "e"}) {
        ASSERT_TRUE(ReadDataLine(in, line));
        EXPECT_EQ(line, expected);
    }
    EXPECT_FALSE(ReadDataLine(in, line));
}

TEST(DecimalField, TakesDigitsOnly) {
    EXPECT_EQ(DecimalField("007"), 7);
    EXPECT_EQ(DecimalField("256"), 256);
    EXPECT_EQ(DecimalField(""), -1);
    EXPECT_EQ(DecimalField("-1"), -1);
    EXPECT_EQ(DecimalField("+1"), -1);
    EXPECT_EQ(DecimalField(" 1"), -1);
    EXPECT_EQ(DecimalField("0x1"), -1);
    EXPECT_EQ(DecimalField("1234567890"), -1);
}

}  // namespace
}  // namespace kalvero
