// SPDX-License-Identifier: MIT
#include "cli/CommandOptions.h"

#include <algorithm>

#include "data/RecordFormat.h"
#include "lang/Language.h"

namespace kalvero::cli {

namespace {

bool isCommandWord(const CLI::App& app, const std::string& word) {
    const auto commands = app.get_subcommands([](const CLI::App*) { return true; });
    return std::any_of(commands.begin(), commands.end(), [&word](const CLI::App* command) {
        return command->check_name(word) || isCommandWord(*command, word);
    });
}

// The word after a data file option is its file unless it starts with '-' or is a
// command word; CLI11 alone would take "-", "-5" and a command word given twice.
CLI::Validator fileName(const CLI::App& app) {
    return CLI::Validator(
        [&app](const std::string& file) {
            const CLI::App* root = &app;
            while (root->get_parent() != nullptr) {
                root = root->get_parent();
            }
            return file.empty() || file[0] == '-' || isCommandWord(*root, file)
                       ? fill(_("FILE may not be empty, start with '-' or be a command word: %1"),
                              {file})
                       : std::string();
        },
        "");
}

CLI::Option* addFileOption(CLI::App& app, const std::string& name, std::optional<std::string>& file,
                           const char* what, const std::string& fallback) {
    return app.add_option(name, file, fill(_(what), {fallback, name}))
        ->expected(0, 1)
        ->default_str(fallback)
        ->check(fileName(app))
        ->option_text(std::string("[") + _("FILE") + "]");
}
}  // namespace

const CLI::Validator kDecimal(
    [](std::string& text) {
        const auto n = number(text);
        if (!n) {
            return fill(_("Value %1 is not a decimal number"), {text});
        }
        text = std::to_string(*n);
        return std::string();
    },
    "");

CLI::Option* decimal(CLI::Option* option, long minimum, long maximum) {
    return option->transform(kDecimal)->check(CLI::Validator(
        [minimum, maximum](const std::string& text) {
            const auto n = number(text);
            return n && *n >= minimum && *n <= maximum
                       ? std::string()
                       : fill(_("Value %1 is not in %2..%3"),
                              {text, std::to_string(minimum), std::to_string(maximum)});
        },
        ""));
}

CLI::Option* addFooters(CLI::App& app, Options& o) {
    return addFileOption(app, "--footers", o.footers,
                         N_("the footers, in FILE (default %1);\n%2=FILE works too"), "stopki.txt");
}
CLI::Option* addBindings(CLI::App& app, Options& o) {
    return addFileOption(app, "--bindings", o.bindings,
                         N_("the bindings, in FILE (default %1);\n%2=FILE works too"), "wiazplu.txt");
}
CLI::Option* addLastPlu(CLI::App& app, Options& o) {
    return decimal(
               app.add_option("--last-plu", o.lastPlu, _("read bindings up to item N (default 9983)")),
               1, kLastPlu)
        ->option_text("N");
}
CLI::Option* addOffline(CLI::App& app, Options& o) {
    return app.add_flag("--offline", o.offline,
                        _("footer/binding get/set work on the files, not the printer"));
}
CLI::Option* addCreate(CLI::App& app, Options& o) {
    return app.add_flag("--create", o.create, _("create a missing data file for an offline set"));
}
CLI::Option* addLine(CLI::App& app, Options& o) {
    return app
        .add_option_function<std::vector<std::string>>(
            "--line",
            [&o](const std::vector<std::string>& lines) {
                o.lines.insert(o.lines.end(), lines.begin(), lines.end());
            },
            _("footer set: line K (1..4), width 40 or 20, enabled 1 or 0\n"
              "and its text (at most W characters, no control\n"
              "characters); lines not given are blank, off, 40 wide"))
        ->allow_extra_args(false)
        ->option_text(_("K:W:E:TEXT"));
}
CLI::Option* addFooterNumber(CLI::App& app, Options& o) {
    return decimal(app.add_option("N", o.footer, _("the footer, 0..200")), 0, kLastFooter)
        ->required()
        ->type_name("");
}
CLI::Option* addPlu(CLI::App& app, Options& o) {
    return decimal(app.add_option("PLU", o.plu, _("the item, 1..9983")), 1, kLastPlu)
        ->required()
        ->type_name("");
}

CLI::App* addCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     Options& o, Command command, CommandTraits traits) {
    CLI::App* app = parent.add_subcommand(name, description);
    // "footer get" by both words.
    const std::string full = parent.get_parent() != nullptr ? parent.get_name() + " " + name : name;
    app->callback([&o, full, command = std::move(command), traits] {
        o.command = command;
        o.commandName = full;
        o.traits = traits;
    });
    return app;
}


}  // namespace kalvero::cli
