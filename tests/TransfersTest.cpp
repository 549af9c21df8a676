// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "data/Backups.h"
#include "data/Cp1250.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"
#include "link/orukom.h"
#include "tests/FailingSinks.h"
#include "tests/Files.h"
#include "tests/ProtocolWinSer.h"
#include "tests/ScriptedWinSer.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

using test::put;
using test::slurp;

namespace fs = std::filesystem;

// Keeps what a transfer showed; onPump runs where window messages would.
class RecordingProgress final : public ProgressView {
public:
    std::vector<std::string> labels;
    bool labelShown = false;
    bool barShown = false;
    int minimum = -1;
    int maximum = -1;
    int steps = 0;
    int pumps = 0;
    bool atMaximum = false;
    std::function<void(int pump)> onPump;

    std::string lastLabel() const { return labels.empty() ? "" : Cp1250ToUtf8(labels.back()); }

    void setLabel(const std::string& text) override { labels.push_back(text); }
    void showLabel(bool visible) override { labelShown = visible; }
    void setBar(int min, int max, int step) override {
        minimum = min;
        maximum = max;
        EXPECT_EQ(step, 1);
    }
    void showBar(bool visible) override { barShown = visible; }
    void stepBar() override { ++steps; }
    void barToMaximum() override { atMaximum = true; }
    void repaint() override {}
    void bringToFront() override {}
    void PumpMessages() override {
        ++pumps;
        if (onPump) {
            onPump(pumps);
        }
    }
};

class NoQuestion final : public Question {
public:
    bool ask(const std::string&, const std::string&) override { return false; }
};

std::string footerLine(int n, const std::array<std::string, 4>& texts, const std::string& flags) {
    char number[8];
    std::snprintf(number, sizeof number, "$%03d", n);
    std::string line = number;
    for (int k = 0; k < 4; ++k) {
        line += std::string("\t") + flags[2 * k] + "\t" + flags[2 * k + 1] + "\t" + texts[k];
        line.resize(line.size() + 40 - texts[k].size(), ' ');
    }
    return line + "\r\n";
}

class TransfersTest : public ::testing::Test {
protected:
    TransfersTest() {
        state.OfflineMode = 0;
        for (int n = 0; n <= 200; ++n) {
            for (int k = 0; k < 4; ++k) {
                auto& line = memory.footers[n][k];
                line.flags = static_cast<std::uint8_t>((n + k) % 3 == 0 ? 0x0C : 0x08);
                const std::string text =
                    "stopka " + std::to_string(n) + " linia " + std::to_string(k + 1);
                std::copy(text.begin(), text.end(), line.text.begin());
            }
        }
        for (int plu = 1; plu <= 9983; ++plu) {
            memory.bindings[plu] = static_cast<std::uint8_t>(plu % 201);
        }
    }

    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    test::TempDir tmp;
    FileNames names = test::DataFilesIn(tmp);
    OperatingState state;
    NoQuestion question;
    RecordFiles files{names, state.OfflineMode, question};
    RecordingProgress view;

    ResultCode withPrinter(const std::function<ResultCode(BulkTransfers&)>& run,
                           oru::Faults faults = {}) {
        test::ProtocolWinSer serial(memory, faults);
        PrinterCommands commands(serial, files);
        BulkTransfers transfers(commands, names, state, view, *sinks);
        const ResultCode rc = run(transfers);
        lastFileError = transfers.fileError();
        lastPartial = transfers.partialFile();
        return rc;
    }
    std::optional<FileError> lastFileError;
    std::optional<std::string> lastPartial;
    const Sinks* sinks = &Sinks::files();
};

TEST_F(TransfersTest, ReadingAllFootersWritesTheHeaderAndTwoHundredAndOneRecords) {
    ASSERT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllFooters(); }), 0);
    const std::string content = slurp(names.FooterFileName);
    ASSERT_EQ(content.size(), 37395u);
    EXPECT_EQ(content.substr(0, 9), "#\r\n#\r\n#\r\n");
    const std::string record7 = content.substr(9 + 7 * 186, 186);
    EXPECT_EQ(record7.substr(0, 9), "$007\t0\t1\t");
    EXPECT_EQ(ExtractField(4, record7), "stopka 7 linia 1" + std::string(24, ' '));
    EXPECT_EQ(ExtractField(8, record7), "1") << "line 3 of footer 7 is 20 wide";
    EXPECT_EQ(ExtractField(10, record7), "stopka 7 linia 3" + std::string(24, ' '));
    EXPECT_EQ(record7.substr(184), "\r\n");
    EXPECT_EQ(view.lastLabel(), "Odczyt stopek200/200");
    EXPECT_EQ(Cp1250ToUtf8(view.labels.front()), "Odczyt stopek...");
    EXPECT_EQ(view.minimum, 0);
    EXPECT_EQ(view.maximum, 200);
    EXPECT_EQ(view.steps, 201);
    EXPECT_EQ(view.pumps, 201);
    EXPECT_FALSE(view.labelShown);
    EXPECT_FALSE(view.barShown);
}

