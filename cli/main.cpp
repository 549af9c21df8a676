// kalvero-cli: the printer link and the data files from a terminal, for backups
// from a scheduler and roll-outs to many shops.

#include <QCoreApplication>
#include <cstdio>

#include "CliOptions.h"
#include "Session.h"

namespace {

using namespace kalvero::cli;

int run(const Options& options) {
    const std::vector<std::string>& w = options.words;
    if (w.empty()) {
        return usage("no command");
    }
    const std::string& command = w[0];
    if (options.help) {
        const auto help = kCommandHelp.find(command);
        std::fputs(help != kCommandHelp.end() ? help->second : kUsage, stdout);
        return kExitOk;
    }
    const auto argument = [&w](std::size_t i, long maximum) -> std::optional<long> {
        if (i >= w.size()) {
            return std::nullopt;
        }
        const auto n = number(w[i]);
        return n && *n <= maximum ? n : std::nullopt;
    };
    Session session(options);
    if (command == "detect" && w.size() == 1) {
        return session.detect();
    }
    if ((command == "read" || command == "write" || command == "erase") && w.size() == 1) {
        return session.transfer(command);
    }
    if (command == "footer" && w.size() == 3 && (w[1] == "get" || w[1] == "set")) {
        const auto n = argument(2, 200);
        return n ? session.footer(w[1], static_cast<std::uint8_t>(*n))
                 : commandUsage(command, "footer number 0..200");
    }
    if (command == "binding" && w.size() >= 3 && (w[1] == "get" || w[1] == "set")) {
        const auto plu = argument(2, 9983);
        const auto n = w[1] == "set" ? argument(3, 200) : std::optional<long>(0);
        if (!plu || *plu < 1 || !n || w.size() != (w[1] == "set" ? 4u : 3u)) {
            return commandUsage(command, "PLU 1..9983, FOOTER 0..200");
        }
        return session.binding(w[1], static_cast<std::uint16_t>(*plu),
                               static_cast<std::uint8_t>(*n));
    }
    if (command == "item" && w.size() == 2) {
        const auto plu = argument(1, 9983);
        return plu && *plu >= 1 ? session.item(static_cast<std::uint16_t>(*plu))
                                : commandUsage(command, "PLU 1..9983");
    }
    if (command == "status" && w.size() == 1) {
        return session.status();
    }
    return kCommandHelp.count(command) != 0
               ? commandUsage(command, "wrong arguments for " + command)
               : usage("unknown command: " + command);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    Options options;
    if (const auto mistake = parse(argc, argv, options)) {
        return usage(*mistake);
    }
    if (options.help && options.words.empty()) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    return run(options);
}
