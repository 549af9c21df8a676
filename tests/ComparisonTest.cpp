// SPDX-License-Identifier: MIT
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "data/Cp1250.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"
#include "link/Comparison.h"
#include "link/orukom.h"
#include "tests/Files.h"
#include "tests/ProtocolWinSer.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Lines = std::vector<std::string>;

class NoQuestion final : public Question {
public:
    bool ask(const std::string&, const std::string&) override { return false; }
};

// Keeps the last label; onPump runs where a terminal would notice Ctrl+C.
class LabelProgress final : public ProgressView {
public:
    std::string label;
    int pumps = 0;
    std::function<void(int pump)> onPump;

    void setLabel(const std::string& text) override { label = text; }
    void showLabel(bool) override {}
    void setBar(int, int, int) override {}
    void showBar(bool) override {}
    void stepBar() override {}
    void barToMaximum() override {}
    void repaint() override {}
    void bringToFront() override {}
    void PumpMessages() override {
        if (onPump) {
            onPump(++pumps);
        }
    }
};

FooterLine line(const std::string& utf8, std::uint8_t width20 = 0, std::uint8_t enabled = 1) {
    return {width20, enabled, Utf8ToCp1250(utf8).value()};
}

class ComparisonTest : public ::testing::Test {
protected:
    ComparisonTest() {
        state.OfflineMode = 0;
    }

    // The data files as the editor leaves them.
    void save(const std::vector<FooterRecord>& footers,
              const std::vector<BindingRecord>& bindings) {
        std::string footerText = "#\r\n#\r\n#\r\n";
        for (const FooterRecord& record : footers) {
            footerText += record.format();
        }
        std::string bindingText = "#\r\n#\r\n#\r\n";
        for (const BindingRecord& record : bindings) {
            bindingText += record.format();
        }
        test::put(names.FooterFileName, footerText);
        test::put(names.BindingFileName, bindingText);
    }

    // run(commands, reader) on the printer model showing faults.
    template <typename Run>
    auto withPrinter(oru::Faults faults, Run run) {
        test::ProtocolWinSer serial(memory, faults);
        PrinterCommands commands(serial, files);
        PrinterReader reader(commands, state, view);
        return run(commands, reader);
    }

    // write --verify: both files written whole, then only their records read back.
    Lines writeAndVerify(oru::Faults faults = {}) {
        return withPrinter(faults, [&](PrinterCommands& commands, PrinterReader& reader) {
            BulkTransfers transfers(commands, names, state, view);
            std::uint16_t count = 0;
            EXPECT_EQ(transfers.WriteAllFooters(count), 0);
            EXPECT_EQ(transfers.WriteAllBindings(), 0);
            return compare(reader.ReadBackFooters(footers()), reader.ReadBackBindings(bindings()));
        });
    }

    // diff: both files against the whole printer, PLUs up to lastPlu.
    Lines diff(std::uint16_t lastPlu) {
        return withPrinter({}, [&](PrinterCommands&, PrinterReader& reader) {
            return compare(reader.ReadFooters(), reader.ReadBindings(lastPlu));
        });
    }

    Lines compare(const PrinterFooters& printerFooters, const PrinterBindings& printerBindings) {
        EXPECT_EQ(printerFooters.result, 0);
        EXPECT_EQ(printerBindings.result, 0);
        Lines out;
        for (const FooterDifference& difference :
             FooterDifferences(footers(), printerFooters.records)) {
            out.push_back(difference.text);
        }
        for (const BindingDifference& difference :
             BindingDifferences(bindings(), printerBindings.records)) {
            out.push_back(difference.text);
        }
        return out;
    }

    std::vector<FooterRecord> footers() const {
        return ReadFooterFile(names.FooterFileName).records;
    }
    std::vector<BindingRecord> bindings() const {
        return ReadBindingFile(names.BindingFileName).records;
    }

    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    test::TempDir tmp;
    FileNames names = test::DataFilesIn(tmp);
    OperatingState state;
    NoQuestion question;
    RecordFiles files{names, state.OfflineMode, question};
    LabelProgress view;
};

TEST_F(ComparisonTest, APrinterHoldingWhatItsFilesSayShowsNoDifferences) {
    save({{7, {line("Dziękujemy za zakupy"), line("Zapraszamy ponownie", 1, 0)}}},
         {{5, 7}, {300, 7}});
    EXPECT_THAT(writeAndVerify(), IsEmpty());
    EXPECT_THAT(diff(400), IsEmpty()) << "the other footers and PLUs are as an erase leaves them";
}

