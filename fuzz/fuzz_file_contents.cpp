// SPDX-License-Identifier: MIT
// The whole-file reader on arbitrary bytes, in memory: a refusal names a record line,
// and the records it takes, written as a bulk read writes them, read back the same.

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/WholeFiles.h"

namespace {

constexpr const char* kHeader = "#\r\n#\r\n#\r\n";

template <typename File, typename Read>
void readsBackTheSame(const File& first, Read read) {
    if (first.result == 255 && first.badLine < 4) {
        __builtin_trap();  // the header lines are never a bad record
    }
    if (first.result != 0) {
        return;
    }
    std::string written = kHeader;
    for (const auto& record : first.records) {
        written += record.format();
    }
    const File again = read(written);
    if (again.result != 0 || again.records.size() != first.records.size()) {
        __builtin_trap();
    }
    for (std::size_t i = 0; i < first.records.size(); ++i) {
        if (again.records[i].format() != first.records[i].format()) {
            __builtin_trap();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kalvero;
    const std::string text(reinterpret_cast<const char*>(data), size);
    readsBackTheSame(ReadFooterText(text), ReadFooterText);
    readsBackTheSame(ReadBindingText(text), ReadBindingText);
    return 0;
}
