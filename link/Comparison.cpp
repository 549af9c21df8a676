// SPDX-License-Identifier: MIT
#include "link/Comparison.h"

#include <map>
#include <set>

#include "data/Cp1250.h"
#include "lang/Language.h"

namespace kalvero {

namespace {

constexpr std::size_t kNarrowWidth = 20;
constexpr std::uint8_t kFooterLines = 4;

// The records by number, a later record replacing an earlier one as a later write does.
template <typename Record, typename Number>
std::map<int, Record> lastByNumber(const std::vector<Record>& records, Number number) {
    std::map<int, Record> byNumber;
    for (const Record& record : records) {
        byNumber.insert_or_assign(number(record), record);
    }
    return byNumber;
}

int footerNumber(const FooterRecord& record) {
    return record.number;
}

int pluNumber(const BindingRecord& record) {
    return record.plu;
}

// Calls compare(number, inFile, inPrinter) for every number on either side, in
// ascending order; a side without that number gives null.
template <typename Record, typename Compare>
void eachNumber(const std::map<int, Record>& file, const std::map<int, Record>& printer,
                Compare compare) {
    std::set<int> numbers;
    for (const auto& side : {&file, &printer}) {
        for (const auto& entry : *side) {
            numbers.insert(entry.first);
        }
    }
    for (const int n : numbers) {
        const auto inFile = file.find(n);
        const auto inPrinter = printer.find(n);
        compare(n, inFile == file.end() ? nullptr : &inFile->second,
                inPrinter == printer.end() ? nullptr : &inPrinter->second);
    }
}

// A line as the printer holds it once written, and as it reads back.
FooterLine held(const FooterLine& line) {
    const bool narrow = line.width20 != 0;
    std::string text = line.text.substr(0, narrow ? kNarrowWidth : FooterLine::kTextLength);
    text.resize(FooterLine::kTextLength, ' ');
    for (char& c : text) {
        c = static_cast<char>(FromPrinterCharset(ToPrinterCharset(static_cast<std::uint8_t>(c))));
    }
    return {narrow ? std::uint8_t{1} : std::uint8_t{0},
            line.enabled != 0 ? std::uint8_t{1} : std::uint8_t{0}, text};
}

bool erased(const FooterRecord& record) {
    const FooterLine blank{0, 0, std::string(FooterLine::kTextLength, ' ')};
    for (const FooterLine& line : record.lines) {
        if (held(line) != blank) {
            return false;
        }
    }
    return true;
}

std::string quoted(const std::string& text) {
    return "\"" + Cp1250ToUtf8(text.substr(0, text.find_last_not_of(' ') + 1)) + "\"";
}

std::string flags(const FooterLine& line) {
    return fill(_("%1 characters, %2"),
                {line.width20 != 0 ? "20" : "40", line.enabled != 0 ? _("enabled") : _("disabled")});
}

// What one side holds of a line: its text, its flags, or both, as far as they differ.
std::string side(const FooterLine& line, bool textDiffers, bool flagsDiffer) {
    if (!flagsDiffer) {
        return quoted(line.text);
    }
    return textDiffers ? quoted(line.text) + ", " + flags(line) : flags(line);
}

void lineDifference(int footer, int k, const FooterLine& file, const FooterLine& printer,
                    std::vector<FooterDifference>& out) {
    const bool textDiffers = file.text != printer.text;
    const bool flagsDiffer = file.width20 != printer.width20 || file.enabled != printer.enabled;
    if (!textDiffers && !flagsDiffer) {
        return;
    }
    // A side that lists flags holds commas itself, so a semicolon divides the sides.
    out.push_back({footer, k + 1, true, true, file, printer,
                   fill(_("footer %1 line %2: file %3"),
                        {std::to_string(footer), std::to_string(k + 1),
                         side(file, textDiffers, flagsDiffer)}) +
                       (flagsDiffer ? "; " : ", ") +
                       fill(_("printer %1"), {side(printer, textDiffers, flagsDiffer)})});
}

// The distinct numbers of the records, ascending.
template <typename Record, typename Number>
std::vector<int> numbersOf(const std::vector<Record>& records, Number number) {
    std::set<int> numbers;
    for (const Record& record : records) {
        numbers.insert(number(record));
    }
    return {numbers.begin(), numbers.end()};
}

// A footer on either side or both, null where a side lacks it.
void footerDifferences(int n, const FooterRecord* inFile, const FooterRecord* inPrinter,
                       std::vector<FooterDifference>& out) {
    if (inFile == nullptr) {
        if (!erased(*inPrinter)) {
            out.push_back(
                {n, 0, false, true, {}, {}, fill(_("footer %1: not in the file"), {std::to_string(n)})});
        }
        return;
    }
    if (inPrinter == nullptr) {
        out.push_back(
            {n, 0, true, false, {}, {}, fill(_("footer %1: not in the printer"), {std::to_string(n)})});
        return;
    }
    for (int k = 0; k < kFooterLines; ++k) {
        lineDifference(n, k, held(inFile->lines[k]), held(inPrinter->lines[k]), out);
    }
}

bool bindingDiffers(const BindingRecord* inFile, const BindingRecord* inPrinter) {
    if (inFile == nullptr) {
        return inPrinter->footer != 0;  // footer 0 is what an erase leaves
    }
    return inPrinter == nullptr || inFile->footer != inPrinter->footer;
}

std::string fileSide(const BindingRecord* inFile) {
    return inFile != nullptr ? fill(_("file %1"), {digits(inFile->footer, 3)}) : _("not in the file");
}

std::string printerSide(const BindingRecord* inPrinter) {
    return inPrinter != nullptr ? fill(_("printer %1"), {digits(inPrinter->footer, 3)})
                                : _("not in the printer");
}

std::vector<int> range(int first, int last) {
    std::vector<int> numbers;
    for (int n = first; n <= last; ++n) {
        numbers.push_back(n);
    }
    return numbers;
}

}  // namespace

PrinterReader::PrinterReader(PrinterCommands& commands, OperatingState& state, ProgressView& view)
    : m_commands(commands), m_state(state), m_view(view) {}

PrinterFooters PrinterReader::ReadFooters() {
    return readFooters(range(0, kLastFooter));
}

PrinterBindings PrinterReader::ReadBindings(std::uint16_t lastPlu) {
    return readBindings(range(1, lastPlu));
}

PrinterFooters PrinterReader::ReadBackFooters(const std::vector<FooterRecord>& file) {
    return readFooters(numbersOf(file, footerNumber));
}

PrinterBindings PrinterReader::ReadBackBindings(const std::vector<BindingRecord>& file) {
    return readBindings(numbersOf(file, pluNumber));
}

PrinterFooters PrinterReader::readFooters(const std::vector<int>& numbers) {
    PrinterFooters read;
    read.result = eachRecord("Odczyt stopek", numbers.size(), [&](std::size_t i) {
        FooterRecord record;
        const ResultCode rc = readFooter(numbers[i], record);
        if (rc == 0) {
            read.records.push_back(record);
        }
        return rc;
    });
    return read;
}

PrinterBindings PrinterReader::readBindings(const std::vector<int>& plus) {
    PrinterBindings read;
    read.result = eachRecord("Odczyt wiązań"_cp1250, plus.size(), [&](std::size_t i) {
        BindingRecord record{static_cast<std::uint16_t>(plus[i]), 0};
        const ResultCode rc = m_commands.ReadBinding(0, record.plu, record.footer);
        if (rc == 0) {
            read.records.push_back(record);
        }
        return rc;
    });
    return read;
}

ResultCode PrinterReader::readFooter(int number, FooterRecord& record) {
    record.number = static_cast<std::uint8_t>(number);
    for (std::uint8_t k = 0; k < kFooterLines; ++k) {
        FooterLine& line = record.lines[k];
        if (const ResultCode rc = m_commands.ReadFooterLine(0, record.number, k + 1, line.text,
                                                            line.width20, line.enabled);
            rc != 0) {
            return rc;
        }
    }
    return 0;
}

ResultCode PrinterReader::eachRecord(const std::string& what, std::size_t count,
                                     const std::function<ResultCode(std::size_t)>& read) {
    m_view.setLabel(what + "...");
    m_view.showLabel(true);
    m_view.setBar(0, static_cast<int>(count), 1);
    m_view.showBar(true);
    for (std::size_t i = 0; i < count; ++i) {
        // A stop leaves the label and the bar where they stood, as the transfers do.
        if (m_state.AbortRequested != 0) {
            return 0;
        }
        if (const ResultCode rc = read(i); rc != 0) {
            endView();
            return rc;
        }
        m_view.PumpMessages();
        m_view.stepBar();
        m_view.setLabel(what + " " + std::to_string(i + 1) + "/" + std::to_string(count));
        m_view.repaint();
        m_view.bringToFront();
    }
    endView();
    return 0;
}

void PrinterReader::endView() {
    m_view.showLabel(false);
    m_view.showBar(false);
}

std::vector<FooterDifference> FooterDifferences(const std::vector<FooterRecord>& file,
                                                const std::vector<FooterRecord>& printer) {
    std::vector<FooterDifference> out;
    eachNumber(lastByNumber(file, footerNumber), lastByNumber(printer, footerNumber),
               [&](int n, const FooterRecord* inFile, const FooterRecord* inPrinter) {
                   footerDifferences(n, inFile, inPrinter, out);
               });
    return out;
}

std::vector<BindingDifference> BindingDifferences(const std::vector<BindingRecord>& file,
                                                  const std::vector<BindingRecord>& printer) {
    std::vector<BindingDifference> out;
    eachNumber(lastByNumber(file, pluNumber), lastByNumber(printer, pluNumber),
               [&](int plu, const BindingRecord* inFile, const BindingRecord* inPrinter) {
                   if (bindingDiffers(inFile, inPrinter)) {
                       const auto footer = [](const BindingRecord* record) {
                           return record != nullptr ? std::optional<int>(record->footer)
                                                    : std::nullopt;
                       };
                       out.push_back({plu, footer(inFile), footer(inPrinter),
                                      "PLU " + std::to_string(plu) + ": " + fileSide(inFile) +
                                          ", " + printerSide(inPrinter)});
                   }
               });
    return out;
}

}  // namespace kalvero
