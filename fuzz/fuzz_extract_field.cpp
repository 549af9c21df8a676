// SPDX-License-Identifier: MIT
// ExtractField on any line: never reads outside it, and a field holds no TAB.

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/RecordFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    for (int n = -1; n <= 20; ++n) {
        const std::string field = kalvero::ExtractField(n, line);
        if (field.find('\t') != std::string::npos || field.size() > line.size()) {
            __builtin_trap();
        }
    }
    return 0;
}