TEST_F(TransfersTest, AStopDuringFooterFiftySevenKeepsFootersZeroToFiftySevenApart) {
    view.onPump = [this](int pump) {
        if (pump == 58) {
            state.AbortRequested = 1;  // "Przerwij" pressed while footer 57 was read
        }
    };
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllFooters(); }), 0);
    EXPECT_EQ(state.AbortRequested, 1) << "left set for the caller";
    EXPECT_FALSE(fs::exists(names.FooterFileName)) << "no data file made of a part";
    const std::string content = slurp(names.FooterFileName + ".partial");
    EXPECT_EQ(content.size(), 9u + 58 * 186);
    EXPECT_EQ(content.substr(9 + 57 * 186, 4), "$057");
    EXPECT_EQ(view.lastLabel(), "Odczyt stopek57/200");
}

TEST_F(TransfersTest, AFailedReadLeavesTheDataFileAsItWasAndWhatCameApart) {
    put(names.FooterFileName, "earlier file");
    // Identification is not run here: footer 3's line 3 is exchange 15.
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllFooters(); }, {.stopAfter = 14}),
              21);
    EXPECT_EQ(slurp(names.FooterFileName), "earlier file");
    EXPECT_EQ(slurp(names.FooterFileName + ".partial").size(), 9u + 3 * 186)
        << "footer 3 is not written half";
    EXPECT_FALSE(view.labelShown);
    EXPECT_FALSE(view.barShown);
    // Failing again: the part is replaced, and no failed read is ever a generation.
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllFooters(); }, {.stopAfter = 9}),
              21);
    EXPECT_EQ(slurp(names.FooterFileName + ".partial").size(), 9u + 2 * 186);
    EXPECT_TRUE(Backups::generations(names.FooterFileName).empty());
    // Not one whole record: nothing is kept apart, nothing named.
    names.BindingFileName = (tmp / "none.txt").string();
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllBindings(9983); }, {.silent = true}),
              21);
    EXPECT_FALSE(fs::exists(names.BindingFileName + ".partial"));
    EXPECT_FALSE(lastPartial);
    // A whole read replaces the file, the earlier one kept.
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllFooters(); }), 0);
    EXPECT_EQ(slurp(names.FooterFileName).size(), 9u + 201 * 186);
    const auto kept = Backups::generations(names.FooterFileName);
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(slurp(kept.front()), "earlier file");
}

TEST_F(TransfersTest, AFullDiskDuringAReadLeavesTheFileAsItWasAndNamesIt) {
    put(names.FooterFileName, "earlier file");
    const test::FailingSinks footersFull(9 + 3 * 186 + 100);
    sinks = &footersFull;
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllFooters(); }), kFileErrorCode);
    EXPECT_EQ(slurp(names.FooterFileName), "earlier file");
    EXPECT_EQ(slurp(names.FooterFileName + ".partial").size(), 9u + 3 * 186);
    ASSERT_TRUE(lastFileError);
    EXPECT_EQ(lastFileError->name, names.FooterFileName);
    EXPECT_EQ(lastFileError->reason, std::strerror(ENOSPC));

    const test::FailingSinks bindingsFull(9 + 1488 * 11 + 5);
    sinks = &bindingsFull;
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllBindings(9983); }),
              kFileErrorCode);
    EXPECT_FALSE(fs::exists(names.BindingFileName));
    const std::string bindings = slurp(names.BindingFileName + ".partial");
    EXPECT_EQ(bindings.size(), 9u + 1488 * 11) << "no $1489 half record";
    EXPECT_EQ(bindings.substr(bindings.size() - 11), "$1488\t081\r\n");
    EXPECT_FALSE(view.labelShown);
}

TEST_F(TransfersTest, AReadIntoAFileThatCannotBeCreatedReportsItsNameAndReason) {
    names.FooterFileName = (tmp / "no/such/dir/stopki.txt").string();
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllFooters(); }), kFileErrorCode);
    ASSERT_TRUE(lastFileError.has_value());
    EXPECT_EQ(lastFileError->name, names.FooterFileName);
    EXPECT_FALSE(lastFileError->reason.empty());

    fs::create_directory(tmp / "dir");
    names.BindingFileName = (tmp / "dir").string();
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllBindings(5); }), kFileErrorCode);
    EXPECT_TRUE(fs::is_directory(tmp / "dir")) << "nothing emptied";
}

