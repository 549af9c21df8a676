// SPDX-License-Identifier: MIT
// The oru-emulator program as a user starts it, spoken to over its terminal
// with plain POSIX calls.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/Process.h"
#include "tests/TempDir.h"

namespace {

using kalvero::test::Child;
using kalvero::test::exitCode;
using kalvero::test::firstLine;
using kalvero::test::readAll;

Child start(const std::vector<std::string>& args, const std::string& locale = "C") {
    return kalvero::test::spawn(ORU_EMULATOR_PATH, args, {{"LC_ALL", locale}, {"LANGUAGE", ""}});
}

std::string exchange(const std::string& device, const std::vector<std::uint8_t>& bytes,
                     std::size_t expected) {
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY);
    EXPECT_GE(fd, 0) << device;
    termios tio{};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::cfsetspeed(&tio, B9600);
    ::tcsetattr(fd, TCSANOW, &tio);
    EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    std::string answer;
    char buffer[64];
    pollfd p{fd, POLLIN, 0};
    while (answer.size() < expected && ::poll(&p, 1, 2000) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer;
}

// -h as --help, in 80 columns in either language.
TEST(EmulatorProgram, HelpExplainsEveryOption) {
    for (const char* locale : {"C", "pl_PL.UTF-8"}) {
        const Child run = start({"--help"}, locale);
        const std::string help = readAll(run.out);
        EXPECT_EQ(exitCode(run.pid), 0);
        for (const char* option :
             {"--link", "--com", "--baud", "--printer-version", "--number", "--status", "--load",
              "--save", "--pace", "--identify-byte", "--silent", "--nak", "--error-status",
              "--not-ack", "--faults-from", "--stop-after", "--hang-up-after", "--forget-writes"}) {
            EXPECT_NE(help.find(option), std::string::npos) << option;
        }
        std::istringstream lines(help);
        for (std::string line; std::getline(lines, line);) {
            const auto columns = std::count_if(line.begin(), line.end(),
                                               [](char c) { return (c & 0xC0) != 0x80; });
            EXPECT_LE(columns, 80) << locale << ": " << line;
        }
        const Child shortly = start({"-h"}, locale);
        EXPECT_EQ(readAll(shortly.out), help);
        EXPECT_EQ(exitCode(shortly.pid), 0);
    }
}

TEST(EmulatorProgram, RefusesUnknownOptionsAndBadValues) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--bogus"},
                                                 {"--baud", "1200"},
                                                 {"--printer-version", "16"},
                                                 {"--status", "1,2,3"},
                                                 {"--nak"},
                                                 {"--load", "/nonexistent/memory"}}) {
        const Child run = start(args);
        readAll(run.out);
        EXPECT_NE(exitCode(run.pid), 0) << args[0];
    }
}

TEST(EmulatorProgram, ServesOnItsLinkAndSavesItsMemoryOnExit) {
    kalvero::test::TempDir tmp;
    const std::string link = (tmp / "ports/com4").string();
    const Child run =
        start({"--link", link, "--number", "42", "--save", (tmp / "saved.txt").string()});
    const std::string device = firstLine(run.out);
    ASSERT_FALSE(device.empty());
    EXPECT_EQ(std::filesystem::read_symlink(link).string(), device);

    EXPECT_EQ(exchange(link, {0xC0}, 4), std::string("\x06"
                                                     "42\xC0"));
    EXPECT_EQ(exchange(link, {0x1E, 0x0C, 0x00, 0x07}, 3), std::string("\x06\x1E\x00", 3));

    ::kill(run.pid, SIGTERM);
    EXPECT_EQ(exitCode(run.pid), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    std::ifstream saved(tmp / "saved.txt");
    std::stringstream content;
    content << saved.rdbuf();
    EXPECT_NE(content.str().find("binding 12 7"), std::string::npos) << content.str();
    EXPECT_NE(content.str().find("number 42"), std::string::npos);

    // --forget-writes may be given more than once: every list counts.
    const Child forgetting = start({"--link", link, "--forget-writes", "plu:12", "--forget-writes",
                                    "footer:1", "--save", (tmp / "forgot.txt").string()});
    ASSERT_FALSE(firstLine(forgetting.out).empty());
    EXPECT_EQ(exchange(link, {0x1E, 0x0C, 0x00, 0x07}, 3), std::string("\x06\x1E\x00", 3));
    ::kill(forgetting.pid, SIGTERM);
    EXPECT_EQ(exitCode(forgetting.pid), 0);
    std::ifstream forgot(tmp / "forgot.txt");
    std::stringstream kept;
    kept << forgot.rdbuf();
    EXPECT_EQ(kept.str().find("binding 12 7"), std::string::npos) << kept.str();

    // --load F --save F keeps one memory from run to run, the first starting from the
    // factory's before F exists.
    const std::string keptMemory = (tmp / "kept.txt").string();
    for (const std::string number : {"01", "42"}) {
        const Child run = start({"--link", link, "--load", keptMemory, "--save", keptMemory});
        ASSERT_FALSE(firstLine(run.out).empty()) << readAll(run.err);
        EXPECT_EQ(exchange(link, {0xC0}, 4), "\x06" + number + "\xC0");
        EXPECT_EQ(exchange(link, {0x1E, 0x0C, 0x00, 0x07}, 3), std::string("\x06\x1E\x00", 3));
        ::kill(run.pid, SIGTERM);
        EXPECT_EQ(exitCode(run.pid), 0);
        std::ifstream in(keptMemory);
        std::stringstream memory;
        memory << in.rdbuf();
        EXPECT_NE(memory.str().find("binding 12 7"), std::string::npos) << memory.str();
        if (number == "01") {
            // The next run must show it started from this file, not afresh.
            std::ofstream(keptMemory, std::ios::app) << "number 42\n";
        }
    }
}

}  // namespace
