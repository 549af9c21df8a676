// SPDX-License-Identifier: MIT
#include "cli/CommandHelp.h"

#include "lang/Language.h"
#include "lang/Mistakes.h"

namespace kalvero::cli {

CommandHelp::CommandHelp() {
    for (const char* name : {N_("Usage"), N_("OPTIONS"), N_("Positionals"), N_("REQUIRED")}) {
        label(name, _(name));
    }
    label("SUBCOMMAND", _("COMMAND"));
    column_width(22);
}

std::string CommandHelp::make_usage(const CLI::App* app, std::string name) const {
    std::string usage = get_label("Usage") + ": " + name;
    for (const CLI::Option* positional :
         app->get_options([](const CLI::Option* option) { return option->get_positional(); })) {
        usage += " " + make_option_usage(positional);
    }
    usage += " [" + get_label("OPTIONS") + "]";
    if (!app->get_subcommands([](const CLI::App*) { return true; }).empty()) {
        usage += " " + get_label("SUBCOMMAND");
    }
    return usage + "\n";
}

std::string commandLineMistake(const CLI::App* app, const CLI::Error& error) {
    std::string text = "kalvero-cli: " + lang::translatedMistake(error.what()) + "\n";
    std::string name = app->get_name();
    for (auto chosen = app->get_subcommands(); !chosen.empty();
         chosen = chosen.front()->get_subcommands()) {
        app = chosen.front();
        name += " " + app->get_name();
    }
    if (app->get_parent() != nullptr) {
        text += CommandHelp().make_usage(app, name);
    }
    return text + _("Try 'kalvero-cli --help'.") + "\n";
}

}  // namespace kalvero::cli
