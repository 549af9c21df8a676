// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace oru {

constexpr int kLastFooter = 200;
constexpr int kFooterLines = 4;
constexpr int kLineBytes = 40;
constexpr int kFirstPlu = 1;
constexpr int kLastPlu = 9983;
constexpr int kNameBytes = 18;

struct FooterLine {
    std::uint8_t flags = 0;  // bit 2: 20 characters wide, bit 3: enabled
    std::array<std::uint8_t, kLineBytes> text = blankText();

    static constexpr std::array<std::uint8_t, kLineBytes> blankText() {
        std::array<std::uint8_t, kLineBytes> t{};
        t.fill(' ');
        return t;
    }
    bool operator==(const FooterLine&) const = default;
};

using ItemName = std::array<std::uint8_t, kNameBytes>;  // code page 852

// Everything a DURAX ORU keeps: footers, bindings, item names and its identity.
struct PrinterMemory {
    std::array<std::array<FooterLine, kFooterLines>, kLastFooter + 1> footers{};
    std::array<std::uint8_t, kLastPlu + 1> bindings{};  // index = PLU; 0 unused
    std::map<int, ItemName> itemNames;
    std::uint8_t version = 4;
    std::array<char, 2> number{'0', '1'};
    std::uint32_t baudRate = 9600;
    std::array<std::uint8_t, 4> status{0x10, 0x00, 0x00, 0x00};
    std::uint8_t identifyByte = 0x25;

    bool operator==(const PrinterMemory&) const = default;

    // A printer as delivered: a few named items, everything else blank.
    static PrinterMemory factory();
    static ItemName makeName(std::string_view cp852);

    // A line-based text file: "version 4", "footer 7 2 0d <80 hex digits>", "binding 12 5"...
    bool load(const std::filesystem::path& file, std::string& error);
    bool save(const std::filesystem::path& file, std::string& error) const;
};

}  // namespace oru
