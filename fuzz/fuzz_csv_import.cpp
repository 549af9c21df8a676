// SPDX-License-Identifier: MIT
// CSV import of arbitrary bytes, in memory: refused with a row number, or records
// whose export imports back to the very same records.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "data/CsvFiles.h"
#include "data/RecordFormat.h"
#include "data/WholeFiles.h"

namespace {

// A record as a data file holds it, without its line end.
std::string line(const std::string& record) {
    return record.substr(0, record.size() - 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalvero;
    const CsvRecords parsed = ParseCsv(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed.refusal) {
        if (parsed.refusal->row < 1 || parsed.refusal->reason.empty()) {
            __builtin_trap();
        }
        return 0;
    }
    FooterFile footers;
    for (const std::string& record : parsed.footers) {
        const auto footer = ParseFooterLine(line(record));
        if (!footer) {
            __builtin_trap();  // import made a record its own files would refuse
        }
        footers.records.push_back(*footer);
    }
    BindingFile bindings;
    for (const std::string& record : parsed.bindings) {
        const auto binding = ParseBindingLine(line(record));
        if (!binding) {
            __builtin_trap();
        }
        bindings.records.push_back(*binding);
    }
    const CsvRecords again = ParseCsv(CsvText(footers, bindings));
    if (again.refusal || again.footers != parsed.footers || again.bindings != parsed.bindings) {
        __builtin_trap();
    }
    return 0;
}
