// SPDX-License-Identifier: MIT
#include "cli/CommandHelp.h"

#include <optional>

#include <algorithm>
#include <sstream>

#include "lang/Language.h"
#include "lang/Mistakes.h"
#include "link/PortName.h"

namespace kalvero::cli {

namespace {

constexpr std::size_t kColumns = 80;
constexpr std::size_t kDescriptionColumn = 26;

// Characters, not bytes: a Polish letter is two bytes of UTF-8 and one column.
std::size_t shownWidth(std::string_view text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; }));
}

// A name in the first column and its description wrapped beside it, two blanks
// apart at least, or under it.
std::string besideName(const std::string& name, const std::string& description) {
    const std::string body = wrapped(description, kColumns, kDescriptionColumn);
    if (body.empty()) {
        return name + "\n";
    }
    if (shownWidth(name) + 2 > kDescriptionColumn) {
        return name + "\n" + body + "\n";
    }
    return name + std::string(kDescriptionColumn - shownWidth(name), ' ') +
           body.substr(kDescriptionColumn) + "\n";
}

const CLI::App* rootOf(const CLI::App* app) {
    while (app->get_parent() != nullptr) {
        app = app->get_parent();
    }
    return app;
}

}  // namespace

std::string wrapped(const std::string& text, std::size_t width, std::size_t indent) {
    std::string out;
    std::size_t paragraphStart = 0;
    while (paragraphStart < text.size()) {
        std::size_t paragraphEnd = text.find("\n\n", paragraphStart);
        if (paragraphEnd == std::string::npos) {
            paragraphEnd = text.size();
        }
        std::istringstream words(text.substr(paragraphStart, paragraphEnd - paragraphStart));
        std::string line;
        std::size_t lineWidth = 0;
        for (std::string word; words >> word;) {
            if (lineWidth > 0 && indent + lineWidth + 1 + shownWidth(word) > width) {
                out += std::string(indent, ' ') + line + "\n";
                line.clear();
                lineWidth = 0;
            }
            line += (lineWidth > 0 ? " " : "") + word;
            lineWidth += (lineWidth > 0 ? 1 : 0) + shownWidth(word);
        }
        if (lineWidth > 0) {
            out += std::string(indent, ' ') + line + "\n";
        }
        paragraphStart = paragraphEnd + 2;
        if (paragraphStart < text.size()) {
            out += "\n";
        }
    }
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

CommandHelp::CommandHelp() {
    for (const char* name : {N_("Usage"), N_("OPTIONS"), N_("Positionals"), N_("REQUIRED")}) {
        label(name, _(name));
    }
    label("SUBCOMMAND", _("COMMAND"));
    column_width(kDescriptionColumn);
}

std::string CommandHelp::make_help(const CLI::App* app, std::string name,
                                   CLI::AppFormatMode mode) const {
    std::string help = make_usage(app, name) + make_description(app) + make_positionals(app) +
                       make_groups(app, mode);
    if (app->get_parent() != nullptr) {
        const CLI::App* root = rootOf(app);
        const std::string shared = _("Options");
        help += make_group(_("Options of every command"), false,
                           root->get_options([root, &shared](const CLI::Option* option) {
                               return option->get_group() == shared && option->nonpositional() &&
                                      option != root->get_help_ptr() &&
                                      option != root->get_version_ptr();
                           }));
    }
    help += make_subcommands(app, mode) + make_footer(app);
    // One blank line between two parts, however each ends and begins.
    for (std::size_t at = help.find("\n\n\n"); at != std::string::npos;
         at = help.find("\n\n\n", at)) {
        help.erase(at, 1);
    }
    return help;
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

std::string CommandHelp::make_description(const CLI::App* app) const {
    const std::string description = wrapped(app->get_description(), kColumns);
    return description.empty() ? std::string() : description + "\n";
}

std::string CommandHelp::make_footer(const CLI::App* app) const {
    const std::string footer = wrapped(app->get_footer(), kColumns);
    return footer.empty() ? std::string() : "\n" + footer + "\n";
}

std::string CommandHelp::make_option(const CLI::Option* opt, bool is_positional) const {
    return besideName("  " + make_option_name(opt, is_positional) +
                          (is_positional ? std::string() : make_option_opts(opt)),
                      make_option_desc(opt));
}

std::string CommandHelp::make_option_name(const CLI::Option* opt, bool is_positional) const {
    if (is_positional) {
        return opt->get_name(true, false);
    }
    std::string name;
    for (const std::string& letter : opt->get_snames()) {
        name += "-" + letter + ", ";
    }
    if (name.empty()) {
        name = "    ";  // long options line up under the short ones
    }
    for (const std::string& word : opt->get_lnames()) {
        name += (name.ends_with(", ") || name == "    " ? "--" : ", --") + word;
    }
    return name;
}

std::string CommandHelp::make_subcommand(const CLI::App* sub) const {
    return besideName("  " + sub->get_display_name(), sub->get_description());
}

namespace {

// The command a wrong line was for: the deepest command word chosen, and its name.
const CLI::App* chosenCommand(const CLI::App* app, std::string& name) {
    name = app->get_name();
    for (auto chosen = app->get_subcommands(); !chosen.empty();
         chosen = chosen.front()->get_subcommands()) {
        app = chosen.front();
        name += " " + app->get_name();
    }
    return app;
}

// The word that is no command, when that is the mistake.
std::optional<std::string> unknownCommand(const CLI::App* app) {
    const std::vector<std::string> extra = rootOf(app)->remaining(true);
    const auto commands = app->get_subcommands([](const CLI::App*) { return true; });
    if (!commands.empty() && !extra.empty() && !extra.front().starts_with('-')) {
        return extra.front();
    }
    return std::nullopt;
}

}  // namespace

std::string commandLineReason(const CLI::App* app, const CLI::Error& error) {
    std::string name;
    app = chosenCommand(app, name);
    const auto unknown = unknownCommand(app);
    return unknown ? fill(_("unknown command: %1"), {PrintableText(*unknown)})
                   : lang::translatedMistake(error.what());
}

std::string commandLineMistake(const CLI::App* app, const CLI::Error& error) {
    const CLI::App* root = app;
    std::string name;
    app = chosenCommand(app, name);
    const auto commands = app->get_subcommands([](const CLI::App*) { return true; });
    std::string text = "kalvero-cli: " + commandLineReason(root, error) + "\n";
    if (unknownCommand(app)) {
        std::string names;
        for (const CLI::App* command : commands) {
            names += (names.empty() ? "" : ", ") + command->get_name();
        }
        text += wrapped(fill(_("Commands: %1."), {names}), kColumns) + "\n";
    }
    if (app->get_parent() != nullptr) {
        text += CommandHelp().make_usage(app, name);
    }
    return text + _("Try 'kalvero-cli --help'.") + "\n";
}

}  // namespace kalvero::cli
