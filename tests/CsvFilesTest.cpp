// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "data/Backups.h"
#include "data/CsvFiles.h"
#include "data/ImportTransaction.h"
#include "data/RecordFormat.h"
#include "tests/FailingSinks.h"
#include "tests/Files.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

using test::put;
using test::slurp;

namespace fs = std::filesystem;

const std::string kBulkHeader = "#\r\n#\r\n#\r\n";
const std::string kBom = "\xEF\xBB\xBF";

std::string bindings(std::initializer_list<BindingRecord> records) {
    std::string file = kBulkHeader;
    for (const BindingRecord& record : records) {
        file += record.format();
    }
    return file;
}

class CsvFilesTest : public ::testing::Test {
protected:
    // Imports rows that must all be taken.
    CsvImport import(const std::string& rows, const Sinks& sinks = Sinks::files()) {
        put(csv, rows);
        CsvImport imported = ImportCsv(csv, names, sinks);
        EXPECT_FALSE(imported.refusal) << imported.refusal->row << ": " << imported.refusal->reason;
        return imported;
    }

    test::TempDir tmp;
    FileNames names = test::DataFilesIn(tmp);
    const std::string csv = (tmp / "dane.csv").string();
};

TEST_F(CsvFilesTest, DataFilesOfABulkReadComeBackByteForByte) {
    const std::string footers =
        kBulkHeader +
        FooterRecord{0,
                     {{{0, 1, "Dzi\xEAkujemy za zakupy"},
                       {1, 1,
                        "Tel.; \"Sklep\" \xA3\xF3"
                        "d\x9F"},
                       {0, 0, "  wci\xEAty"},
                       {}}}}
            .format() +
        FooterRecord{1, {{{1, 0, std::string(20, 'x')}, {0, 1, std::string(40, 'y')}, {}, {}}}}
            .format() +
        // What a spreadsheet would take for a formula or a number.
        FooterRecord{2, {{{0, 1, "=SUMA(A1)"}, {0, 1, "+48 22 123"}, {0, 1, "'cytat"}, {0, 1, "0123"}}}}
            .format() +
        FooterRecord{3, {{{0, 1, "-5%"}, {0, 1, "@sklep"}, {0, 1, "123456789012"}, {0, 1, "12345"}}}}
            .format() +
        // A number, a date, a time or a percent; centred with blanks too.
        FooterRecord{4, {{{0, 1, "1,5 z\xB3"}, {0, 1, "  12.05"}, {0, 1, "1/2"}, {0, 1, "12:30"}}}}
            .format() +
        FooterRecord{5, {{{0, 1, ",5"}, {0, 1, ".5"}, {0, 1, "(5)"}, {0, 1, "$1"}}}}.format() +
        FooterRecord{200, {}}.format();
    const std::string bindingFile = bindings({{1, 0}, {2, 200}, {9983, 1}});
    for (const CsvEncoding encoding : {CsvEncoding::Utf8, CsvEncoding::Windows1250}) {
        put(names.FooterFileName, footers);
        put(names.BindingFileName, bindingFile);

        const std::optional<FileError> exported = ExportCsv(names, csv, encoding);
        ASSERT_FALSE(exported) << exported->reason;
        const std::string text = slurp(csv);
        for (const std::string& marked :
             {std::string("'=SUMA(A1)"), std::string("'+48 22 123"), std::string("''cytat"),
              std::string("'0123"), std::string("'-5%"), std::string("'@sklep"),
              std::string("'123456789012"), std::string(";'12345\r\n"), std::string(";'1,5 z"),
              std::string(";'  12.05\r\n"), std::string(";'1/2\r\n"), std::string(";'12:30\r\n"),
              std::string(";',5\r\n"), std::string(";'.5\r\n"), std::string(";'(5)\r\n"), std::string(";'$1\r\n")}) {
            EXPECT_NE(text.find(marked), std::string::npos) << marked;
        }
        EXPECT_EQ(text.starts_with(kBom), encoding == CsvEncoding::Utf8);
        fs::remove(names.FooterFileName);
        fs::remove(names.BindingFileName);
        const CsvImport imported = ImportCsv(csv, names);

        ASSERT_FALSE(imported.refusal) << imported.refusal->reason;
        ASSERT_FALSE(imported.fileError) << imported.fileError->reason;
        EXPECT_EQ(imported.windows1250, encoding == CsvEncoding::Windows1250);
        EXPECT_EQ(imported.footers, 7u);
        EXPECT_EQ(imported.bindings, 3u);
        EXPECT_EQ(imported.apostrophesRemoved, 16u) << "every marked text, and no other";
        EXPECT_EQ(slurp(names.FooterFileName), footers);
        EXPECT_EQ(slurp(names.BindingFileName), bindingFile);
    }
}

