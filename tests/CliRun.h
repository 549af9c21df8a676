// SPDX-License-Identifier: MIT
// kalvero-cli and oru-emulator run as the separate programs they are.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/Files.h"
#include "tests/Process.h"

#include <gtest/gtest.h>

namespace kalvero::test {

namespace fs = std::filesystem;

// The footer and binding lines of a saved emulator memory.
inline std::set<std::string> printerData(const fs::path& memory) {
    std::set<std::string> lines;
    std::istringstream in(slurp(memory));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("footer ", 0) == 0 || line.rfind("binding ", 0) == 0) {
            lines.insert(line);
        }
    }
    return lines;
}

struct Result {
    int code;
    std::string out;
    std::string err;
};

// One emulated printer on COM1 of its own ports directory, or at the link given.
class Printer {
public:
    Printer(const fs::path& home, std::vector<std::string> options, int com = 1,
            const fs::path& link = {})
        : m_home(home),
          m_saved(home / (com == 1 ? "saved.txt" : "saved" + std::to_string(com) + ".txt")) {
        const fs::path where =
            link.empty() ? home / ("kalvero/ports/com" + std::to_string(com)) : link;
        options.insert(options.end(), {"--link", where.string(), "--save", m_saved.string()});
        m_child = spawn(ORU_EMULATOR_PATH, options);
        EXPECT_FALSE(firstLine(m_child.out).empty());
    }
    ~Printer() { stop(); }
    // Ends the emulator; its memory is then in saved().
    void stop() {
        if (m_child.pid > 0) {
            ::kill(m_child.pid, SIGTERM);
            exitCode(m_child.pid);
            m_child.pid = -1;
        }
    }
    fs::path saved() const { return m_saved; }
    const fs::path& home() const { return m_home; }

private:
    fs::path m_home;
    fs::path m_saved;
    Child m_child;
};

// kalvero-cli started in dir with its own folders under home.
inline Child spawnCli(const fs::path& home, const std::vector<std::string>& args,
                      const fs::path& dir, const std::string& locale = "pl_PL.UTF-8") {
    return spawn(KALVERO_CLI_PATH, args,
                 {{"XDG_CONFIG_HOME", home.string()},
                  {"XDG_CACHE_HOME", home.string()},
                  {"XDG_DATA_HOME", home.string()},
                  {"LC_ALL", locale}},
                 dir.string());
}

// A document of --json holds to the schema scripts are given.
inline void expectMatchesSchema(const fs::path& dir, const std::string& document) {
    const fs::path file = dir / "document.json";
    put(file, document);
    Child check = spawn("/usr/bin/env", {"python3", JSON_SCHEMA_CHECK, JSON_SCHEMA, file.string()});
    const std::string said = readAll(check.out) + readAll(check.err);
    EXPECT_EQ(exitCode(check.pid), 0) << said << document;
    ::close(check.out);
    ::close(check.err);
    fs::remove(file);
}

// kalvero-cli run to its end; a JSON document it wrote is checked against the schema.
inline Result runCli(const fs::path& home, const std::vector<std::string>& args,
                     const fs::path& dir, const std::string& locale = "pl_PL.UTF-8") {
    Child child = spawnCli(home, args, dir, locale);
    Result r{0, "", ""};
    r.out = readAll(child.out);
    r.err = readAll(child.err);
    r.code = exitCode(child.pid);
    ::close(child.out);
    ::close(child.err);
    if (std::find(args.begin(), args.end(), "--json") != args.end()) {
        expectMatchesSchema(home, r.out);
    }
    return r;
}

}  // namespace kalvero::test
