// SPDX-License-Identifier: MIT
#include "lang/Mistakes.h"

#include <regex>
#include <vector>

#include "lang/Language.h"

namespace kalvero::lang {

namespace {

// CLI11's own mistakes, as it words them in English, and their texts in the catalogue.
struct Mistake {
    std::regex english;
    const char* text;
};

}  // namespace

std::string translatedMistake(const std::string& english) {
    static const std::vector<Mistake> kMistakes = {
        {std::regex("The following argument was not expected: (.*)"),
         N_("The following argument was not expected: %1")},
        {std::regex("The following arguments were not expected: (.*)"),
         N_("The following arguments were not expected: %1")},
        {std::regex("A subcommand is required"), N_("A command is required")},
        {std::regex("(\\S+) is required"), N_("%1 is required")},
        {std::regex("(\\S+): \\d+ required \\S* ?missing"), N_("%1 needs a value")},
        {std::regex("(\\S+): too many inputs for a flag"), N_("%1 takes no value")},
        {std::regex("(\\S+): Should be true/false or a number"), N_("%1 takes no value")},
        {std::regex("Could not convert: (\\S+) = (.*)"), N_("%1: %2 is not a value it takes")},
    };
    std::smatch found;
    for (const auto& [pattern, text] : kMistakes) {
        if (std::regex_match(english, found, pattern)) {
            std::vector<std::string> values(found.begin() + 1, found.end());
            return fill(_(text), {values.size() > 0 ? std::string_view(values[0]) : "",
                                  values.size() > 1 ? std::string_view(values[1]) : "",
                                  values.size() > 2 ? std::string_view(values[2]) : ""});
        }
    }
    return english;  // our own validators' words, already in the user's language
}

}  // namespace kalvero::lang