TEST_F(CsvFilesTest, ExportIsUtf8WithABomSemicolonsCrLfAndQuotedTexts) {
    put(names.FooterFileName,
        kBulkHeader +
            FooterRecord{7, {{{0, 1, "Dzi\xEAkujemy"}, {1, 0, "a;b"}, {0, 0, " \"x\""}, {}}}}
                .format() +
            // The printer prints no "€", but a data file written by hand may hold one.
            FooterRecord{8, {{{0, 1, "O'Reilly"}, {0, 1, "  1,5"}, {0, 1, "z\xB3 5"}, {0, 1, "\x80 3"}}}}
                .format());
    put(names.BindingFileName, bindings({{1234, 7}}));

    ASSERT_FALSE(ExportCsv(names, csv));

    EXPECT_EQ(slurp(csv), kBom +
                              "rodzaj;stopka;linia;szerokość;włączona;tekst\r\n"
                              "stopka;7;1;40;1;Dziękujemy\r\n"
                              "stopka;7;2;20;0;\"a;b\"\r\n"
                              "stopka;7;3;40;0;\" \"\"x\"\"\"\r\n"
                              "stopka;7;4;40;0;\r\n"
                              "stopka;8;1;40;1;O'Reilly\r\n"
                              "stopka;8;2;40;1;'  1,5\r\n"
                              "stopka;8;3;40;1;zł 5\r\n"
                              "stopka;8;4;40;1;'€ 3\r\n"
                              "rodzaj;PLU;stopka\r\n"
                              "wiązanie;1234;7\r\n");
}

TEST_F(CsvFilesTest, ExportNamesTheDataFileAndItsLineThatIsNoRecord) {
    put(names.FooterFileName, kBulkHeader + FooterRecord{}.format());
    put(names.BindingFileName, bindings({{1, 0}}) + "$0002\r\n");

    const std::optional<FileError> error = ExportCsv(names, csv);

    ASSERT_TRUE(error);
    EXPECT_EQ(error->name, names.BindingFileName);
    EXPECT_EQ(error->reason, "wiersz 5 nie jest rekordem wiązania");
    EXPECT_FALSE(fs::exists(csv));
}

TEST_F(CsvFilesTest, AnExportThatFailsMidwayLeavesNoCsvFile) {
    put(names.FooterFileName, kBulkHeader + FooterRecord{}.format());
    put(names.BindingFileName, bindings({{1, 0}}));

    const std::optional<FileError> error = ExportCsv(names, csv, CsvEncoding::Utf8, test::FailingSinks(100));

    ASSERT_TRUE(error);
    EXPECT_EQ(error->name, csv);
    EXPECT_EQ(error->reason, std::strerror(ENOSPC));
    EXPECT_FALSE(fs::exists(csv));
}

