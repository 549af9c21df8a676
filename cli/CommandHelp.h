// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace kalvero::cli {

// Help in the program's words: "Commands", and usage lines that give the command
// words and their arguments first, as they are typed.
class CommandHelp final : public CLI::Formatter {
public:
    CommandHelp();

    std::string make_usage(const CLI::App* app, std::string name) const override;
};

// A wrong command line: the complaint, the usage of the command it was for and
// where to read more.
std::string commandLineMistake(const CLI::App* app, const CLI::Error& error);

}  // namespace kalvero::cli
