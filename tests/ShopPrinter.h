// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <string>

#include "emulator/PrinterMemory.h"

namespace kalvero::test {

// A shop's printer whose every third footer and every binding tell themselves
// apart, Polish letters (in the printer's code page) included.
inline oru::PrinterMemory ShopPrinter() {
    oru::PrinterMemory memory = oru::PrinterMemory::factory();
    for (int n = 0; n <= 200; n += 3) {
        for (int k = 0; k < 4; ++k) {
            auto& line = memory.footers[n][k];
            line.flags = k == 1 ? 0x0C : 0x08;
            const std::string text =
                "Sklep " + std::to_string(n) + " \x88\xA5ka " + std::to_string(k);
            std::copy(text.begin(), text.end(), line.text.begin());
        }
    }
    for (int plu = 1; plu <= 9983; ++plu) {
        memory.bindings[plu] = static_cast<std::uint8_t>((plu * 7) % 201);
    }
    return memory;
}

}  // namespace kalvero::test