TEST_F(CsvFilesTest, ImportWritesRecordsInRisingOrderWithLinesNotGivenBlank) {
    const CsvImport imported =
        import("stopka;9;3;20;1;c\r\nwiązanie;5;9\r\nstopka;4;1;40;0;a\r\nwiązanie;2;4\r\n");

    EXPECT_EQ(imported.footers, 2u);
    EXPECT_EQ(imported.bindings, 2u);
    EXPECT_EQ(slurp(names.FooterFileName),
              (kBulkHeader + FooterRecord{4, {{{0, 0, "a"}, {}, {}, {}}}}.format() +
               FooterRecord{9, {{{}, {}, {1, 1, "c"}, {}}}}.format()));
    EXPECT_EQ(slurp(names.BindingFileName), bindings({{2, 4}, {5, 9}}));
}

TEST_F(CsvFilesTest, ImportTakesRowsAsSpreadsheetsSaveThem) {
    // No BOM, LF line ends, an empty row, empty columns after the last, an empty text.
    import(
        "rodzaj;stopka;linia;szerokość;włączona;tekst\n;;;;;\nstopka;7;1;40;1;\n"
        "wiązanie;1;7;;;\n");

    EXPECT_EQ(slurp(names.FooterFileName),
              (kBulkHeader + FooterRecord{7, {{{0, 1, ""}, {}, {}, {}}}}.format()));
    EXPECT_EQ(slurp(names.BindingFileName), bindings({{1, 7}}));

    // A Polish Excel's "CSV (rozdzielany średnikami)": Windows-1250, no BOM; others
    // split at commas or tabs, the separator of the first row.
    const std::string grass = FooterRecord{7, {{{0, 1, "\x8F" "d\x9F" "b\xB3o \xB3\xB9k"}, {}, {}, {}}}}.format();
    for (const std::string& saved :
         {std::string("rodzaj;stopka;linia;szeroko\x9C\xE6;w\xB3\xB9" "czona;tekst\r\n"
                      "stopka;7;1;40;1;\x8F" "d\x9F" "b\xB3o \xB3\xB9k\r\n"),
          std::string("rodzaj,stopka,linia,szerokość,włączona,tekst\nstopka,7,1,40,1,Źdźbło łąk\n"),
          std::string("stopka\t7\t1\t40\t1\t\"Źdźbło łąk\"\n")}) {
        const CsvImport imported = import(saved);
        EXPECT_EQ(imported.windows1250, saved.find('\x8F') != std::string::npos);
        EXPECT_EQ(slurp(names.FooterFileName), kBulkHeader + grass) << saved;
    }
}

