// SPDX-License-Identifier: MIT
#include "data/Cp1250.h"

#include <utf8.h>

#include <array>
#include <iterator>

namespace kalvero {

namespace {

// Code points of bytes 0x80..0xFF. The five bytes Windows leaves undefined map
// to the control code of the same number, so that every byte survives a round trip.
constexpr std::array<char32_t, 128> kHighHalf{
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

// The printer prints code page 852, and of the bytes from 0x80 up only these letters
// are translated for it: any other would print as some other sign.
constexpr std::u32string_view kPolishLetters = U"ąćęłńóśźżĄĆĘŁŃÓŚŹŻ";

}  // namespace

char32_t Cp1250ToCodePoint(unsigned char byte) {
    return byte < 0x80 ? byte : kHighHalf[byte - 0x80];
}

std::optional<char> CodePointToCp1250(char32_t codePoint) {
    if (codePoint < 0x80) {
        return static_cast<char>(codePoint);
    }
    for (std::size_t i = 0; i < kHighHalf.size(); ++i) {
        if (kHighHalf[i] == codePoint) {
            return static_cast<char>(0x80 + i);
        }
    }
    return std::nullopt;
}

std::string Cp1250ToUtf8(std::string_view cp1250) {
    std::string out;
    out.reserve(cp1250.size() * 2);
    for (const char c : cp1250) {
        utf8::unchecked::append(Cp1250ToCodePoint(static_cast<unsigned char>(c)),
                                std::back_inserter(out));
    }
    return out;
}

std::optional<std::string> Utf8ToCp1250(std::string_view utf8) {
    // Overlong forms, surrogates and code points past U+10FFFF are malformed too:
    // an overlong "/" or digit must not pass for the plain one.
    if (!utf8::is_valid(utf8.begin(), utf8.end())) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(utf8.size());
    for (std::string_view::const_iterator at = utf8.begin(); at != utf8.end();) {
        const auto byte = CodePointToCp1250(utf8::unchecked::next(at));
        if (!byte) {
            return std::nullopt;
        }
        out += *byte;
    }
    return out;
}

std::optional<char> FirstUnprintable(std::string_view cp1250) {
    for (const char c : cp1250) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 &&
            kPolishLetters.find(Cp1250ToCodePoint(byte)) == std::u32string_view::npos) {
            return c;
        }
    }
    return std::nullopt;
}

}  // namespace kalvero