TEST_F(TransfersTest, ReadingBindingsWritesOneRecordPerPlu) {
    memory.bindings[1] = 5;
    memory.bindings[2] = 0;
    memory.bindings[3] = 120;
    ASSERT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllBindings(3); }), 0);
    EXPECT_EQ(slurp(names.BindingFileName),
              "#\r\n#\r\n#\r\n$0001\t005\r\n$0002\t000\r\n$0003\t120\r\n");
    EXPECT_EQ(Cp1250ToUtf8(view.labels.front()), "Odczyt wiazań...");
    EXPECT_EQ(view.lastLabel(), "Odczyt wiązań... 3/3");
    EXPECT_EQ(view.minimum, 1);
    EXPECT_EQ(view.maximum, 3);
}

TEST_F(TransfersTest, APrinterErrorAtPluFortyTwoKeepsPlusOneToFortyOne) {
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllBindings(9983); },
                          {.nakCommand = 0x1F, .faultsFrom = 42}),
              24);
    EXPECT_EQ(slurp(names.BindingFileName + ".partial").size(), 9u + 41 * 11);
}

TEST_F(TransfersTest, ReadingUpToPluZeroWritesTheHeaderOnly) {
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.ReadAllBindings(0); }), 0);
    EXPECT_EQ(slurp(names.BindingFileName), "#\r\n#\r\n#\r\n");
}

TEST_F(TransfersTest, WritingFootersSendsTheFileRecordsInFileOrder) {
    put(names.FooterFileName,
        "#1\r\n#\r\n#\r\n" + footerLine(9, {"Dzi\xEAkujemy", "$pecjalna", "", "x"}, "11100001") +
            footerLine(0, {"zero", "", "", ""}, "01000000"));
    std::uint16_t count = 99;
    oru::PrinterMemory before = memory;
    test::ProtocolWinSer serial(memory);
    PrinterCommands commands(serial, files);
    BulkTransfers transfers(commands, names, state, view);
    EXPECT_EQ(transfers.WriteAllFooters(count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(memory.footers[9][0].flags, 0x0C);
    EXPECT_EQ(memory.footers[9][0].text[3], 0xA9) << "ę in code page 852";
    EXPECT_EQ(memory.footers[9][1].text[0], '$') << "a text is sent as it stands";
    EXPECT_EQ(memory.footers[9][3].flags, 0x08);
    EXPECT_NE(memory.footers[0], before.footers[0]) << "after footer 9, as the file has it";
    EXPECT_EQ(view.lastLabel(), "Zapis stopek... 2/200");
    EXPECT_EQ(Cp1250ToUtf8(view.labels.front()), "Zapis stopek...");
}

TEST_F(TransfersTest, WritingFootersCountsEveryRecordSent) {
    put(names.FooterFileName, "#\r\n#\r\n#\r\n" + footerLine(1, {"a", "b", "c", "d"}, "00000000") +
                                  footerLine(2, {"a", "b", "c", "d"}, "00000000") +
                                  footerLine(3, {"a", "b", "c", "d"}, "00000000"));
    std::uint16_t count = 0;
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 0);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(view.atMaximum);
    EXPECT_EQ(view.lastLabel(), "Zapis stopek... 3/200");

    fs::remove(names.FooterFileName);
    CreateDefaultFile(names, names.FooterFileName);
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 0);
    EXPECT_EQ(count, 1) << "the default file holds footer 0";

    // The number is characters 2 to 4 of the first field; a flag counts by its low 8 bits.
    std::string free = "$7\t-1\t256\tsiedem\t0\t0\t\t0\t0\t\t0\t0\t";
    put(names.FooterFileName,
        "#\r\n#\r\n#\r\n" + free + std::string(184 - free.size(), ' ') + "\r\n");
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(memory.footers[7][0].flags, 0x04) << "-1 sets the width, 256 clears enabled";
    EXPECT_EQ(memory.footers[7][0].text[0], 's');

    put(names.FooterFileName, "#\r\n#\r\n#\r\n");
    test::ProtocolWinSer serial(memory);
    PrinterCommands commands(serial, files);
    BulkTransfers transfers(commands, names, state, view);
    EXPECT_EQ(transfers.WriteAllFooters(count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(serial.exchanges(), 0) << "header only: nothing sent";
}

TEST_F(TransfersTest, AFileThatIsNotWholeSendsNothing) {
    const oru::PrinterMemory before = memory;
    put(names.FooterFileName, "#\r\n#\r\n#\r\n" + footerLine(1, {"a", "b", "c", "d"}, "00000000") +
                                  footerLine(2, {"x", "y", "z", "w"}, "1111x111"));
    std::uint16_t count = 0;
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 255);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(memory.footers == before.footers) << "not even footer 1";
    EXPECT_FALSE(view.labelShown);

    put(names.FooterFileName,
        "#\r\n#\r\n#\r\n" + footerLine(1, {"a", "b", "c", "d"}, "00000000") + "\r\n");
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 255)
        << "an empty line at the end";
    EXPECT_EQ(count, 0);

    // Cut short: the last record has no line end.
    std::string cut = footerLine(3, {"x", "y", "z", "w"}, "00000000");
    cut.resize(cut.size() - 4);  // "\tw\r\n": what is left would parse
    put(names.FooterFileName,
        "#\r\n#\r\n#\r\n" + footerLine(1, {"a", "b", "c", "d"}, "00000000") + cut);
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 255);
    // Cut short, or of another length than the stride that places records.
    for (const char* last : {"$0007\t00", "$0007\t5\r\n"}) {
        put(names.BindingFileName, std::string("#\r\n#\r\n#\r\n$0001\t005\r\n") + last);
        BulkTransfers::BadLine bad;
        EXPECT_EQ(withPrinter([&bad](BulkTransfers& t) {
                      const ResultCode rc = t.WriteAllBindings();
                      bad = t.badLine().value_or(BulkTransfers::BadLine{});
                      return rc;
                  }),
                  255);
        EXPECT_EQ(bad.file, names.BindingFileName);
        EXPECT_EQ(bad.line, 5);
        EXPECT_TRUE(memory.footers == before.footers);
        EXPECT_TRUE(memory.bindings == before.bindings) << "not even PLU 1";
    }

    // A control character in any text, or a TAB that makes a field too many: nothing
    // of the footer is sent.
    for (const char* text : {"a\x01", "a\tb"}) {
        put(names.FooterFileName,
            "#\r\n#\r\n#\r\n" + footerLine(3, {"x", "y", "z", text}, "00000000"));
        EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }),
                  255);
        EXPECT_NE(memory.footers[3][0].text[0], 'x');
    }

    put(names.FooterFileName,
        "#\r\n#\r\n#\r\n" + footerLine(300, {"a", "b", "c", "d"}, "00000000"));
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 255)
        << "footer 300 does not fit a byte: never sent as footer 44";
    EXPECT_EQ(memory.footers[44][0].text[0], 's');
}