TEST_F(ComparisonTest, AChangedBindingOrFooterLineShowsWhatDiffersOnEachSide) {
    save({{7,
           {line("Dziękujemy"), line("Zapraszamy", 0, 1), line("Promocja", 1, 1),
            line("Sklep", 1, 1)}}},
         {{1234, 7}});
    ASSERT_THAT(writeAndVerify(), IsEmpty());
    memory.bindings[1234] = 5;
    const std::string other = "Do zobaczenia";
    std::copy(other.begin(), other.end(), memory.footers[7][1].text.begin());
    memory.footers[7][2].flags = 0x00;
    memory.footers[7][3].flags = 0x08;
    memory.footers[7][3].text[0] = 'X';

    EXPECT_THAT(diff(1300),
                ElementsAre(R"(stopka 7 linia 2: plik "Zapraszamy", drukarka "Do zobaczenia")",
                            "stopka 7 linia 3: plik 20 znaków, włączona; "
                            "drukarka 40 znaków, wyłączona",
                            R"(stopka 7 linia 4: plik "Sklep", 20 znaków, włączona; )"
                            R"(drukarka "Xklep", 40 znaków, włączona)",
                            "PLU 1234: plik 007, drukarka 005"));
}

TEST_F(ComparisonTest, RecordsOnOneSideOnlyAreDifferencesUnlessTheyAreErased) {
    save({}, {{150, 7}});
    memory.footers[9][0].flags = 0x08;  // enabled, though blank
    memory.bindings[17] = 3;
    EXPECT_THAT(diff(100), ElementsAre("stopka 9: brak w pliku",
                                       "PLU 17: brak w pliku, drukarka 003",
                                       "PLU 150: plik 007, brak w drukarce"));
}

TEST_F(ComparisonTest, AForgottenWriteIsCaughtByTheReadBack) {
    save({{7, {line("Dziękujemy")}}, {8, {line("Zapraszamy")}}}, {{1234, 7}, {1235, 8}});
    EXPECT_THAT(writeAndVerify({.forgetFooters = {7}, .forgetPlus = {1234}}),
                ElementsAre(R"(stopka 7 linia 1: plik "Dziękujemy", 40 znaków, włączona; )"
                            R"(drukarka "", 40 znaków, wyłączona)",
                            "PLU 1234: plik 007, drukarka 000"));
}

TEST_F(ComparisonTest, AFooterOrPluGivenTwiceCountsByItsLastRecord) {
    save({{7, {line("Stara")}}, {7, {line("Nowa")}}}, {{5, 1}, {5, 2}});
    EXPECT_THAT(writeAndVerify(), IsEmpty());
    EXPECT_EQ(memory.bindings[5], 2);
}

TEST_F(ComparisonTest, ATwentyWideLineIsComparedCutToTwenty) {
    save({{7, {line("Dziękujemy za zakupy i zapraszamy", 1)}}}, {});
    ASSERT_THAT(writeAndVerify(), IsEmpty());
    memory.footers[7][0].text[19] = '!';
    EXPECT_THAT(diff(0), ElementsAre(R"(stopka 7 linia 1: plik "Dziękujemy za zakupy", )"
                                     R"(drukarka "Dziękujemy za zakup!")"));
}

TEST_F(ComparisonTest, ACharacterOutsideThePrintersSetIsComparedAsItReadsBack) {
    save({{7, {line("© Sklep")}}}, {});  // the printer keeps © as its code for ę
    EXPECT_THAT(writeAndVerify(), IsEmpty());
}

TEST_F(ComparisonTest, AStopEndsTheReadBetweenRecordsWithWhatWasRead) {
    view.onPump = [this](int pump) {
        if (pump == 3) {
            state.AbortRequested = 1;  // Ctrl+C while footer 2 was read
        }
    };
    const PrinterFooters read = withPrinter(
        {}, [](PrinterCommands&, PrinterReader& reader) { return reader.ReadFooters(); });
    EXPECT_EQ(read.result, 0);
    EXPECT_EQ(read.records.size(), 3u);
    EXPECT_EQ(view.label, "Odczyt stopek 3/201");
}

TEST_F(ComparisonTest, APrinterErrorEndsTheReadWithItsCode) {
    const PrinterBindings read = withPrinter(
        {.stopAfter = 3},
        [](PrinterCommands&, PrinterReader& reader) { return reader.ReadBindings(100); });
    EXPECT_EQ(read.result, 21) << "no answer";
    EXPECT_EQ(read.records.size(), 3u);
}

}  // namespace
}  // namespace kalvero
