// SPDX-License-Identifier: MIT
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/CliOptions.h"

namespace kalvero::cli {

// The options that several command words take, each made the same way wherever it is
// added: the main command takes them too, so that they may come before the words.

// Digits only, read in base 10 as the data files' numbers are: CLI11 alone would
// read "010" as octal and take signs and blanks.
extern const CLI::Validator kDecimal;
// A number of the printer's records or settings, minimum..maximum.
CLI::Option* decimal(CLI::Option* option, long minimum, long maximum);

CLI::Option* addFooters(CLI::App& app, Options& o);
CLI::Option* addBindings(CLI::App& app, Options& o);
CLI::Option* addLastPlu(CLI::App& app, Options& o);
CLI::Option* addOffline(CLI::App& app, Options& o);
CLI::Option* addCreate(CLI::App& app, Options& o);
// Given before and after the command words, the lines add up in their order.
CLI::Option* addLine(CLI::App& app, Options& o);
CLI::Option* addFooterNumber(CLI::App& app, Options& o);
CLI::Option* addPlu(CLI::App& app, Options& o);

// A command word: when it is given, its command is the run's.
CLI::App* addCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     Options& o, Command command, CommandTraits traits = {});

}  // namespace kalvero::cli