TEST_F(TransfersTest, WritingFromAMissingFileGivesMinusOne) {
    std::uint16_t count = 5;
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), -1);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.WriteAllBindings(); }), -1);
}

TEST_F(TransfersTest, WritingBindingsSendsEveryLineUpToAnEmptyOne) {
    CreateDefaultFile(names, names.BindingFileName);
    {
        test::ProtocolWinSer serial(memory);
        PrinterCommands commands(serial, files);
        BulkTransfers transfers(commands, names, state, view);
        EXPECT_EQ(transfers.WriteAllBindings(), 0);
        EXPECT_EQ(serial.exchanges(), 9983);
    }
    EXPECT_EQ(memory.bindings[9983], 0);
    EXPECT_EQ(Cp1250ToUtf8(view.labels.back()), "Zapis wiązań...") << "the label is only repainted";

    // Empty lines end the records only at the end: records after one would be lost.
    put(names.BindingFileName, "#\r\n#\r\n#\r\n$0012\t005\r\n$0013\t007\r\n\r\n$0014\t009\r\n");
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.WriteAllBindings(); }), 255);
    EXPECT_NE(memory.bindings[12], 5) << "nothing sent";
    put(names.BindingFileName, "#\r\n#\r\n#\r\n$0012\t005\r\n$0013\t007\r\n\r\n\r\n");
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.WriteAllBindings(); }), 0);
    EXPECT_EQ(memory.bindings[12], 5);
    EXPECT_EQ(memory.bindings[13], 7);

    // Lone CRs end lines too: a file from an old Mac editor is not "written" as nothing.
    put(names.BindingFileName, "#\r#\r#\r$0015\t004\r$0016\t006\r");
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.WriteAllBindings(); }), 0);
    EXPECT_EQ(memory.bindings[15], 4);
    EXPECT_EQ(memory.bindings[16], 6);
    put(names.FooterFileName, "#\r#\r#\r" + footerLine(8, {"cr", "", "", ""}, "00000000"));
    std::string crOnly = slurp(names.FooterFileName);
    crOnly.erase(crOnly.size() - 1);
    put(names.FooterFileName, crOnly);
    std::uint16_t count = 0;
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 0);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(memory.footers[8][0].text[1], 'r');
}

