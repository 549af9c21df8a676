// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data/RecordFormat.h"
#include "data/ResultCode.h"
#include "link/OperatingState.h"
#include "link/PrinterCommands.h"
#include "link/ProgressView.h"

namespace kalvero {

// Records read from the printer into memory: result 0 and the records in ascending
// order, or the first failing printer code with the records read before it. A stop
// also gives 0 with the records so far; AbortRequested, left set, tells it apart.
struct PrinterFooters {
    ResultCode result = 0;
    std::vector<FooterRecord> records;
};
struct PrinterBindings {
    ResultCode result = 0;
    std::vector<BindingRecord> records;
};

// Reads footers and bindings from the printer (mode 0) record by record, with progress
// after each record and a stop checked before each, as the bulk transfers do.
class PrinterReader {
public:
    PrinterReader(PrinterCommands& commands, OperatingState& state, ProgressView& view);

    // Every footer, 0..200: what diff compares a footer file with.
    PrinterFooters ReadFooters();
    // The bindings of PLU 1..lastPlu: what diff compares a binding file with.
    PrinterBindings ReadBindings(std::uint16_t lastPlu);
    // Only the footers, or the PLUs' bindings, that the file holds, each once: the
    // read-back that verifies a write.
    PrinterFooters ReadBackFooters(const std::vector<FooterRecord>& file);
    PrinterBindings ReadBackBindings(const std::vector<BindingRecord>& file);

private:
    PrinterFooters readFooters(const std::vector<int>& numbers);
    PrinterBindings readBindings(const std::vector<int>& plus);
    ResultCode readFooter(int number, FooterRecord& record);
    // Runs read(i) for i in 0..count-1 under the label what, the stop checked before
    // each and progress shown after each.
    ResultCode eachRecord(const std::string& what, std::size_t count,
                          const std::function<ResultCode(std::size_t)>& read);
    void endView();

    PrinterCommands& m_commands;
    OperatingState& m_state;
    ProgressView& m_view;
};

// The differences between what writing the file would leave in the printer and what
// the printer holds, one line of text (UTF-8, in the chosen language; here in Polish)
// each, in ascending number order. A number given twice counts by its last record, as in a bulk write.
//
// A footer line is compared as the printer holds it: its text cut to its width (20
// or 40) and padded to 40, passed through the printer's character set, its flags as
// set or clear. Texts are shown without trailing spaces:
//   stopka 7 linia 2: plik "Zapraszamy", drukarka "Zapraszamy ponownie"
//   stopka 7 linia 2: plik 20 znaków, włączona; drukarka 40 znaków, wyłączona
//   stopka 7 linia 2: plik "A", 20 znaków, włączona; drukarka "B", 40 znaków, włączona
//   PLU 1234: plik 007, drukarka 005
//
// A printer record that the file lacks is a difference unless it holds what an erase
// leaves (a footer of four blank, disabled, 40-wide lines; a PLU bound to footer 0),
// since the file then has nothing to put there:
//   stopka 9: brak w pliku
//   PLU 17: brak w pliku, drukarka 003
// A file record that the printer records lack (a number the printer cannot hold, or
// one that was not read) is a difference too:
//   stopka 230: brak w drukarce
//   PLU 9990: plik 007, brak w drukarce
// After a read-back only the file's numbers are on both sides, so only they count.
// Each difference also as values, for a script: what each side holds, nothing where a
// side lacks the record.
struct FooterDifference {
    int footer = 0;
    int line = 0;  // 1..4; 0 when a side lacks the whole footer
    bool inFile = true;
    bool inPrinter = true;
    FooterLine file;  // the line as the printer would hold it
    FooterLine printer;
    std::string text;
};
struct BindingDifference {
    int plu = 0;
    std::optional<int> file;  // the footer bound
    std::optional<int> printer;
    std::string text;
};
std::vector<FooterDifference> FooterDifferences(const std::vector<FooterRecord>& file,
                                                const std::vector<FooterRecord>& printer);
std::vector<BindingDifference> BindingDifferences(const std::vector<BindingRecord>& file,
                                                  const std::vector<BindingRecord>& printer);

}  // namespace kalvero
