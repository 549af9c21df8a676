// SPDX-License-Identifier: MIT
#include "data/Cp1250.h"

#include <utf8.h>

#include <iterator>

namespace kalvero {

namespace {

// The printer prints code page 852, and of the bytes from 0x80 up only these letters
// are translated for it: any other would print as some other sign.
constexpr std::u32string_view kPolishLetters = U"ąćęłńóśźżĄĆĘŁŃÓŚŹŻ";

}  // namespace

std::string Cp1250ToUtf8(std::string_view cp1250) {
    std::string out;
    out.reserve(cp1250.size() * 2);
    for (const char c : cp1250) {
        utf8::unchecked::append(Cp1250ToCodePoint(static_cast<unsigned char>(c)),
                                std::back_inserter(out));
    }
    return out;
}

bool IsUtf8(std::string_view text) {
    return utf8::is_valid(text.begin(), text.end());
}

std::optional<std::string> Utf8ToCp1250(std::string_view utf8) {
    // Overlong forms, surrogates and code points past U+10FFFF are malformed too:
    // an overlong "/" or digit must not pass for the plain one.
    if (!IsUtf8(utf8)) {
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