TEST_F(CsvFilesTest, ImportRefusesARowThatCannotBeStoredAndWritesNothing) {
    struct Case {
        std::string row;
        std::string reason;
    };
    const Case cases[] = {
        {"stopka;1;2;40;1;日本", "znak spoza Windows-1250 albo tekst nie w UTF-8"},
        {"stopka;1;2;40;1;a\xC0\xAF", "znak spoza Windows-1250 albo tekst nie w UTF-8"},
        {"stopka;1;2;40;1;\xED\xA0\x80", "znak spoza Windows-1250 albo tekst nie w UTF-8"},
        {"stopka;1;2;40;1;\xF4\x90\x80\x80", "znak spoza Windows-1250 albo tekst nie w UTF-8"},
        {"stopka;1;2;40;1;a\xC5", "znak spoza Windows-1250 albo tekst nie w UTF-8"},
        {"wiązanie;\xC0\xB5;1", "znak spoza Windows-1250 albo tekst nie w UTF-8"},
        {"stopka;1;2;40;1;\"a\tb\"", "tekst zawiera znak sterujący"},
        {"stopka;1;2;40;1;Cena 5 €", "tekst zawiera znak \"€\", którego drukarka nie drukuje"},
        {"stopka;201;2;40;1;x", "stopka: \"201\" nie jest liczbą od 0 do 200"},
        {"stopka;1;5;40;1;x", "linia: \"5\" nie jest liczbą od 1 do 4"},
        {"stopka;1;0;40;1;x", "linia: \"0\" nie jest liczbą od 1 do 4"},
        {"stopka;1;2;30;1;x", "szerokość: \"30\" nie jest 20 ani 40"},
        {"stopka;1;2;40;2;x", "włączona: \"2\" nie jest liczbą od 0 do 1"},
        {"stopka;1;2;20;1;" + std::string(21, 'x'), "tekst dłuższy niż 20 znaków (21)"},
        {"stopka;1;2;40;1;" + std::string(41, 'x'), "tekst dłuższy niż 40 znaków (41)"},
        {"wiązanie;0;1", "PLU: \"0\" nie jest liczbą od 1 do 9983"},
        {"wiązanie;9984;1", "PLU: \"9984\" nie jest liczbą od 1 do 9983"},
        {"wiązanie;2;201", "stopka: \"201\" nie jest liczbą od 0 do 200"},
        {"wiązanie;-2;1", "PLU: \"-2\" nie jest liczbą od 1 do 9983"},
        {"stopki;1;2;40;1;x", "nieznany rodzaj wiersza \"stopki\""},
        {"wiązanie;2;1;;x", "za dużo kolumn"},
        {"stopka;1;2;40;1;\"a\"b", "błędne cudzysłowy"},
        {"stopka;1;2;40;1;\"a", "błędne cudzysłowy"},
        {"stopka;1;1;40;0;znowu", "stopka 1, linia 1 podana drugi raz"},
        {"wiązanie;1;0", "PLU 1 podane drugi raz"},
        {"stopka;1;2;40;1", "brak kolumn: 5 z 6"},
        {"rodzaj;stopka;linia;szerokość;włączona;tekst", "nazwy kolumn stopek po wierszach stopek"},
        {"rodzaj;x", "nieznane nazwy kolumn"},
        {"stopka;1;2;40;1;a\rwiązanie;5;1", "wiersz zakończony samym znakiem CR"},
    };
    put(names.FooterFileName, "old footers");
    put(names.BindingFileName, "old bindings");
    for (const Case& c : cases) {
        put(csv, kBom + "rodzaj;stopka;linia;szerokość;włączona;tekst\r\n" +
                     "stopka;1;1;40;1;dobra\r\nwiązanie;1;1\r\n" + c.row + "\r\n");

        const CsvImport imported = ImportCsv(csv, names);

        ASSERT_TRUE(imported.refusal) << c.row;
        EXPECT_EQ(imported.refusal->row, 4) << c.row;
        EXPECT_EQ(imported.refusal->reason, c.reason) << c.row;
        EXPECT_FALSE(imported.fileError) << c.row;
    }
    // Nothing to import: refused too.
    for (const std::string& nothing :
         {std::string(), kBom, kBom + "rodzaj;stopka;linia;szerokość;włączona;tekst\r\n"}) {
        put(csv, nothing);
        const CsvImport imported = ImportCsv(csv, names);
        ASSERT_TRUE(imported.refusal) << nothing;
        EXPECT_EQ(imported.refusal->reason, "brak wierszy stopek i wiązań");
    }
    EXPECT_EQ(slurp(names.FooterFileName), "old footers");
    EXPECT_EQ(slurp(names.BindingFileName), "old bindings");
    EXPECT_TRUE(Backups::generations(names.FooterFileName).empty());
}

TEST_F(CsvFilesTest, ImportKeepsThePreviousDataFilesAsBackups) {
    put(names.FooterFileName, "old footers");
    put(names.BindingFileName, "old bindings");

    import("stopka;0;1;40;0;\r\nwiązanie;1;0\r\n");

    const auto footerBackups = Backups::generations(names.FooterFileName);
    const auto bindingBackups = Backups::generations(names.BindingFileName);
    ASSERT_EQ(footerBackups.size(), 1u);
    ASSERT_EQ(bindingBackups.size(), 1u);
    EXPECT_EQ(slurp(footerBackups[0]), "old footers");
    EXPECT_EQ(slurp(bindingBackups[0]), "old bindings");
}

