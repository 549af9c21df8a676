// SPDX-License-Identifier: MIT
// The footer editor, offline on files in a private folder and online against an
// in-process printer, through a recording face.

#include "data/Cp1250.h"
#include "tests/Files.h"
#include "tests/WindowBehaviour.h"

namespace kalvero::test {
namespace {

using F = NumberFieldName;

const std::string kMarker = "!BRAK OPISU STOPKI W PLIKU!";
const std::string kNoFooter = "BRAK DEFINICJI STOPKI W PLIKU";
const std::string kCreateBindings = "Brak pliku|Czy utworzyc plik z danymi wiązań ?";
const std::string kCreateFooters = "Brak pliku|Czy utworzyc plik z danymi stopek ?";
const std::string kSaveCurrent = "Zmienione dane stopki|Czy zapisac obecną stopkę?";
const std::string kSaveToo = "Zmienione dane stopki|Czy zapisac również stopkę?";

std::string spaces(std::size_t n) {
    return std::string(n, ' ');
}

class EditorBehaviour : public WindowBehaviour {
protected:
    RecordingEditor& ed = faces.editor;

    void startOffline(bool withFiles = true) {
        start();
        if (withFiles) {
            createFiles();
        }
        forget();
    }
    TfStopka& editor() { return *app->fStopka; }
    void loadFooter(const std::string& number) {
        ed.fields[F::seNrStopki] = number;
        editor().seNrStopkiKeyUp();
    }
    void loadItem(const std::string& plu) {
        ed.fields[F::sePLU] = plu;
        editor().sePLUKeyUp();
    }
    Texts lines() const { return {ed.text(0), ed.text(1), ed.text(2), ed.text(3)}; }
};

TEST_F(EditorBehaviour, OpeningOfflineWithoutFilesAsksForBothAndShowsTheMissingBinding) {
    startOffline(false);
    faces.desk.answers = {true, true};
    editor().open();
    EXPECT_EQ(boxes(), Texts({kCreateBindings, kCreateFooters}));
    EXPECT_EQ(ed.caption, "Definiowanie stopek - dane z/do plików");
    EXPECT_TRUE(ed.visible);
    EXPECT_FALSE(faces.main.enabled);
    EXPECT_EQ(lines(), Texts(4, kMarker));
    EXPECT_EQ(ed.status, kNoFooter);
    EXPECT_TRUE(ed.nameShown);
    EXPECT_EQ(ed.itemName, "!!BRAK WIĄZANIA PLU-STOPKA W PLIKU!!");
    EXPECT_FALSE(editor().FooterEdited());
    EXPECT_FALSE(ed.changeMark);
    EXPECT_EQ(ed.fields[F::sePLU], "1");
    EXPECT_EQ(ed.focused, F::sePLU);

    loadItem("1");  // the next item loaded shows footer 0 from the new files
    EXPECT_EQ(lines(), Texts(4, spaces(40)));
    EXPECT_EQ(ed.status, "OK");
    EXPECT_FALSE(ed.nameShown);
    EXPECT_EQ(boxes().size(), 2U);

    editor().bWyjdzClick();
    EXPECT_FALSE(ed.visible);
    EXPECT_TRUE(faces.main.enabled);
}

TEST_F(EditorBehaviour, ADataFileThatCannotBeCreatedIsNamedWithTheReason) {
    startOffline(false);
    app->files.FooterFileName = (tmp / "no" / "such" / "stopki.txt").string();
    faces.desk.answers = {false, true};
    editor().open();
    EXPECT_EQ(boxes(), Texts({kCreateBindings, kCreateFooters}));
    const std::string start = "Nie utworzono pliku " + app->files.FooterFileName + ": ";
    EXPECT_EQ(ed.status.rfind(start, 0), 0U) << ed.status;
    EXPECT_GT(ed.status.size(), start.size());                          // with the system's reason
    EXPECT_FALSE(std::filesystem::exists(app->files.BindingFileName));  // No: not made
}

TEST_F(EditorBehaviour, EditsShowTheMarkUntilSavedAndATwentyWideLineLoadsNarrow) {
    startOffline();
    editor().open();
    loadFooter("7");
    EXPECT_EQ(lines(), Texts(4, kMarker));
    EXPECT_EQ(ed.status, kNoFooter);
    ed.type(0, "Dziękujemy"_cp1250);
    ed.chooseWidth(1, true);
    ed.type(1, "Zapraszamy ponownie");
    ed.tick(0, true);
    EXPECT_TRUE(ed.changeMark);
    EXPECT_TRUE(editor().FooterEdited());
    editor().bZatwierdzClick();
    EXPECT_EQ(ed.status, "OK");
    EXPECT_FALSE(ed.changeMark);
    EXPECT_FALSE(ed.busy);
    EXPECT_NE(slurp(app->files.FooterFileName).find("$007\t"), std::string::npos);

    loadFooter("0");
    loadFooter("7");
    EXPECT_EQ(ed.text(0), "Dziękujemy"_cp1250 + spaces(30));
    EXPECT_EQ(ed.text(1), "Zapraszamy ponownie ");
    EXPECT_EQ(ed.width[1], 20U);
    EXPECT_EQ(ed.width[0], 40U);
    EXPECT_EQ(ed.lines[0].enabled, 1);
    EXPECT_EQ(ed.lines[1].width20, 1);
    EXPECT_FALSE(editor().FooterEdited());

    // Twenty cuts the text; back at forty it stays cut.
    const std::string thirty = "123456789012345678901234567890";
    ed.type(2, thirty);
    ed.chooseWidth(2, true);
    EXPECT_EQ(ed.text(2), thirty.substr(0, 20));
    ed.chooseWidth(2, false);
    EXPECT_EQ(ed.text(2), thirty.substr(0, 20));
    EXPECT_EQ(ed.width[2], 40U);
    EXPECT_TRUE(editor().FooterEdited());
}

TEST_F(EditorBehaviour, TheNumberFieldsKeepWithinTheirRanges) {
    startOffline();
    editor().open();
    ed.fields[F::seNrStopki] = "999";
    editor().seNrStopkiExit();  // leaving the field loads
    EXPECT_EQ(ed.fields[F::seNrStopki], "200");
    EXPECT_EQ(ed.status, kNoFooter);
    ed.fields[F::seNrStopki] = "-5";
    editor().seNrStopkiExit();
    EXPECT_EQ(ed.fields[F::seNrStopki], "200");
    loadFooter("-5");  // Enter limits to the range first
    EXPECT_EQ(ed.fields[F::seNrStopki], "0");
    EXPECT_EQ(ed.status, "OK");
    EXPECT_EQ(ed.focused, F::seNrStopki);
    EXPECT_TRUE(ed.fieldEnabled[F::seNrStopki]);

    ed.fields[F::seNrStopki] = "1";
    editor().stepField(F::seNrStopki, 1);
    EXPECT_EQ(ed.fields[F::seNrStopki], "2");
    ed.fields[F::seNrStopki] = "200";
    editor().stepField(F::seNrStopki, 1);
    EXPECT_EQ(ed.fields[F::seNrStopki], "200");

    // The arrows load with the left button only.
    ed.fields[F::seNrStopki] = "3";
    ed.status.clear();
    editor().UpDown1MouseUp(false);
    EXPECT_EQ(ed.status, "");
    ed.focused = F::seNrStopki;
    editor().UpDown1MouseUp(true);
    EXPECT_EQ(ed.status, kNoFooter);
    EXPECT_EQ(ed.focused, F::seNrStopki);  // the load leaves the focus where it was

    loadItem("9999");
    EXPECT_EQ(ed.fields[F::sePLU], "9983");
    loadItem("0");
    EXPECT_EQ(ed.fields[F::sePLU], "1");
    editor().stepField(F::sePLU, -1);
    EXPECT_EQ(ed.fields[F::sePLU], "1");

    const NumberRange footer{0, 200};
    EXPECT_EQ(footer.valueOf(""), 0);
    EXPECT_EQ(footer.valueOf("+7"), 7);
    EXPECT_EQ(footer.valueOf("-7"), -7);
    EXPECT_EQ(footer.valueOf("+-7"), 0);
    EXPECT_EQ(footer.valueOf("12a"), 0);
    EXPECT_EQ(NumberRange({1, 9983}).valueOf("x"), 1);
    EXPECT_EQ(footer.limited(250), 200);
    EXPECT_EQ(footer.limited(-1), 0);
    for (const char32_t c : U"0123456789+-,.\b\x7F") {
        EXPECT_TRUE(c == 0 || NumberFieldTakes(c));
    }
    for (const char32_t c : {U'a', U';', U' ', U'e', U'\u0661', U'\r', U'\n'}) {
        EXPECT_FALSE(NumberFieldTakes(c));
    }
}

TEST_F(EditorBehaviour, EnterInALineSavesAndEnterInTheNumberFieldOnlyLoads) {
    startOffline();
    editor().open();
    ed.type(3, "czwarta");
    editor().seNrStopkiKeyUp();
    EXPECT_EQ(ed.text(3), spaces(40));  // loaded again, nothing saved
    ed.type(3, "czwarta");
    editor().bZatwierdzClick();
    EXPECT_FALSE(editor().FooterEdited());
    EXPECT_EQ(ed.status, "OK");
    EXPECT_NE(slurp(app->files.FooterFileName).find("czwarta"), std::string::npos);
}

TEST_F(EditorBehaviour, BindingsStoreWithoutLoadingFirstAndBoundFootersAreLimited) {
    startOffline();
    std::string bindings = slurp(app->files.BindingFileName);
    bindings.replace(10 + 6, 3, "250");  // item 1 bound to footer 250
    put(app->files.BindingFileName, bindings);
    editor().open();
    EXPECT_EQ(ed.fields[F::seNrStopki], "200");

    loadFooter("0");
    ed.fields[F::sePLU] = "12";
    ed.fields[F::seNrStopki] = "5";
    editor().bZatwWiazClick();  // stored, then item 12 loaded again
    EXPECT_EQ(ed.fields[F::seNrStopki], "5");
    EXPECT_EQ(ed.status, kNoFooter);  // footer 5 is not in the file
    EXPECT_NE(slurp(app->files.BindingFileName).find("$0012\t005"), std::string::npos);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(EditorBehaviour, EditsAreAskedAboutBeforeAnItemLoadABindingAndAReopening) {
    startOffline();
    editor().open();
    ed.type(0, "zmiana");
    faces.desk.answers = {true};
    loadItem("2");
    EXPECT_EQ(boxes(), Texts({kSaveCurrent}));
    EXPECT_EQ(ed.text(0), "zmiana" + spaces(34));  // saved, then footer 0 loaded

    forget();
    ed.type(1, "druga");
    faces.desk.answers = {false, false};
    editor().bZatwWiazClick();
    EXPECT_EQ(boxes(), Texts({kSaveToo, kSaveCurrent}));
    EXPECT_EQ(ed.text(1), spaces(40));  // the second No loads the footer over the edits

    // Left with edits by the close box: the next opening asks first, and stores
    // under the footer number the window kept.
    loadFooter("9");
    ed.type(0, "niezapisane");
    ed.hide();
    EXPECT_TRUE(faces.main.enabled);
    EXPECT_EQ(ed.fields[F::seNrStopki], "9");
    forget();
    faces.desk.answers = {true};
    editor().open();
    EXPECT_EQ(boxes(), Texts({kSaveCurrent}));
    EXPECT_EQ(ed.fields[F::sePLU], "1");  // every opening starts at item 1
    EXPECT_EQ(ed.text(0), "zmiana" + spaces(34));
    loadFooter("9");
    EXPECT_EQ(ed.text(0).rfind("niezapisane", 0), 0U);
}

TEST_F(EditorBehaviour, OnlineTheItemNameShowsAndSavesReachThePrinter) {
    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    memory.bindings[1] = 17;
    oru::PrinterMemory& printer = startOnline(memory);
    editor().open();
    EXPECT_EQ(ed.caption, "Definiowanie stopek - dane z/do drukarki etykiet");
    EXPECT_TRUE(ed.nameShown);
    EXPECT_EQ(ed.itemName, "CHLEB ŻYTNI       ");
    EXPECT_EQ(ed.fields[F::seNrStopki], "17");
    EXPECT_EQ(ed.status, "OK");

    loadFooter("5");
    ed.type(0, "Promocja");
    ed.chooseWidth(1, true);
    ed.tick(1, true);
    editor().bZatwierdzClick();
    EXPECT_EQ(ed.status, "OK");
    oru::FooterLine first;
    std::copy_n("Promocja", 8, first.text.begin());
    EXPECT_TRUE(printer.footers[5][0] == first);
    EXPECT_EQ(printer.footers[5][1].flags, 0x0C);

    ed.fields[F::sePLU] = "2";
    editor().bZatwWiazClick();
    EXPECT_EQ(printer.bindings[2], 5);
    EXPECT_EQ(ed.itemName, "MASŁO EKSTRA      ");
    EXPECT_TRUE(boxes().empty());
}

TEST_F(EditorBehaviour, OnlineAFailingLineTwoKeepsTheOldLinesAndCountsAsUnchanged) {
    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    memory.footers[0][1].text[0] = 'Z';
    memory.footers[3][0].text[0] = 'A';
    memory.footers[3][1].text[0] = 'B';
    // Opening: name, binding, footer 0's four lines; then footer 3's line 1 alone.
    startOnline(memory, {.stopAfter = 3 + 6 + 1});
    editor().open();
    EXPECT_EQ(ed.status, "OK");
    loadFooter("3");
    EXPECT_EQ(ed.text(0), "A" + spaces(39));
    EXPECT_EQ(ed.text(1), "Z" + spaces(39));  // footer 0's, not footer 3's
    EXPECT_EQ(ed.status, "Nie odebrano danych z urządzenia (timeout odbierania)");
    EXPECT_FALSE(editor().FooterEdited());
    EXPECT_FALSE(ed.changeMark);
}

TEST_F(EditorBehaviour, ALineRefusesWhatWindows1250OrThePrinterCannotHold) {
    EXPECT_EQ(RefusedInLine("żółw", "", true), std::nullopt);
    EXPECT_EQ(RefusedInLine("żółw日", "żółw"_cp1250, true), "日");
    EXPECT_EQ(RefusedInLine("żółw€", "żółw"_cp1250, true), "€");
    EXPECT_EQ(RefusedInLine("a\tb", "", true), "");
    EXPECT_EQ(RefusedInLine("cd\n", "", false), "");
    // What the program set keeps what it holds, and an edit keeps it too.
    EXPECT_EQ(RefusedInLine("€ Sklep", "", false), std::nullopt);
    EXPECT_EQ(RefusedInLine("€ Sklepł", "€ Sklep"_cp1250, true), std::nullopt);
    EXPECT_EQ(RefusedInLine("€€ Sklep", "€ Sklep"_cp1250, true), "€");
}

}  // namespace
}  // namespace kalvero::test
