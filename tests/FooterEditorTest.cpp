// SPDX-License-Identifier: MIT
// The footer editor's work without its window: offline on files in a temporary
// directory, online against the emulated printer's protocol.

#include <gtest/gtest.h>

#include "data/RecordFormat.h"
#include "data/WholeFiles.h"
#include "editor/FooterEditor.h"
#include "link/OperatingState.h"
#include "link/PrinterCommands.h"
#include "tests/FailingSinks.h"
#include "tests/Files.h"
#include "tests/ProtocolWinSer.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

using test::slurp;

class NoQuestion final : public Question {
public:
    bool ask(const std::string&, const std::string&) override { return false; }
};

// The editor over the port and the data files, as the operating state says.
struct WiredEditor {
    WiredEditor(const FileNames& names, const OperatingState& state, WinSer& serial,
                const Sinks& sinks = Sinks::files())
        : records(names, state.OfflineMode, question, sinks),
          commands(serial, records),
          editor(commands, records, names, state) {}

    NoQuestion question;
    RecordFiles records;
    PrinterCommands commands;
    FooterEditor editor;
};

const std::string kBlank40(40, ' ');
const FooterLines kShown = {
    {{0, 1, "Dzi\xEAkujemy za zakupy"}, {1, 0, "Zapraszamy"}, {0, 0, "c"}, {1, 1, "x"}}};

class FooterEditorTest : public ::testing::Test {
protected:
    FooterEditorTest() {
        CreateDefaultFile(names, names.FooterFileName);
        CreateDefaultFile(names, names.BindingFileName);
    }
    void goOnline() { state.OfflineMode = 0; }

    test::TempDir tmp;
    FileNames names = test::DataFilesIn(tmp);
    OperatingState state;
    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    test::ProtocolWinSer serial{memory};
    WiredEditor wired{names, state, serial};
    FooterEditor& editor = wired.editor;
};

TEST_F(FooterEditorTest, OfflineALoadTakesAllFourLinesAndATwentyWideLineAsItShows) {
    const std::string forty = "12345678901234567890abcdefghijabcdefghij";
    test::put(names.FooterFileName,
              slurp(names.FooterFileName) +
                  FooterRecord{7, {{{1, 1, forty}, {0, 0, "b"}, {}, {0, 1, "d"}}}}.format());
    const FooterLoad load = editor.load(7);
    EXPECT_EQ(load.result, 0);
    EXPECT_EQ(load.lines, 4u);
    EXPECT_EQ(editor.FooterSnapshot(), (FooterLines{{{1, 1, forty.substr(0, 20)},
                                                     {0, 0, "b" + kBlank40.substr(1)},
                                                     {0, 0, kBlank40},
                                                     {0, 1, "d" + kBlank40.substr(1)}}}));
}

TEST_F(FooterEditorTest, OfflineASaveStoresOneRecordAndTheShownLinesBecomeTheSnapshot) {
    ASSERT_EQ(editor.save(7, kShown), 0);
    const std::string record = slurp(names.FooterFileName).substr(196);
    ASSERT_EQ(record.size(), FooterRecord::kLength);
    EXPECT_EQ(record.substr(0, 29), "$007\t0\t1\tDzi\xEAkujemy za zakupy");
    EXPECT_EQ(record.substr(49, 15), "\t1\t0\tZapraszamy");
    EXPECT_EQ(editor.FooterSnapshot(), kShown);
    EXPECT_FALSE(editor.FooterEdited(kShown));
}

TEST_F(FooterEditorTest, OfflineAFailedSaveKeepsTheSnapshotAndNamesTheFile) {
    const test::FailingSinks full(0);
    WiredEditor failing(names, state, serial, full);
    EXPECT_NE(failing.editor.save(7, kShown), 0);
    ASSERT_TRUE(failing.editor.writeError());
    EXPECT_EQ(failing.editor.writeError()->name, names.FooterFileName);
    EXPECT_EQ(failing.editor.FooterSnapshot(), FooterLines{});
}

TEST_F(FooterEditorTest, AnyChangedTextWidthOrPrintingIsAnEditButNeverTheMarker) {
    editor.save(0, kShown);
    FooterLines text = kShown, width = kShown, printed = kShown;
    text[3].text += "!";
    width[3].width20 = 0;
    printed[3].enabled = 0;
    EXPECT_TRUE(editor.FooterEdited(text));
    EXPECT_TRUE(editor.FooterEdited(width));
    EXPECT_TRUE(editor.FooterEdited(printed));
    const FooterLine marker{0, 0, FooterEditor::kNoFooterMarker};
    EXPECT_FALSE(editor.FooterEdited({marker, marker, marker, marker}));
}

TEST_F(FooterEditorTest, OfflineTheFileChosenForTheRunIsTheOneSavedTo) {
    const std::string before = slurp(names.FooterFileName);
    names.FooterFileName = (tmp / "inny-sklep.txt").string();
    CreateDefaultFile(names, names.FooterFileName);
    ASSERT_EQ(editor.save(3, kShown), 0);
    EXPECT_EQ(slurp(names.FooterFileName).substr(196, 4), "$003");
    EXPECT_EQ(slurp(tmp / "stopki.txt"), before);
}

TEST_F(FooterEditorTest, OnlineALoadReadsTheFourLinesFromThePrinter) {
    goOnline();
    memory.footers[17][0] = {0x0C, {}};
    memory.footers[17][0].text.fill('!');
    EXPECT_EQ(editor.load(17).lines, 4u);
    EXPECT_EQ(editor.FooterSnapshot()[0], (FooterLine{1, 1, std::string(20, '!')}));
    EXPECT_EQ(editor.FooterSnapshot()[3], (FooterLine{0, 0, kBlank40}));
}

TEST_F(FooterEditorTest, OnlineALineThatFailsKeepsTheLinesReadBeforeAndAfterIt) {
    goOnline();
    memory.footers[3][0].text[0] = 'A';
    memory.footers[3][1].text[0] = 'B';
    test::ProtocolWinSer stopping(memory, {.stopAfter = 1});
    WiredEditor wiredStopping(names, state, stopping);
    const FooterLoad load = wiredStopping.editor.load(3);
    EXPECT_EQ(load.result, 21);
    EXPECT_EQ(load.lines, 1u);
    EXPECT_EQ(wiredStopping.editor.FooterSnapshot(),
              (FooterLines{{{0, 0, "A" + kBlank40.substr(1)}, {}, {}, {}}}));
}

TEST_F(FooterEditorTest, OnlineASaveWritesLineByLineAndEachAcceptedLineBecomesTheSnapshots) {
    goOnline();
    const oru::PrinterMemory before = memory;
    test::ProtocolWinSer stopping(memory, {.stopAfter = 2});
    WiredEditor wiredStopping(names, state, stopping);
    EXPECT_EQ(wiredStopping.editor.save(9, kShown), 21);
    EXPECT_EQ(memory.footers[9][0].flags, 0x08);
    EXPECT_EQ(memory.footers[9][1].flags, 0x04);
    EXPECT_EQ(memory.footers[9][2], before.footers[9][2]);
    EXPECT_EQ(wiredStopping.editor.FooterSnapshot(), (FooterLines{{kShown[0], kShown[1], {}, {}}}));
}

TEST_F(FooterEditorTest, OnlineABindingIsStoredInThePrinter) {
    goOnline();
    EXPECT_EQ(editor.bind(300, 17), 0);
    EXPECT_EQ(memory.bindings[300], 17);
}

}  // namespace
}  // namespace kalvero
