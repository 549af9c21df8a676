// SPDX-License-Identifier: MIT
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// The language of what the terminal programs say: English in the sources, a
// translation from the catalogue of the chosen language (po/LANG.po). The printer's
// result texts are not translated: they read the same in every language.
namespace kalvero {

// A text translated where it is used, not where it is defined (a table's entry).
constexpr const char* N_(const char* english) {
    return english;
}

// The chosen language's text for english; english itself without a translation.
const char* _(const char* english);

// pattern with %1..%9 replaced by the values, in whatever order the language puts them.
std::string fill(std::string_view pattern, std::initializer_list<std::string_view> values);

}  // namespace kalvero

namespace kalvero::lang {

// The user's language, as the locale gives it (LANGUAGE, LC_ALL, LC_MESSAGES, LANG;
// on Windows the user's display language). Also sets the C library's messages and
// characters to the locale, so that system reasons come in that language too.
void useUserLanguage();
// Polish, whatever the locale: the windows speak Polish.
void usePolish();

}  // namespace kalvero::lang