TEST_F(TransfersTest, AMalformedBindingLineRefusesTheWholeFile) {
    put(names.BindingFileName, "#\r\n#\r\n#\r\n$0012\t005\r\n$0013\t007 \r\n$0014\t009\r\n");
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.WriteAllBindings(); }), 255);
    EXPECT_NE(memory.bindings[12], 5);
    EXPECT_NE(memory.bindings[14], 9);
    put(names.BindingFileName, "#\r\n#\r\n#\r\n65537\t005\r\n");
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.WriteAllBindings(); }), 255)
        << "never sent as PLU 1";
    put(names.BindingFileName, "#\r\n#\r\n#\r\n10001\t005\r\n");
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.WriteAllBindings(); }), 255)
        << "more than the four digits of a record";
    // Values the printer cannot hold, named by their line before anything is sent.
    for (const char* value : {"$0001\t256", "$9999\t005", "$0000\t005", "$0006\t255",
                              "$0006\t201"}) {
        put(names.BindingFileName, "#\r\n#\r\n#\r\n$0002\t005\r\n" + std::string(value) + "\r\n");
        BulkTransfers::BadLine bad;
        EXPECT_EQ(withPrinter([&bad](BulkTransfers& t) {
                      const ResultCode rc = t.WriteAllBindings();
                      bad = t.badLine().value_or(BulkTransfers::BadLine{});
                      return rc;
                  }),
                  255)
            << value;
        EXPECT_EQ(bad.line, 5) << value;
    }
    EXPECT_EQ(memory.bindings[1], 1);
    EXPECT_NE(memory.bindings[2], 5) << "not the line before either";
    put(names.FooterFileName, "#\r\n#\r\n#\r\n" + footerLine(1, {"a", "", "", ""}, "00000000") +
                                  footerLine(201, {"b", "", "", ""}, "00000000"));
    std::uint16_t count = 0;
    EXPECT_EQ(withPrinter([&count](BulkTransfers& t) { return t.WriteAllFooters(count); }), 255);
    EXPECT_EQ(count, 0);
}

TEST_F(TransfersTest, ErasingFootersBlanksEveryLine) {
    test::ScriptedWinSer serial;
    for (int i = 0; i < 804; ++i) {
        serial.reply(OpWriteFooterLine, {0x2A});
        serial.further.push_back(0);
    }
    PrinterCommands commands(serial, files);
    BulkTransfers transfers(commands, names, state, view);
    EXPECT_EQ(transfers.EraseAllFooters(), 0);
    ASSERT_EQ(serial.sent.size(), 804u);
    EXPECT_EQ(serial.sent[6][0], 1) << "footer 1";
    EXPECT_EQ(serial.sent[6][1], 2) << "line 3: flags = line - 1, 40 wide, off";
    EXPECT_EQ(serial.sent[6].size(), 42u);
    EXPECT_EQ(std::string(serial.sent[6].begin() + 2, serial.sent[6].end()), std::string(40, ' '));
    EXPECT_EQ(view.lastLabel(), "Kasowanie stopek 200/200");
}

TEST_F(TransfersTest, StoppingTheBindingEraseAfterPluFiveHundredKeepsTheRest) {
    view.onPump = [this](int pump) {
        if (pump == 500) {
            state.AbortRequested = 1;
        }
    };
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.EraseAllBindings(); }), 0);
    EXPECT_EQ(memory.bindings[500], 0);
    EXPECT_EQ(memory.bindings[501], 501 % 201);
    EXPECT_EQ(view.lastLabel(), "Kasowanie wiązań...500/9983");
}

TEST_F(TransfersTest, ARefusalDuringTheEraseEndsItWithTheStatus) {
    EXPECT_EQ(withPrinter([](BulkTransfers& t) { return t.EraseAllBindings(); },
                          {.errorStatus = 7, .faultsFrom = 100}),
              7);
    EXPECT_EQ(memory.bindings[99], 0);
    EXPECT_EQ(memory.bindings[100], 100);
    EXPECT_FALSE(view.labelShown);
}

}  // namespace
}  // namespace kalvero
