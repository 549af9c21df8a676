// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace kalvero::cli {

// Help as GNU tools give it, in the program's words: the usage line first, then what
// the command does, "-h, --help" with long options aligned under the short ones, and
// every text wrapped to 80 columns in any language. A command's help also lists the
// options every command takes.
class CommandHelp final : public CLI::Formatter {
public:
    CommandHelp();

    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_description(const CLI::App* app) const override;
    std::string make_footer(const CLI::App* app) const override;
    std::string make_option(const CLI::Option* opt, bool is_positional) const override;
    std::string make_option_name(const CLI::Option* opt, bool is_positional) const override;
    std::string make_subcommand(const CLI::App* sub) const override;
};

// Text in lines of at most width characters (not bytes), each begun by indent. A
// single line end is a blank, as translations wrap otherwise; an empty line stays.
std::string wrapped(const std::string& text, std::size_t width, std::size_t indent = 0);

// A wrong command line: the complaint, the usage of the command it was for and
// where to read more; a word that is no command gets the list of commands.
std::string commandLineMistake(const CLI::App* app, const CLI::Error& error);
// Its complaint alone, in the user's language.
std::string commandLineReason(const CLI::App* app, const CLI::Error& error);

}  // namespace kalvero::cli