#ifndef _WIN32  // fork
// An import ended at any step: what the next run finds, once it has recovered, is
// both data files old or both new, and no file of the import left over.
TEST_F(CsvFilesTest, AnImportEndedAtAnyStepLeavesBothFilesOldOrBothNew) {
    struct Ending final : Sinks {
        int at = 0;
        mutable int steps = 0;
        void reached(ReplaceStep /*step*/) const override {
            if (++steps == at) {
                ::_exit(0);
            }
        }
    };
    put(csv, kBom + "stopka;3;1;40;1;nowa\r\nwiązanie;2;3\r\n");
    bool ended = true;
    for (int at = 1; ended; ++at) {
        put(names.FooterFileName, "old footers");
        put(names.BindingFileName, "old bindings");
        const pid_t child = ::fork();
        if (child == 0) {
            Ending ending;
            ending.at = at;
            ImportCsv(csv, names, ending);
            ::_exit(1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        ended = WEXITSTATUS(status) == 0;
        RecoverImport(names);
        const bool old = slurp(names.FooterFileName) == "old footers";
        EXPECT_EQ(old, slurp(names.BindingFileName) == "old bindings") << "step " << at;
        if (!old) {
            EXPECT_NE(slurp(names.FooterFileName).find("nowa"), std::string::npos);
            EXPECT_EQ(slurp(names.BindingFileName), bindings({{2, 3}}));
        }
        for (const auto& entry : fs::directory_iterator(tmp.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_FALSE(name.ends_with(".new") || name.ends_with(".import")) << name;
        }
        ASSERT_LT(at, 50) << "the import never ended";
    }

    // An import whose run still goes on is left to it, and a journal that is no
    // regular file (a FIFO) is named without waiting on it: the files are not used.
    put(names.FooterFileName, "old footers");
    put(names.FooterFileName + ".new", "new footers");
    const pid_t running = ::fork();
    if (running == 0) {
        ::pause();
        ::_exit(0);
    }
    put(names.FooterFileName + ".import",
        "gotowe\nproces " + std::to_string(running) + "\n" + names.FooterFileName + "\n");
    const auto waiting = RecoverImport(names);
    ::kill(running, SIGKILL);
    ::waitpid(running, nullptr, 0);
    ASSERT_TRUE(waiting);
    EXPECT_TRUE(waiting->failed);
    EXPECT_EQ(slurp(names.FooterFileName), "old footers");
    const auto finished = RecoverImport(names);
    ASSERT_TRUE(finished);
    EXPECT_FALSE(finished->failed) << "its run has ended: finished now";
    EXPECT_EQ(slurp(names.FooterFileName), "new footers");
    ASSERT_EQ(::mkfifo((names.FooterFileName + ".import").c_str(), 0600), 0);
    const auto fifo = RecoverImport(names);
    ASSERT_TRUE(fifo);
    EXPECT_TRUE(fifo->failed);
}
#endif

TEST_F(CsvFilesTest, AnImportThatFailsMidwayChangesNeitherFileAndNamesIt) {
    put(names.FooterFileName, "old footers");
    put(names.BindingFileName, "old bindings");
    std::string rows = "stopka;0;1;40;1;x\r\n";
    for (std::uint16_t plu = 1; plu <= 30; ++plu) {
        rows += "wiązanie;" + std::to_string(plu) + ";0\r\n";
    }

    // Room for the footer file (195 bytes) but not for 30 bindings (339 bytes).
    const CsvImport imported = import(rows, test::FailingSinks(200));

    ASSERT_TRUE(imported.fileError);
    EXPECT_EQ(imported.fileError->name, names.BindingFileName);
    EXPECT_EQ(imported.fileError->reason, std::strerror(ENOSPC));
    EXPECT_EQ(slurp(names.FooterFileName), "old footers");
    EXPECT_EQ(slurp(names.BindingFileName), "old bindings");
    EXPECT_FALSE(fs::exists(names.FooterFileName + ".import"));
    EXPECT_FALSE(fs::exists(names.BindingFileName + ".import"));
}

}  // namespace
}  // namespace kalvero
