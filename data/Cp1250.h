// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kalvero {

namespace cp1250 {

// Code points of bytes 0x80..0xFF. The five bytes Windows leaves undefined map
// to the control code of the same number, so that every byte survives a round trip.
inline constexpr std::array<char32_t, 128> kHighHalf{
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039,
    0x015A, 0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141,
    0x00A4, 0x0104, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB,
    0x013D, 0x02DD, 0x013E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3,
    0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7, 0x010D, 0x00E9, 0x0119, 0x00EB,
    0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

}  // namespace cp1250

// Text is Windows-1250 inside the program and its files; these convert it at
// the edge, to and from the UTF-8 that windows and terminals use.
std::string Cp1250ToUtf8(std::string_view cp1250);
// Nothing when a character has no Windows-1250 byte: it is refused, never replaced.
std::optional<std::string> Utf8ToCp1250(std::string_view utf8);
// Well-formed UTF-8: no overlong form, surrogate or code point past U+10FFFF.
bool IsUtf8(std::string_view text);

constexpr char32_t Cp1250ToCodePoint(unsigned char byte) {
    return byte < 0x80 ? byte : cp1250::kHighHalf[byte - 0x80];
}

constexpr std::optional<char> CodePointToCp1250(char32_t codePoint) {
    if (codePoint < 0x80) {
        return static_cast<char>(codePoint);
    }
    for (std::size_t i = 0; i < cp1250::kHighHalf.size(); ++i) {
        if (cp1250::kHighHalf[i] == codePoint) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

// The first character of a Windows-1250 text that the printer cannot print: any
// from 0x80 up but the Polish letters. Such text is refused where it is typed;
// data files that already hold one keep it.
std::optional<char> FirstUnprintable(std::string_view cp1250);

namespace cp1250 {

// A string literal of the source, in UTF-8, taken whole as a template argument.
template <std::size_t N>
struct Utf8Literal {
    char text[N]{};
    consteval Utf8Literal(const char (&utf8)[N]) {  // NOLINT: implicit, as a literal
        for (std::size_t i = 0; i < N; ++i) {
            text[i] = utf8[i];
        }
    }
};

template <std::size_t N>
struct Converted {
    std::array<char, N> bytes{};
    std::size_t size = 0;
};

// The literal's characters one by one, as code points; the source is UTF-8 by the
// build's own rules, so a malformed sequence or a character without a Windows-1250
// byte stops the compilation instead of reaching a file or the printer.
template <std::size_t N>
consteval Converted<N> convert(const Utf8Literal<N>& utf8) {
    Converted<N> out;
    for (std::size_t i = 0; i + 1 < N;) {
        const auto lead = static_cast<unsigned char>(utf8.text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xE0 ? 3 : 2;
        char32_t codePoint = length == 1 ? lead : lead & (length == 2 ? 0x1F : 0x0F);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(utf8.text[i + k]);
            if ((next & 0xC0) != 0x80) {
                throw "malformed UTF-8 in a literal";
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        const std::optional<char> byte = CodePointToCp1250(codePoint);
        if (!byte) {
            throw "a character without a Windows-1250 byte";
        }
        out.bytes[out.size++] = *byte;
        i += length;
    }
    return out;
}

// The bytes, null-terminated and no longer than they are, for the program's lifetime.
template <Utf8Literal S>
inline constexpr auto kBytes = [] {
    constexpr Converted converted = convert(S);
    std::array<char, converted.size + 1> bytes{};
    for (std::size_t i = 0; i < converted.size; ++i) {
        bytes[i] = converted.bytes[i];
    }
    return bytes;
}();

}  // namespace cp1250

// A Polish text written as it reads, held as the Windows-1250 bytes the program
// uses: "Błędny"_cp1250. Converted while compiling; the bytes live as long as the
// program.
template <cp1250::Utf8Literal S>
consteval const char* operator""_cp1250() {
    return cp1250::kBytes<S>.data();
}

}  // namespace kalvero
