// SPDX-License-Identifier: MIT
// kalvero-cli end to end against oru-emulator, both as separate programs.

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <netinet/in.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "tests/CliRun.h"
#include "tests/Files.h"
#include "tests/Process.h"
#include "tests/TempDir.h"

namespace kalvero {
namespace {

using test::slurp;
using test::Printer;
using test::Result;
using test::printerData;

namespace fs = std::filesystem;
using test::Child;

// A TCP port on 127.0.0.1 that nothing listens on, as the system gives one out.
std::uint16_t freePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

// ser2net in front of a printer's terminal: RFC 2217 on one port, raw TCP at 19200 on
// another, each greeting a client with a banner, as stale bytes would.
class NetworkServer {
public:
    NetworkServer(const fs::path& dir, const fs::path& printerLink)
        : m_rfc2217(freePort()), m_raw(freePort()) {
        const std::string device = fs::read_symlink(printerLink).string();
        std::ofstream(dir / "ser2net.yaml")
            << "default:\n  name: chardelay\n  value: false\n"
            << "connection: &r\n  accepter: telnet(rfc2217),tcp,127.0.0.1," << m_rfc2217
            << "\n  connector: serialdev," << device << ",9600n81,local\n"
            << "  options:\n    banner: \"stare bajty\\r\\n\"\n"
            << "connection: &t\n  accepter: tcp,127.0.0.1," << m_raw << "\n  connector: serialdev,"
            << device << ",19200n81,local\n"
            << "  options:\n    banner: \"stare bajty\\r\\n\"\n";
        m_child = test::spawn(SER2NET_PATH, {"-n", "-u", "-c", (dir / "ser2net.yaml").string(),
                                             "-P", (dir / "ser2net.pid").string()});
        // Up once it takes connections.
        for (int tries = 0; tries < 100 && !accepts(); ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~NetworkServer() { stop(SIGTERM); }
    void stop(int signal) {
        if (m_child.pid > 0) {
            ::kill(m_child.pid, signal);
            test::exitCode(m_child.pid);
            ::close(m_child.out);
            ::close(m_child.err);
            m_child.pid = -1;
        }
    }
    std::string rfc2217() const { return "rfc2217://127.0.0.1:" + std::to_string(m_rfc2217); }
    std::string raw() const { return "tcp://127.0.0.1:" + std::to_string(m_raw); }

private:
    bool accepts() const {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(m_raw);
        const bool up = ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        ::close(s);
        return up;
    }

    std::uint16_t m_rfc2217;
    std::uint16_t m_raw;
    Child m_child;
};

// kalvero-cli speaks Polish here, as to the shops' staff: every program these tests
// start inherits the Polish locale, unless a test gives its own.
class PolishLocale final : public ::testing::Environment {
public:
    void SetUp() override {
        ::setenv("LC_ALL", "pl_PL.UTF-8", 1);
        ::unsetenv("LANGUAGE");
    }
};
const auto* const kPolishLocale = ::testing::AddGlobalTestEnvironment(new PolishLocale);

class CliTest : public ::testing::Test {
protected:
    Result cli(const fs::path& home, const std::vector<std::string>& args,
               const std::string& locale = "pl_PL.UTF-8") {
        return test::runCli(home, args, tmp.path(), locale);
    }
    fs::path home(const std::string& name) {
        fs::create_directories(tmp / name / "kalvero/ports");
        return tmp / name;
    }
    fs::path shopMemory() {
        std::ofstream memory(tmp / "shop.txt");
        std::string blanks;
        for (int i = 0; i < 21; ++i) {
            blanks += "20";
        }
        for (int n = 0; n <= 200; n += 7) {
            // "Zapraszamy ponownie" and 21 blanks, 20 characters wide, enabled.
            memory << "footer " << n << " 2 0c 5a6170726f737a616d7920706f6e6f776e6965" << blanks
                   << "\n";
        }
        for (int plu = 1; plu <= 9983; plu += 13) {
            memory << "binding " << plu << " " << plu % 201 << "\n";
        }
        return tmp / "shop.txt";
    }

    test::TempDir tmp;
};

TEST_F(CliTest, ReadsEverythingAndRollsItOutToAnotherPrinter) {
    const fs::path a = home("a");
    const fs::path b = home("b");
    Printer shop(a, {"--load", shopMemory().string(), "--number", "12"});
    Printer other(b, {"--baud", "19200"});

    const Result detect = cli(a, {"detect"});
    EXPECT_EQ(detect.code, 0) << detect.err;
    EXPECT_NE(detect.out.find("DURAX ORU nr: 12"), std::string::npos) << detect.out;
    EXPECT_NE(detect.out.find("COM1,9600"), std::string::npos);

    const Result read = cli(a, {"read"});
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(read.err, "kalvero-cli: Drukarka: COM1 (nr 12)\n") << "no progress on a pipe";
    const Result quiet = cli(a, {"read", "-q"});
    EXPECT_EQ(quiet.code, 0);
    EXPECT_EQ(quiet.out + quiet.err, "") << "nothing for cron to mail";
    const Result quietFailure = cli(a, {"-q", "--port", "COM9", "status"});
    EXPECT_EQ(quietFailure.code, 3);
    EXPECT_NE(quietFailure.err.find("COM9"), std::string::npos) << "the reason still";
    EXPECT_EQ(read.out, "Odczyt stopek: OK\nOdczyt wiązań: OK\n");
    EXPECT_EQ(fs::file_size(tmp / "stopki.txt"), 37395u);
    EXPECT_EQ(fs::file_size(tmp / "wiazplu.txt"), 9u + 9983 * 11);

    const Result write = cli(b, {"write"});
    ASSERT_EQ(write.code, 0) << write.err;
    // Only what differs from the other printer goes: the shop's 29 footers, and its
    // 768 bindings but the three to footer 0 that the other printer holds already.
    EXPECT_EQ(write.out,
              "Zapis stopek: OK, zmieniono 29 z 201\nZapis wiązań: OK, zmieniono 765 z 9983\n"
              "Sprawdzenie: OK\n");
    shop.stop();
    other.stop();
    EXPECT_EQ(printerData(other.saved()), printerData(shop.saved()));
    EXPECT_FALSE(printerData(other.saved()).empty());

    Printer again(b, {"--load", other.saved().string()});
    const Result erase = cli(b, {"erase"});
    EXPECT_EQ(erase.code, 0) << erase.err;
    EXPECT_EQ(erase.out, "Kasowanie stopek: OK\nKasowanie wiązań: OK\n");
    again.stop();
    EXPECT_TRUE(printerData(again.saved()).empty());
}

TEST_F(CliTest, ReadsOnlyWhatIsNamedIntoTheNamedFileKeepingTheOldOne) {
    const fs::path a = home("a");
    Printer shop(a, {"--load", shopMemory().string()});
    std::ofstream(tmp / "mine.txt") << "old";
    const Result read = cli(a, {"read", "--bindings", "mine.txt", "--last-plu", "14"});
    ASSERT_EQ(read.code, 0) << read.err;
    EXPECT_EQ(read.out, "Odczyt wiązań: OK\n");
    EXPECT_EQ(slurp(tmp / "mine.txt").substr(9 + 13 * 11), "$0014\t014\r\n");
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(tmp.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("mine.txt.20", 0) == 0 && name.size() == 32) {
            kept.push_back(entry.path());
        }
    }
    ASSERT_EQ(kept.size(), 1u) << "mine.txt.YYYY-MM-DD_HH-MM-SS.bak";
    EXPECT_EQ(slurp(kept[0]), "old");
    EXPECT_FALSE(fs::exists(tmp / "stopki.txt"));
}

TEST_F(CliTest, CtrlCStopsBetweenRecordsAndTheFileKeepsWholeRecords) {
    const fs::path a = home("a");
    Printer slow(a, {"--pace"});
    const auto interrupted = [&](std::vector<std::string> args, const std::string& text,
                                 int signal = SIGINT) {
        args.insert(args.begin(), "-v");  // the progress, though standard error is a pipe
        Child child = test::spawn(KALVERO_CLI_PATH, args,
                                  {{"XDG_CONFIG_HOME", a.string()},
                                   {"XDG_CACHE_HOME", a.string()},
                                   {"XDG_DATA_HOME", a.string()}},
                                  tmp.path().string());
        EXPECT_TRUE(test::lineWith(child.err, "/"));  // progress: a record is done
        ::kill(child.pid, signal);
        const std::string err = test::readAll(child.err);
        EXPECT_EQ(test::exitCode(child.pid), signal == SIGINT ? 130 : 143) << err;
        EXPECT_NE(err.find(text), std::string::npos) << err;
    };
    test::put(tmp / "stopki.txt", "earlier file");
    interrupted({"read", "--footers"}, "Odczyt stopek przerwany przez użytkownika");
    EXPECT_EQ(slurp(tmp / "stopki.txt"), "earlier file");
    const auto size = fs::file_size(tmp / "stopki.txt.partial");
    EXPECT_GT(size, 9u);
    EXPECT_LT(size, 37395u);
    EXPECT_EQ((size - 9) % 186, 0u);
    // SIGTERM (timeout, systemd, a shutdown) stops it the same way, and the port's
    // lock file goes with the port.
    interrupted({"read", "--footers"}, "Odczyt stopek przerwany przez użytkownika", SIGTERM);
    EXPECT_EQ(slurp(tmp / "stopki.txt"), "earlier file");
    const std::string device = fs::read_symlink(a / "kalvero/ports/com1").filename().string();
    for (const char* locks : {"/run/lock", "/var/lock", "/tmp"}) {
        EXPECT_FALSE(fs::exists(fs::path(locks) / ("LCK..pts_" + device))) << locks;
    }
    EXPECT_EQ(cli(a, {"status"}).code, 0) << "the port is free";
    // A command word after --bindings is the command, not a file.
    interrupted({"--bindings", "erase", "--no-snapshot"},
                "Kasowanie wiązań przerwane przez użytkownika");
    interrupted({"--bindings", "erase"},
                "Migawka: odczyt wiązań przerwany przez użytkownika; nic nie zmieniono");

    // A change of one record, on a printer that falls silent once found, stops the same
    // way, and lets go of the port.
    const fs::path b = home("b");
    for (const int signal : {SIGINT, SIGTERM}) {
        Printer silent(b, {"--stop-after", "6"});
        Child child = test::spawnCli(b, {"binding", "set", "7", "9"}, tmp.path());
        EXPECT_TRUE(test::lineWith(child.err, "Drukarka:"));
        ::kill(child.pid, signal);
        const std::string err = test::readAll(child.err);
        EXPECT_EQ(test::exitCode(child.pid), signal == SIGINT ? 130 : 143) << err;
        EXPECT_NE(err.find("przerwany przez użytkownika; nic nie zmieniono"), std::string::npos)
            << err;
        const std::string pts = fs::read_symlink(b / "kalvero/ports/com1").filename().string();
        for (const char* locks : {"/run/lock", "/var/lock", "/tmp"}) {
            EXPECT_FALSE(fs::exists(fs::path(locks) / ("LCK..pts_" + pts))) << locks;
        }
    }
}

TEST_F(CliTest, EachFaultOfThePrinterHasItsExitCodeAndText) {
    struct Case {
        std::vector<std::string> emulator;
        std::vector<std::string> command;
        int code;
        std::string text;
    };
    const std::vector<Case> cases = {
        {{"--silent"}, {"detect"}, 3, "Nie wykryto drukarki etykiet"},
        {{"--printer-version", "3"},
         {"detect"},
         3,
         "Wersja programu w drukarce etykiet mniejsza niż 4"},
        {{"--identify-byte", "41"}, {"status"}, 3, "Nie wykryto drukarki etykiet"},
        {{"--stop-after", "50"},
         {"read", "--footers"},
         1,
         "Nie odebrano danych z urządzenia (timeout odbierania)"},
        {{"--nak", "2b"}, {"read", "--footers"}, 1, "Nie można wykonac rozkazu (NAK)"},
        {{"--not-ack", "3f", "--faults-from", "4"},
         {"item", "1"},
         1,
         "Odebrano niepoprawne dane z kasy (znak różny od ACK/NAK)"},
        {{"--hang-up-after", "20"},
         {"erase", "--bindings"},
         1,
         "Urządzenie niepodłączone lub niewłączone (timeout nadawania)"},
        {{"--error-status", "7"}, {"binding", "set", "5", "9"}, 1, "Błąd numer  7"},
        {{"--stop-after", "5"},
         {"footer", "get", "3"},
         1,
         "Nie odebrano danych z urządzenia (timeout odbierania)"},
    };
    for (const Case& c : cases) {
        const fs::path h = home("fault");
        Printer printer(h, c.emulator);
        const Result r = cli(h, c.command);
        EXPECT_EQ(r.code, c.code) << c.emulator[0] << "\n" << r.err;
        EXPECT_NE(r.err.find(c.text), std::string::npos) << c.emulator[0] << "\n" << r.err;
        EXPECT_EQ(r.out, "") << c.emulator[0] << ": no part of an answer";
    }
}

TEST_F(CliTest, OfflineFootersAndBindingsAreStoredByteForByte) {
    const fs::path h = home("none");
    const Result set = cli(h, {"footer", "set", "7", "--offline", "--create", "--line",
                               "1:40:1:Dziękujemy za zakupy", "--line", "2:20:1:Zapraszamy"});
    ASSERT_EQ(set.code, 0) << set.err;
    const std::string file = slurp(tmp / "stopki.txt");
    ASSERT_EQ(file.size(), 382u);
    const std::string expected = std::string("$007\t0\t1\tDzi\xEAkujemy za zakupy") +
                                 std::string(20, ' ') + "\t1\t1\tZapraszamy" +
                                 std::string(30, ' ') + "\t0\t0\t" + std::string(40, ' ') +
                                 "\t0\t0\t" + std::string(40, ' ') + "\r\n";
    EXPECT_EQ(file.substr(196), expected);

    const Result get = cli(h, {"footer", "get", "7", "--offline"});
    ASSERT_EQ(get.code, 0) << get.err;
    EXPECT_EQ(get.out, "1\t40\t1\tDziękujemy za zakupy" + std::string(20, ' ') +
                           "\n2\t20\t1\tZapraszamy          \n3\t40\t0\t" + std::string(40, ' ') +
                           "\n4\t40\t0\t" + std::string(40, ' ') + "\n");

    const Result missing = cli(h, {"binding", "set", "12", "5", "--offline"});
    EXPECT_EQ(missing.code, 4);
    EXPECT_NE(missing.err.find("wiazplu.txt: plik nie istnieje (utworzy go opcja --create)"),
              std::string::npos)
        << missing.err;
    const Result absent = cli(h, {"footer", "get", "7", "--offline", "--footers", "none.txt"});
    EXPECT_EQ(absent.code, 4);
    EXPECT_NE(absent.err.find("none.txt: plik nie istnieje"), std::string::npos) << absent.err;
    EXPECT_EQ(cli(h, {"binding", "set", "12", "5", "--offline", "--create"}).code, 0);
    EXPECT_EQ(slurp(tmp / "wiazplu.txt").substr(10 + 11 * 11, 11), "$0012\t005\r\n");
    const Result bound = cli(h, {"binding", "get", "12", "--offline"});
    EXPECT_EQ(bound.out, "5\n");

    test::put(tmp / "failed.txt", "#\r\n#\r\n#\r\n");  // what a failed read leaves
    const Result empty = cli(h, {"binding", "get", "12", "--offline", "--bindings", "failed.txt"});
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("failed.txt: brak wiązania PLU 12 w pliku"), std::string::npos)
        << empty.err;
}

TEST_F(CliTest, BadInputGetsAClearMessageAndAnExitCode) {
    const fs::path h = home("a");
    EXPECT_EQ(cli(h, {"--frobnicate"}).code, 2);
    EXPECT_EQ(cli(h, {"footer", "get", "201", "--offline"}).code, 2);
    EXPECT_EQ(cli(h, {"footer", "set", "1", "--offline", "--line", "1:30:1:x"}).code, 2);
    EXPECT_EQ(cli(h, {"footer", "set", "1", "--offline", "--line", "1:40:1:日本"}).code, 2);
    EXPECT_EQ(cli(h, {"binding", "get", "0", "--offline"}).code, 2);
    EXPECT_EQ(cli(h, {"--port", "COM11", "detect"}).code, 2);
    EXPECT_EQ(cli(h, {"--port", "COM0", "detect"}).code, 2);
    EXPECT_EQ(cli(h, {"--port", "1", "detect"}).code, 2) << "not COM1";
    // A URL that names no host and port is a mistake of the command line, as is a
    // second port after a blank; a control character in a port is shown, not sent.
    for (const char* url : {"rfc2217://", "tcp://:0", "tcp://127.0.0.1:99999", "tcp://h:1 ",
                            "TCP://h:0"}) {
        EXPECT_EQ(cli(h, {"--port", url, "status"}).code, 2) << url;
    }
    EXPECT_EQ(cli(h, {"--port", "COM1", "COM2", "status"}).code, 2);
    // A command's own option may come before its word, and stays its own: COM9 has no
    // device, so a line that parses ends at the port (3), a wrong one as a mistake (2).
    EXPECT_EQ(cli(h, {"--port", "COM9", "--verify", "write"}).code, 3);
    EXPECT_EQ(cli(h, {"--port", "COM9", "--verify", "read"}).code, 2);
    EXPECT_EQ(cli(h, {"--port", "COM9", "read", "--verify"}).code, 2);
    EXPECT_EQ(cli(h, {"--csv-encoding", "cp1250", "import", "--csv", "x.csv"}).code, 2);
    const Result newline = cli(h, {"--port", "COM1\nCOM2", "status"});
    EXPECT_EQ(newline.code, 2);
    EXPECT_NE(newline.err.find("COM1\\x0ACOM2"), std::string::npos) << newline.err;
    // Said in the locale's language, Polish or English; the printer's result texts
    // read the same in both.
    struct Said {
        std::vector<std::string> args;
        int code;
        std::string polish;
        std::string english;
    };
    const std::string com9 = "COM9 (" + (h / "kalvero/ports/com9").string() + "): ";
    const std::vector<Said> mistakes = {
        {{"--frobnicate"}, 2, "Nieoczekiwany argument: --frobnicate\nWięcej: 'kalvero-cli --help'.",
         "The following argument was not expected: --frobnicate\nTry 'kalvero-cli --help'."},
        {{"footer", "get"}, 2, "wymagane: N\nUżycie: kalvero-cli footer get N [OPCJE]",
         "N is required\nUsage: kalvero-cli footer get N [OPTIONS]"},
        {{"footer", "set", "1", "--offline", "--line", "1:20:1:" + std::string(21, 'x')}, 2,
         "dłuższy niż szerokość linii, 20 znaków", "longer than its line's width, 20 characters"},
        {{"footer", "set", "1", "--offline", "--line", "1:40:1:" + std::string(41, 'x')}, 2,
         "szerokość linii, 40 znaków", "width, 40 characters"},
        {{"footer", "set", "1", "--offline", "--line", "1:40:1:ab\tcd"}, 2,
         "nie może zawierać znaku sterującego", "must not hold a control character"},
        {{"footer", "set", "1", "--offline", "--line", "1:40:1:5 €"}, 2,
         "\"€\": drukarka go nie wydrukuje", "\"€\": the printer cannot print it"},
        {{"--port", "COM11", "detect"}, 2, "--port: Wartość COM11 to nie COM1..COM10",
         "--port: Value COM11 is not COM1..COM10"},
        {{"--port", "tcp://127.0.0.1:99999", "detect"}, 2,
         "Wartość tcp://127.0.0.1:99999 to nie adres sieciowy: rfc2217://HOST:PORT",
         "Value tcp://127.0.0.1:99999 is not a network URL: rfc2217://HOST:PORT"},
        {{"footer", "get", "1", "--offline", "--footers", "none.txt"}, 4,
         "none.txt: plik nie istnieje", "none.txt: the file does not exist"},
        {{"--port", "COM9", "detect"}, 3, com9 + "nie ma takiego urządzenia",
         com9 + "no such device"},
        {{"detect"}, 3, "Nie wykryto drukarki etykiet", "Nie wykryto drukarki etykiet"},
        {{"--help"}, 0, "Użycie: kalvero-cli [OPCJE] POLECENIE", "Usage: kalvero-cli [OPTIONS] COMMAND"},
        {{"read", "--help"}, 0, "odczytuje wiązania do towaru N", "read bindings up to item N"},
        {{"frob"}, 2, "nieznane polecenie: frob\nPolecenia: detect, read, write",
         "unknown command: frob\nCommands: detect, read, write"},
        {{"--version"}, 0, "\nCopyright (C) 2026 The Kalvero developers\nLicencja MIT",
         "\nCopyright (C) 2026 The Kalvero developers\nLicense MIT"},
    };
    for (const Said& said : mistakes) {
        for (const auto& [locale, text] : {std::pair{"pl_PL.UTF-8", said.polish},
                                           std::pair{"C", said.english}}) {
            const Result r = cli(h, said.args, locale);
            EXPECT_EQ(r.code, said.code) << said.args.front() << " " << locale;
            EXPECT_NE((said.code == 0 ? r.out : r.err).find(text), std::string::npos)
                << locale << "\n" << r.out << r.err;
        }
    }

    // Help as GNU tools give it, in 80 columns in either language; a command's help
    // names the options every command takes.
    for (const std::string command : {"", "detect", "read", "write", "erase", "restore",
                                      "snapshots", "footer get", "footer set", "binding get",
                                      "binding set", "item", "status", "diff", "export", "import"}) {
        for (const char* locale : {"pl_PL.UTF-8", "C"}) {
            std::vector<std::string> args;
            std::istringstream words(command);
            for (std::string word; words >> word;) {
                args.push_back(word);
            }
            args.push_back("--help");
            const Result help = cli(h, args, locale);
            EXPECT_TRUE(help.out.starts_with("Usage: ") || help.out.starts_with("Użycie: "))
                << help.out;
            EXPECT_NE(help.out.find("\n  -h, --help "), std::string::npos) << command;
            EXPECT_NE(help.out.find("\n      --port PORT"), std::string::npos) << command;
            std::istringstream lines(help.out);
            for (std::string line; std::getline(lines, line);) {
                const auto columns = std::count_if(line.begin(), line.end(),
                                                   [](char c) { return (c & 0xC0) != 0x80; });
                EXPECT_LE(columns, 80) << command << " " << locale << ": " << line;
            }
        }
    }

    Printer printer(h, {});
    const fs::path plain = tmp / "plain.txt";
    test::put(plain, "");
    const int watch = ::inotify_init1(IN_NONBLOCK);
    ASSERT_GE(::inotify_add_watch(watch, plain.c_str(), IN_OPEN), 0);
    const std::vector<std::pair<std::string, std::string>> wrongPorts = {
        {"/dev/nonexistent", "nie ma takiego urządzenia"},
        {"/dev/null", "to nie jest port szeregowy"},
        {tmp.path().string(), "to nie jest port szeregowy"},
        {plain.string(), "to nie jest port szeregowy"},
    };
    for (const auto& [port, why] : wrongPorts) {
        const Result wrong = cli(h, {"--port", port, "status"});
        EXPECT_EQ(wrong.code, 3) << port;
        EXPECT_NE(wrong.err.find(port + ": " + why), std::string::npos) << wrong.err;
    }
    char events[256];
    EXPECT_LT(::read(watch, events, sizeof events), 0) << "a plain file was opened as a port";
    ::close(watch);

    EXPECT_EQ(cli(h, {"write", "--footers"}).code, 4) << "no footer file";
    std::ofstream(tmp / "bad.txt") << "#\r\n#\r\n#\r\n$0001\tx05\r\n";
    const Result malformed = cli(h, {"write", "--bindings=bad.txt"});
    EXPECT_EQ(malformed.code, 4);
    EXPECT_NE(malformed.err.find("Bledny format pliku: bad.txt, wiersz 4; nic nie wysłano"),
              std::string::npos)
        << malformed.err;
    // A value the printer cannot hold is refused with its line before anything is sent.
    std::ofstream(tmp / "big.txt") << "#\r\n#\r\n#\r\n$0001\t005\r\n$9999\t005\r\n";
    const Result big = cli(h, {"write", "--bindings=big.txt"});
    EXPECT_EQ(big.code, 4);
    EXPECT_NE(big.err.find("big.txt, wiersz 5; nic nie wysłano"), std::string::npos) << big.err;
    EXPECT_NE(cli(h, {"binding", "get", "1"}).out, "5\n") << "nothing sent";
    // Cut short: refused whole by write --verify and by diff alike, naming the line.
    std::ofstream(tmp / "cut.txt") << "#\r\n#\r\n#\r\n$0001\t005\r\n$0007\t00";
    const Result cut = cli(h, {"write", "--bindings=cut.txt", "--verify"});
    EXPECT_EQ(cut.code, 4);
    EXPECT_NE(cut.err.find("cut.txt, wiersz 5"), std::string::npos) << cut.err;
    EXPECT_EQ(cut.out.find("Sprawdzenie: OK"), std::string::npos) << cut.out;
    EXPECT_EQ(cli(h, {"diff", "--bindings=cut.txt"}).code, 4);
    const Result unwritable = cli(h, {"read", "--footers=no/such/dir/stopki.txt"});
    EXPECT_EQ(unwritable.code, 4);
    EXPECT_NE(unwritable.err.find("no/such/dir/stopki.txt"), std::string::npos) << unwritable.err;
}

TEST_F(CliTest, OnePrinterServesOneProgramWhateverNameEachUses) {
    const fs::path a = home("a");
    Printer slow(a, {"--load", shopMemory().string(), "--pace"});
    const fs::path device = fs::canonical(a / "kalvero/ports/com1");
    Child first = test::spawn(KALVERO_CLI_PATH, {"read", "--bindings", "--last-plu", "500"},
                              {{"XDG_CONFIG_HOME", a.string()},
                               {"XDG_CACHE_HOME", a.string()},
                               {"XDG_DATA_HOME", a.string()}},
                              tmp.path().string());
    ::usleep(1'000'000);
    const Result second = cli(a, {"--port", device.string(), "status"});
    EXPECT_EQ(second.code, 3);
    EXPECT_NE(second.err.find("zajęty przez inny program"), std::string::npos) << second.err;
    const std::string err = test::readAll(first.err);
    ASSERT_EQ(test::exitCode(first.pid), 0) << err;
    const std::string bindings = slurp(tmp / "wiazplu.txt");
    ASSERT_EQ(bindings.size(), 9u + 500 * 11);
    EXPECT_EQ(bindings.substr(9 + 494 * 11, 11), "$0495\t093\r\n") << "undisturbed";
}

TEST_F(CliTest, APortThatWillNotOpenIsNamedWithWhy) {
    const fs::path a = home("a");
    Printer printer(a, {});
    const fs::path device = fs::canonical(a / "kalvero/ports/com1");
    {
        const int held = ::open(device.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_EQ(::flock(held, LOCK_EX), 0);
        const Result busy = cli(a, {"detect"});
        EXPECT_EQ(busy.code, 3);
        EXPECT_NE(busy.err.find("COM1 (" + device.string() + "): port zajęty przez inny program"),
                  std::string::npos)
            << busy.err;
        for (const auto& args : {std::vector<std::string>{"detect", "--json"},
                                 std::vector<std::string>{"detect", "--all", "--json"}}) {
            EXPECT_EQ(nlohmann::json::parse(cli(a, args).out)["error"]["kind"], "port_busy");
        }
        // A printer found elsewhere: the busy port is named all the same.
        Printer second(a, {"--number", "02"}, 2);
        const Result elsewhere = cli(a, {"-v", "status"}, "C.UTF-8");
        EXPECT_EQ(elsewhere.code, 0) << elsewhere.err;
        EXPECT_NE(elsewhere.err.find("COM1 (" + device.string() +
                                     "): the port is held by another program"),
                  std::string::npos)
            << elsewhere.err;
        EXPECT_NE(elsewhere.err.find("Detecting... COM2"), std::string::npos) << elsewhere.err;
        EXPECT_NE(elsewhere.out.find(": printer number "), std::string::npos) << elsewhere.out;
        ::close(held);
    }
    // A user outside the group that owns the device: the pseudo-terminal is root's.
    if (::geteuid() != 0) {
        GTEST_SKIP() << "running as another user needs root";
    }
    // Where nobody may run it (the build tree may be closed to others), its catalogues
    // beside it as when installed.
    const fs::path program = tmp / "bin/kalvero-cli";
    fs::create_directories(program.parent_path());
    fs::copy_file(KALVERO_CLI_PATH, program);
    fs::create_directories(tmp / "share/locale");
    fs::copy(KALVERO_SHARE_PATH "/locale", tmp / "share/locale", fs::copy_options::recursive);
    const auto asNobody = [&](std::vector<std::string> args, const std::string& locale) {
        args.insert(args.begin(),
                    {"--reuid=nobody", "--regid=nogroup", "--clear-groups", program.string()});
        Child child = test::spawn("/usr/bin/setpriv", args,
                                  {{"XDG_CONFIG_HOME", a.string()},
                                   {"XDG_CACHE_HOME", a.string()},
                                   {"XDG_DATA_HOME", a.string()},
                                   {"LC_ALL", locale}},
                                  tmp.path().string());
        Result r{0, test::readAll(child.out), test::readAll(child.err)};
        r.code = test::exitCode(child.pid);
        ::close(child.out);
        ::close(child.err);
        return r;
    };
    for (const auto& args : {std::vector<std::string>{"--port", "COM1", "status"},
                             std::vector<std::string>{"detect"}}) {
        const Result denied = asNobody(args, "pl_PL.UTF-8");
        EXPECT_EQ(denied.code, 3) << denied.err;
        EXPECT_NE(denied.err.find("COM1 (" + device.string() + "): brak uprawnień do portu\n"),
                  std::string::npos)
            << denied.err;
        EXPECT_NE(denied.err.find("sudo usermod -aG dialout nobody\n"), std::string::npos)
            << denied.err;
    }
    const Result english = asNobody({"--port", "COM1", "status"}, "C");
    EXPECT_NE(english.err.find("COM1 (" + device.string() + "): no permission to use the port\n" +
                               "kalvero-cli: Serial ports are open to the group dialout."),
              std::string::npos)
        << english.err;

    // A lock file that an ended process of root's left: the device is open to nobody,
    // so the lock is named, not the group; root, whose lock it is, takes it over.
    fs::permissions(device, fs::perms::all & ~(fs::perms::owner_exec | fs::perms::group_exec |
                                                fs::perms::others_exec));
    const fs::path lock = "/run/lock/LCK..pts_" + device.filename().string();
    std::ofstream(lock) << "99999999\nkalvero-cli\n\n";
    const Result stale = asNobody({"--port", "COM1", "status"}, "pl_PL.UTF-8");
    EXPECT_EQ(stale.code, 3);
    EXPECT_NE(stale.err.find("port zablokowany przez plik " + lock.string() +
                             " (proces 99999999 już nie działa)"),
              std::string::npos)
        << stale.err;
    EXPECT_NE(stale.err.find("sudo rm " + lock.string()), std::string::npos) << stale.err;
    EXPECT_EQ(stale.err.find("dialout"), std::string::npos) << stale.err;
    EXPECT_EQ(cli(a, {"--port", "COM1", "status"}).code, 0);
    EXPECT_FALSE(fs::exists(lock));
}

// A real file system that fills up: whole records stay, and the reason is given.
TEST_F(CliTest, AFullDiskKeepsWholeRecordsAndSaysWhy) {
    const fs::path small = tmp / "small";
    fs::create_directory(small);
    if (::geteuid() != 0 ||
        std::system(("mount -t tmpfs -o size=64k kalvero-test " + small.string() + " 2>/dev/null")
                        .c_str()) != 0) {
        GTEST_SKIP() << "mounting a small file system needs root";
    }
    struct Unmount {
        std::string path;
        ~Unmount() { std::system(("umount " + path).c_str()); }
    } unmount{small.string()};
    const fs::path a = home("a");
    Printer shop(a, {"--load", shopMemory().string()});
    const Result read =
        cli(a, {"read", "--footers=small/stopki.txt", "--bindings=small/wiazplu.txt"});
    EXPECT_EQ(read.code, 4);
    EXPECT_NE(read.err.find("small/wiazplu.txt: Brak miejsca na urządzeniu"), std::string::npos)
        << read.err;
    EXPECT_NE(read.err.find("Odczytane dane w pliku small/wiazplu.txt.partial"), std::string::npos)
        << read.err;
    EXPECT_EQ(fs::file_size(small / "stopki.txt"), 37395u);
    EXPECT_FALSE(fs::exists(small / "wiazplu.txt"));
    const auto size = fs::file_size(small / "wiazplu.txt.partial");
    EXPECT_GT(size, 9u);
    EXPECT_EQ((size - 9) % 11, 0u) << "no half record";
    // A trace that cannot be written whole: the run's own outcome stands, with a word.
    // The system's reason in the locale's language, as the rest of the line.
    const Result traced = cli(a, {"--trace", "small/slad.txt", "status"}, "C");
    EXPECT_EQ(traced.code, 0) << traced.err;
    EXPECT_NE(traced.err.find("the trace is not whole: small/slad.txt: No space left on device"),
              std::string::npos)
        << traced.err;
}

TEST_F(CliTest, TraceWritesEveryExchangeToTheFile) {
    const fs::path a = home("a");
    Printer printer(a, {"--number", "12"});
    const Result status = cli(a, {"--port", "COM1", "--trace", "slad.txt", "status"});
    ASSERT_EQ(status.code, 0) << status.err;
    const std::string trace = slurp(tmp / "slad.txt");
    for (const char* exchange :
         {" COM1 9600  open  0 OK\n", " COM1 9600  FF  < 25 ", " COM1 9600  C0  < 31 32 C0  0 OK\n",
          " COM1 9600  9B  < 10  0 OK\n"}) {
        EXPECT_NE(trace.find(exchange), std::string::npos) << exchange << "\n" << trace;
    }
    const Result unwritable = cli(a, {"--trace", "no/such/dir/slad.txt", "status"});
    EXPECT_EQ(unwritable.code, 4);
    EXPECT_NE(unwritable.err.find("no/such/dir/slad.txt"), std::string::npos) << unwritable.err;
    // A FIFO nobody reads would hold the open forever: refused at once, as a device is.
    ASSERT_EQ(::mkfifo((tmp / "fifo").c_str(), 0600), 0);
    for (const std::string& notAFile : {std::string("fifo"), std::string("/dev/null")}) {
        const Result refused = cli(a, {"--trace", notAFile, "status"});
        EXPECT_EQ(refused.code, 4);
        EXPECT_NE(refused.err.find(notAFile + ": to nie jest zwykły plik"), std::string::npos)
            << refused.err;
    }
}

TEST_F(CliTest, WriteVerifyCatchesAWriteThePrinterForgot) {
    const fs::path a = home("a");
    Printer shop(a, {"--load", shopMemory().string(), "--forget-writes", "footer:7,plu:14"});
    ASSERT_EQ(cli(a, {"read", "--last-plu", "20"}).code, 0);
    ASSERT_EQ(cli(a, {"binding", "set", "14", "9", "--offline"}).code, 0);
    const Result clean = cli(a, {"write", "--bindings", "--verify"});
    EXPECT_EQ(clean.code, 5) << clean.err;
    EXPECT_EQ(clean.out,
              "Zapis wiązań: OK, zmieniono 1 z 20\nPLU 14: plik 009, drukarka 014\n"
              "Sprawdzenie: wysłano, ale drukarka różni się od plików\n");
    ASSERT_EQ(cli(a, {"binding", "set", "14", "14", "--offline"}).code, 0);
    EXPECT_EQ(cli(a, {"write", "--bindings", "--verify"}).out,
              "Zapis wiązań: OK, zmieniono 0 z 20\nSprawdzenie: OK\n");
}

TEST_F(CliTest, DiffSaysWhatDiffersAndTouchesNoFile) {
    const fs::path a = home("a");
    Printer shop(a, {"--load", shopMemory().string()});
    ASSERT_EQ(cli(a, {"read", "--last-plu", "30"}).code, 0);
    const Result same = cli(a, {"diff", "--last-plu", "30"});
    EXPECT_EQ(same.code, 0) << same.err;
    EXPECT_EQ(same.out, "Drukarka i pliki są zgodne\n");

    ASSERT_EQ(cli(a, {"binding", "set", "27", "5", "--offline"}).code, 0);
    ASSERT_EQ(cli(a, {"footer", "set", "7", "--offline", "--line", "2:40:1:Żółw"}).code, 0);
    const std::string footers = slurp(tmp / "stopki.txt");
    const Result different = cli(a, {"diff", "--last-plu", "30"});
    EXPECT_EQ(different.code, 5) << different.err;
    EXPECT_NE(different.out.find("stopka 7 linia 2: plik \"Żółw\""), std::string::npos)
        << different.out;
    EXPECT_NE(different.out.find("PLU 27: plik 005, drukarka 027"), std::string::npos)
        << different.out;
    EXPECT_EQ(slurp(tmp / "stopki.txt"), footers);
    // Items 1..N only: the file's 21..30, PLU 27 among them, are not compared.
    const Result range = cli(a, {"diff", "--bindings", "--last-plu", "20"});
    EXPECT_EQ(range.code, 0) << range.out;
    EXPECT_EQ(range.out, "Drukarka i pliki są zgodne\n");
}

TEST_F(CliTest, CsvRoundTripGivesTheSameFilesAndABadRowWritesNothing) {
    const fs::path a = home("a");
    Printer shop(a, {"--load", shopMemory().string()});
    ASSERT_EQ(cli(a, {"read"}).code, 0);
    shop.stop();
    ASSERT_EQ(cli(a, {"footer", "set", "3", "--offline", "--line", "1:40:1:Źdźbło łąk"}).code, 0);
    const std::string footers = slurp(tmp / "stopki.txt");
    const std::string bindings = slurp(tmp / "wiazplu.txt");
    const Result exported = cli(a, {"export", "--csv", "dane.csv"});
    ASSERT_EQ(exported.code, 0) << exported.err;
    EXPECT_EQ(slurp(tmp / "dane.csv").substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 with a BOM";
    // As a Polish Excel opens it directly, and saves it again.
    ASSERT_EQ(cli(a, {"export", "--csv", "excel.csv", "--csv-encoding", "cp1250"}).code, 0);
    EXPECT_NE(slurp(tmp / "excel.csv").find(";\x8F" "d\x9F" "b\xB3o \xB3\xB9k\r\n"), std::string::npos);
    const Result imported = cli(a, {"import", "--csv", "excel.csv"});
    ASSERT_EQ(imported.code, 0) << imported.err;
    EXPECT_NE(imported.err.find("excel.csv nie jest w UTF-8: odczytany jako Windows-1250"),
              std::string::npos)
        << imported.err;
    EXPECT_EQ(slurp(tmp / "stopki.txt"), footers);
    EXPECT_EQ(slurp(tmp / "wiazplu.txt"), bindings);
    // "-" is standard output and input: a pipe carries the CSV alone, byte for byte.
    const std::string program = KALVERO_CLI_PATH;
    Child piped = test::spawn("/bin/sh",
                              {"-c", program + " export --csv - | " + program +
                                         " import --csv - --footers s2.txt --bindings w2.txt"},
                              {{"XDG_CONFIG_HOME", a.string()},
                               {"XDG_CACHE_HOME", a.string()},
                               {"XDG_DATA_HOME", a.string()}},
                              tmp.path().string());
    const std::string pipedErr = test::readAll(piped.err);
    EXPECT_EQ(test::exitCode(piped.pid), 0) << pipedErr;
    ::close(piped.out);
    ::close(piped.err);
    EXPECT_EQ(slurp(tmp / "s2.txt"), footers);
    EXPECT_EQ(slurp(tmp / "w2.txt"), bindings);
    EXPECT_FALSE(fs::exists(tmp / "-"));

    std::ofstream(tmp / "zle.csv") << "stopka;7;1;20;1;tekst dluzszy niz dwadziescia\r\n";
    const Result refused = cli(a, {"import", "--csv", "zle.csv"});
    EXPECT_EQ(refused.code, 4);
    EXPECT_NE(refused.err.find("wiersz 1"), std::string::npos) << refused.err;
    EXPECT_EQ(slurp(tmp / "stopki.txt"), footers);
}

TEST_F(CliTest, OneFileHasOneRoleAndNothingIsWrittenOtherwise) {
    const fs::path h = home("a");
    test::put(tmp / "stopki.txt", "footers");
    test::put(tmp / "x.txt", "x");
    fs::create_symlink(tmp / "x.txt", tmp / "link.txt");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"export", "--csv", "stopki.txt"},
          {"read", "--footers", "x.txt", "--bindings", "x.txt"},
          {"import", "--csv", "dane.csv", "--footers", "x.txt", "--bindings", "link.txt"},
          {"--trace", "./stopki.txt", "status"}}) {
        const Result refused = cli(h, args);
        EXPECT_EQ(refused.code, 2) << args[0] << args[1] << "\n" << refused.err;
    }
    EXPECT_EQ(slurp(tmp / "stopki.txt"), "footers");
    EXPECT_EQ(slurp(tmp / "x.txt"), "x");
}

TEST_F(CliTest, ReadsThatFailPartWayLeaveTheFileAndItsBackupsAsTheyWere) {
    const fs::path a = home("a");
    test::put(tmp / "stopki.txt", "good copy");
    for (int attempt = 0; attempt < 3; ++attempt) {
        Printer fallsSilent(a, {"--stop-after", std::to_string(50 + attempt)});
        const Result read = cli(a, {"read", "--footers"});
        EXPECT_EQ(read.code, 1);
        EXPECT_NE(read.err.find("Odczytane dane w pliku stopki.txt.partial, dotychczasowy plik "
                                "bez zmian"),
                  std::string::npos)
            << read.err;
    }
    EXPECT_EQ(slurp(tmp / "stopki.txt"), "good copy");
    for (const auto& entry : fs::directory_iterator(tmp.path())) {
        EXPECT_FALSE(entry.path().string().ends_with(".bak")) << entry.path();
    }
    EXPECT_EQ((fs::file_size(tmp / "stopki.txt.partial") - 9) % 186, 0u);
}

// Killed mid-read, backups dated ahead, an empty import: the data file and its
// generations stay whole and findable.
TEST_F(CliTest, NoKillOrClockOrEmptyImportEatsAGoodCopy) {
    const fs::path a = home("a");
    test::put(tmp / "stopki.txt", "good copy");
    {
        Printer slow(a, {"--pace"});
        Child child = test::spawn(KALVERO_CLI_PATH, {"-v", "read", "--footers"},
                                  {{"XDG_CONFIG_HOME", a.string()},
                                   {"XDG_CACHE_HOME", a.string()},
                                   {"XDG_DATA_HOME", a.string()}},
                                  tmp.path().string());
        EXPECT_TRUE(test::lineWith(child.err, "/20"));  // a record is done
        ::kill(child.pid, SIGKILL);
        test::exitCode(child.pid);
        ::close(child.out);
        ::close(child.err);
    }
    EXPECT_EQ(slurp(tmp / "stopki.txt"), "good copy");
    for (int i = 10; i < 30; ++i) {
        const fs::path ahead = tmp / ("stopki.txt.2030-01-01_00-00-" + std::to_string(i) + ".bak");
        test::put(ahead, "ahead");
        fs::last_write_time(ahead, fs::file_time_type::clock::now() + std::chrono::hours(35000));
    }
    Printer printer(a, {});
    ASSERT_EQ(cli(a, {"read", "--footers"}).code, 0);
    bool kept = false;
    for (const auto& entry : fs::directory_iterator(tmp.path())) {
        kept = kept || (entry.path().extension() == ".bak" && slurp(entry.path()) == "good copy");
    }
    EXPECT_TRUE(kept) << "the previous file is a generation";
    EXPECT_FALSE(fs::exists(tmp / "stopki.txt.new"));

    const std::string footers = slurp(tmp / "stopki.txt");
    test::put(tmp / "pusty.csv", "\xEF\xBB\xBF");
    const Result empty = cli(a, {"import", "--csv", "pusty.csv"});
    EXPECT_EQ(empty.code, 4);
    EXPECT_NE(empty.err.find("brak wierszy stopek i wiązań"), std::string::npos) << empty.err;
    EXPECT_EQ(slurp(tmp / "stopki.txt"), footers);
}

// What an import ended by kill -9 leaves, as its journal says: the next run finishes
// it when both new files were whole, or undoes it, and says which.
TEST_F(CliTest, TheNextRunFinishesOrUndoesAnImportThatWasEnded) {
    const fs::path h = home("a");
    for (const std::string state : {"gotowe", "przygotowanie"}) {
        test::put(tmp / "stopki.txt", "old footers");
        test::put(tmp / "wiazplu.txt", "old bindings");
        test::put(tmp / "stopki.txt.new", "new footers");
        test::put(tmp / "wiazplu.txt.new", "new bindings");
        test::put(tmp / "stopki.txt.import", state + "\nstopki.txt\nwiazplu.txt\n");
        const Result next = cli(h, {"binding", "get", "1", "--offline"});
        const bool done = state == "gotowe";
        EXPECT_NE(next.err.find(done ? "dokończono przerwany import: stopki.txt wiazplu.txt"
                                     : "cofnięto przerwany import: stopki.txt wiazplu.txt"),
                  std::string::npos)
            << next.err;
        EXPECT_EQ(slurp(tmp / "stopki.txt"), done ? "new footers" : "old footers");
        EXPECT_EQ(slurp(tmp / "wiazplu.txt"), done ? "new bindings" : "old bindings");
        for (const char* left : {"stopki.txt.new", "wiazplu.txt.new", "stopki.txt.import"}) {
            EXPECT_FALSE(fs::exists(tmp / left)) << left;
        }
    }

    // Killed for real at each change to the folder's entries that an import makes: after
    // the next run both files are old or both new, and nothing of the import is left.
    std::ofstream csv(tmp / "dane.csv");
    for (int plu = 1; plu <= 9983; ++plu) {
        csv << "wiązanie;" << plu << ";" << plu % 201 << "\r\n";
    }
    csv << "stopka;7;1;40;1;nowa\r\n";
    csv.close();
    bool ended = false;
    for (int step = 1; !ended; ++step) {
        test::put(tmp / "stopki.txt", "old footers");
        test::put(tmp / "wiazplu.txt", "old bindings");
        const int watch = ::inotify_init1(IN_NONBLOCK);
        ::inotify_add_watch(watch, tmp.path().c_str(), IN_CREATE | IN_MOVED_TO | IN_DELETE);
        Child child = test::spawn(KALVERO_CLI_PATH, {"import", "--csv", "dane.csv"},
                                  {{"XDG_CONFIG_HOME", h.string()},
                                   {"XDG_CACHE_HOME", h.string()},
                                   {"XDG_DATA_HOME", h.string()}},
                                  tmp.path().string());
        int changes = 0;
        int status = 0;
        while (changes < step && !(ended = ::waitpid(child.pid, &status, WNOHANG) == child.pid)) {
            alignas(inotify_event) char events[4096];
            for (ssize_t n = 0; (n = ::read(watch, events, sizeof events)) > 0;) {
                for (char* e = events; e < events + n;
                     e += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(e)->len) {
                    ++changes;
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!ended) {
            ::kill(child.pid, SIGKILL);
            test::exitCode(child.pid);
        }
        ::close(watch);
        ::close(child.out);
        ::close(child.err);
        cli(h, {"binding", "get", "1", "--offline"});
        const bool old = slurp(tmp / "stopki.txt") == "old footers";
        EXPECT_EQ(slurp(tmp / "wiazplu.txt") == "old bindings", old) << "killed at " << step;
        EXPECT_EQ(fs::file_size(tmp / "wiazplu.txt"), old ? 12u : 9u + 9983u * 11u);
        for (const char* left : {"stopki.txt.new", "wiazplu.txt.new", "stopki.txt.import"}) {
            EXPECT_FALSE(fs::exists(tmp / left)) << left << " killed at " << step;
        }
    }
}

TEST_F(CliTest, TheTerminalGetsNoControlBytesFromThePrinter) {
    const fs::path h = home("a");
    // An item name that would set the terminal's title: ESC ] 0 ; X BEL, then blanks.
    test::put(tmp / "memory.txt", "name 1 1b5d303b5807202020202020202020202020\n");
    Printer printer(h, {"--load", (tmp / "memory.txt").string()});
    const Result item = cli(h, {"item", "1"});
    ASSERT_EQ(item.code, 0) << item.err;
    EXPECT_EQ(item.out.find('\x1B'), std::string::npos) << item.out;
    EXPECT_EQ(item.out.rfind("\\x1B]0;X\\x07", 0), 0u) << item.out;
}

// Through a real ser2net, both kinds: the printer is found at 19200 (the speed change
// crosses the network), reads equal the direct port's byte for byte, a write lands,
// and a server that is down, hangs up or has a silent printer behind it is named.
TEST_F(CliTest, APrinterOnTheNetworkWorksAsOneOnAPort) {
    if (std::string(SER2NET_PATH).empty()) {
        GTEST_SKIP() << "ser2net is not installed (tools/deps.sh test installs it)";
    }
    const fs::path a = home("a");
    Printer shop(a, {"--load", shopMemory().string(), "--baud", "19200", "--number", "12"});
    ASSERT_EQ(cli(a, {"read", "--last-plu", "300"}).code, 0);
    const std::string footers = slurp(tmp / "stopki.txt");
    const std::string bindings = slurp(tmp / "wiazplu.txt");
    NetworkServer server(tmp / "a", a / "kalvero/ports/com1");

    const Result detect = cli(a, {"--port", server.rfc2217(), "detect"});
    EXPECT_EQ(detect.code, 0) << detect.err;
    EXPECT_NE(detect.out.find("port: " + server.rfc2217() + ",19200"), std::string::npos)
        << detect.out;
    for (const std::string& url : {server.rfc2217(), server.raw()}) {
        fs::remove(tmp / "stopki.txt");
        fs::remove(tmp / "wiazplu.txt");
        const Result read = cli(a, {"--port", url, "read", "--last-plu", "300"});
        EXPECT_EQ(read.code, 0) << url << read.err;
        EXPECT_EQ(slurp(tmp / "stopki.txt"), footers) << url;
        EXPECT_EQ(slurp(tmp / "wiazplu.txt"), bindings) << url;
    }
    EXPECT_EQ(cli(a, {"--port", server.rfc2217(), "binding", "set", "12", "7"}).code, 0);
    EXPECT_EQ(cli(a, {"--port", server.raw(), "binding", "get", "12"}).out, "7\n");

    const std::string down = "rfc2217://127.0.0.1:" + std::to_string(freePort());
    const Result refused = cli(a, {"--port", down, "status"});
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find(down + ": serwer 127.0.0.1:"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("nie przyjmuje połączenia"), std::string::npos) << refused.err;

    // Hung up mid-read: what came is kept apart, and the server is named.
    const fs::path b = home("b");
    Printer paced(b, {"--baud", "19200", "--pace"});
    NetworkServer hangsUp(tmp / "b", b / "kalvero/ports/com1");
    Child reading =
        test::spawn(KALVERO_CLI_PATH, {"-v", "--port", hangsUp.rfc2217(), "read", "--footers"},
                    {{"XDG_CONFIG_HOME", b.string()},
                     {"XDG_CACHE_HOME", b.string()},
                     {"XDG_DATA_HOME", b.string()}},
                    tmp.path().string());
    EXPECT_TRUE(test::lineWith(reading.err, "/20"));  // the first footer is in
    hangsUp.stop(SIGKILL);
    const std::string err = test::readAll(reading.err);
    EXPECT_EQ(test::exitCode(reading.pid), 1);
    ::close(reading.out);
    ::close(reading.err);
    EXPECT_NE(err.find("zamknął połączenie"), std::string::npos) << err;
    EXPECT_EQ(slurp(tmp / "stopki.txt"), footers) << "the data file is as it was";

    const fs::path c = home("c");
    Printer silent(c, {"--silent"});
    NetworkServer live(tmp / "c", c / "kalvero/ports/com1");
    const Result nothing = cli(c, {"--port", live.rfc2217(), "detect"});
    EXPECT_EQ(nothing.code, 3);
    EXPECT_NE(nothing.err.find("Nie wykryto drukarki"), std::string::npos) << nothing.err;

    // A ports directory entry holding a URL is a port like the others to detection.
    std::ofstream(c / "kalvero/ports/com2") << server.rfc2217() << "\n";
    const Result found = cli(c, {"detect"});
    EXPECT_EQ(found.code, 0) << found.err;
    EXPECT_NE(found.out.find("port: COM2,19200"), std::string::npos) << found.out;
}

// A printer at 19200 is tried at 19200 first from the second command on, without
// waiting out a silent 9600; --baud names the speed outright; a speed remembered
// wrongly only costs the other try.
TEST_F(CliTest, ThePortsLastSpeedIsTriedFirst) {
    const fs::path a = home("a");
    {
        Printer fast(a, {"--baud", "19200"});
        ASSERT_EQ(cli(a, {"status"}).code, 0);
        EXPECT_EQ(slurp(a / "kalvero/speeds"), "COM1 19200\n");
        ASSERT_EQ(cli(a, {"--trace", "t.txt", "status"}).code, 0);
        const std::string trace = slurp(tmp / "t.txt");
        EXPECT_NE(trace.find(" 19200 "), std::string::npos) << trace;
        EXPECT_EQ(trace.find(" 9600 "), std::string::npos) << trace;
        EXPECT_EQ(cli(a, {"--baud", "9600", "status"}).code, 3) << "that speed only";
    }
    Printer slow(a, {});
    EXPECT_EQ(cli(a, {"status"}).code, 0);
    EXPECT_EQ(slurp(a / "kalvero/speeds"), "COM1 9600\n");
    EXPECT_EQ(cli(a, {"--baud", "4800", "status"}).code, 2);

    // What is not a small regular file where the speeds live is never read (a FIFO
    // would block, a device or an endless file never end) and never written through:
    // the command goes on, says so once, and leaves a regular file there.
    const fs::path speeds = a / "kalvero/speeds";
    const auto replace = [&speeds](const std::function<void()>& make) {
        fs::remove(speeds);
        make();
    };
    const std::vector<std::function<void()>> strange = {
        [&speeds] { ASSERT_EQ(::mkfifo(speeds.c_str(), 0600), 0); },
        [&speeds] { fs::create_symlink("/dev/zero", speeds); },
        [&speeds] {
            std::ofstream(speeds) << "COM1 9600\n";
            fs::resize_file(speeds, 1ull << 30);
        },
    };
    for (const auto& make : strange) {
        replace(make);
        const Result r = cli(a, {"status"});
        EXPECT_EQ(r.code, 0) << r.err;
        EXPECT_NE(r.err.find("zapamiętane prędkości portów pominięto"), std::string::npos)
            << r.err;
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(speeds)));
        EXPECT_LT(fs::file_size(speeds), 100u);
    }
    // A data file the user names must be a regular file too.
    ASSERT_EQ(::mkfifo((tmp / "fifo.txt").c_str(), 0600), 0);
    const Result fifo = cli(a, {"write", "--bindings", "fifo.txt"});
    EXPECT_EQ(fifo.code, 4);
    EXPECT_NE(fifo.err.find("fifo.txt: to nie jest zwykły plik"), std::string::npos) << fifo.err;
}

// Bindings of PLU 2..(1 + count) to footer 200, which the shop's printer holds for none of them.
std::string rollout(int count = 300) {
    std::string text = "#\r\n#\r\n#\r\n";
    for (int plu = 2; plu <= 1 + count; ++plu) {
        char line[32];
        std::snprintf(line, sizeof line, "$%04d\t200\r\n", plu);
        text += line;
    }
    return text;
}

// Before a binding write sends anything: the printer found (3 exchanges) once to see
// that no other answers, once to use it, and all its bindings read into the snapshot.
constexpr int kBeforeBindingWrites = 3 + 3 + 9983;

// The shop's printer, no. 07, started afresh from its memory for each run, as
// another day would find it; the faults given hold for that run only.
class ShopPrinter {
public:
    ShopPrinter(const fs::path& home, const fs::path& memory) : m_saved(home / "saved.txt") {
        fs::copy_file(memory, m_saved, fs::copy_options::overwrite_existing);
        Printer printer(home, {"--load", m_saved.string()});
        printer.stop();
        before = printerData(m_saved);
    }
    std::vector<std::string> options(const std::vector<std::string>& faults) const {
        std::vector<std::string> all{"--load", m_saved.string(), "--number", "07"};
        all.insert(all.end(), faults.begin(), faults.end());
        return all;
    }
    std::set<std::string> now() const { return printerData(m_saved); }

    std::set<std::string> before;

private:
    fs::path m_saved;
};

// Runs kalvero-cli and kills it (SIGKILL) a while after it began to write: a printer
// that falls silent part-way keeps it waiting there for the kill.
int killedDuringWrite(const fs::path& home, const fs::path& dir,
                      std::vector<std::string> args) {
    args.insert(args.begin(), "-v");  // the progress, to see the write begin
    Child child = test::spawn(KALVERO_CLI_PATH, args,
                              {{"XDG_CONFIG_HOME", home.string()},
                               {"XDG_CACHE_HOME", home.string()},
                               {"XDG_DATA_HOME", home.string()}},
                              dir.string());
    test::lineWith(child.err, "Zapis wiązań");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ::kill(child.pid, SIGKILL);
    ::close(child.out);
    ::close(child.err);
    return test::exitCode(child.pid);
}

// Undo you can trust: a failed roll-out and the retry that finished it are undone
// together; a write and a restore killed half-way are undone by the next restore;
// two restores undo two changes; a change made behind the journal's back stops a
// restore; a write that changes nothing keeps nothing.
TEST_F(CliTest, RestoreReturnsThePrinterToBeforeTheChange) {
    const fs::path a = home("a");
    test::put(tmp / "w.txt", rollout());
    ShopPrinter shop(a, shopMemory());
    const auto run = [&](const std::vector<std::string>& faults,
                         const std::vector<std::string>& args) {
        Printer printer(a, shop.options(faults));
        const Result r = cli(a, args);
        printer.stop();
        return r;
    };
    const std::string failAt = std::to_string(kBeforeBindingWrites + 158);
    const Result failed = run({"--nak", "1e", "--faults-from", failAt}, {"write", "--bindings", "w.txt"});
    EXPECT_EQ(failed.code, 1) << failed.err;
    EXPECT_NE(shop.now(), shop.before);
    const Result retry = run({}, {"write", "--bindings", "w.txt"});
    EXPECT_EQ(retry.out, "Zapis wiązań: OK, zmieniono 143 z 300\nSprawdzenie: OK\n") << retry.err;
    const Result restore = run({}, {"restore"});
    EXPECT_EQ(restore.code, 0) << restore.err;
    EXPECT_EQ(shop.now(), shop.before) << "back to before the roll-out, not to its half";
    // Nothing left to undo is said, and is no failure.
    const Result nothing = run({}, {"restore"});
    EXPECT_EQ(nothing.code, 0);
    EXPECT_NE(nothing.out.find("nic do cofnięcia"), std::string::npos) << nothing.err;

    // Killed while writing, killed while restoring, restored.
    {
        Printer printer(a, shop.options({"--stop-after", std::to_string(kBeforeBindingWrites + 157)}));
        EXPECT_EQ(killedDuringWrite(a, tmp.path(), {"write", "--bindings", "w.txt"}), 128 + SIGKILL);
    }
    EXPECT_NE(shop.now(), shop.before);
    {
        Printer printer(a, shop.options({"--stop-after", std::to_string(kBeforeBindingWrites + 50)}));
        EXPECT_EQ(killedDuringWrite(a, tmp.path(), {"restore"}), 128 + SIGKILL);
    }
    EXPECT_EQ(run({}, {"restore"}).code, 0);
    EXPECT_EQ(shop.now(), shop.before) << "the same undo finished, not the half-restored printer";

    // Two undos in a row; writes that change nothing keep nothing.
    Printer printer(a, shop.options({}));
    test::put(tmp / "five.txt", "#\r\n#\r\n#\r\n$0005\t007\r\n");
    test::put(tmp / "six.txt", "#\r\n#\r\n#\r\n$0006\t008\r\n");
    ASSERT_EQ(cli(a, {"write", "--bindings", "five.txt"}).code, 0);
    ASSERT_EQ(cli(a, {"write", "--bindings", "six.txt"}).code, 0);
    const std::size_t entries = cli(a, {"snapshots"}).out.size();
    EXPECT_EQ(cli(a, {"write", "--bindings", "six.txt"}).out,
              "Zapis wiązań: OK, zmieniono 0 z 1\nSprawdzenie: OK\n");
    EXPECT_EQ(cli(a, {"snapshots"}).out.size(), entries) << "no snapshot of a write of nothing";
    EXPECT_EQ(cli(a, {"restore"}).code, 0);
    EXPECT_EQ(cli(a, {"binding", "get", "6"}).out, "0\n");
    EXPECT_EQ(cli(a, {"binding", "get", "5"}).out, "7\n");
    EXPECT_EQ(cli(a, {"restore"}).code, 0);
    EXPECT_EQ(cli(a, {"binding", "get", "5"}).out, "0\n");

    // Changed behind the journal's back: named, nothing sent, unless --force.
    ASSERT_EQ(cli(a, {"write", "--bindings", "five.txt"}).code, 0);
    ASSERT_EQ(cli(a, {"write", "--bindings", "six.txt", "--no-snapshot"}).code, 0);
    const Result refused = cli(a, {"restore"});
    EXPECT_EQ(refused.code, 5);
    EXPECT_NE(refused.err.find("różni się rekordów: 1"), std::string::npos) << refused.err;
    EXPECT_EQ(cli(a, {"binding", "get", "5"}).out, "7\n");
    EXPECT_EQ(cli(a, {"restore", "--force"}).code, 0);
    EXPECT_EQ(cli(a, {"binding", "get", "5"}).out, "0\n");
    EXPECT_EQ(cli(a, {"binding", "get", "6"}).out, "0\n");
}

// A small change reads, keeps and sends only its records and is undone as any other:
// write --since-read after a read, with a record changed behind its back and one that
// already holds the file's value, killed half-way and restored; binding set and restore.
TEST_F(CliTest, ASmallChangeSendsOnlyItsRecordsAndRestoreUndoesIt) {
    const fs::path a = home("a");
    const fs::path b = home("b");  // another PC's kalvero-cli, on the same printer
    test::put(tmp / "w.txt", rollout());
    ShopPrinter shop(a, shopMemory());
    const auto run = [&](const fs::path& home, const std::vector<std::string>& args) {
        Printer printer(a, shop.options({}));
        if (home == b) {
            fs::create_symlink(fs::read_symlink(a / "kalvero/ports/com1"),
                               b / "kalvero/ports/com1");
        }
        const Result r = cli(home, args);
        fs::remove(b / "kalvero/ports/com1");
        return r;
    };
    const std::vector<std::string> sinceRead{"write", "--bindings", "w.txt", "--since-read"};
    EXPECT_EQ(run(a, sinceRead).code, 4) << "nothing known of the printer yet";
    EXPECT_EQ(shop.now(), shop.before);
    ASSERT_EQ(run(a, {"read", "--bindings", "r.txt"}).code, 0);
    ASSERT_EQ(run(b, {"binding", "set", "7", "9"}).code, 0);
    ASSERT_EQ(run(b, {"binding", "set", "8", "200"}).code, 0);
    const Result changed = run(a, sinceRead);
    EXPECT_EQ(changed.code, 1);
    EXPECT_NE(changed.err.find("od odczytu: PLU 7; nic nie wysłano"), std::string::npos)
        << changed.err;
    ASSERT_EQ(run(b, {"binding", "set", "7", "200"}).code, 0);
    const std::set<std::string> before = shop.now();
    {
        Printer printer(a, shop.options({"--stop-after", std::to_string(3 + 3 + 300 + 100)}));
        EXPECT_EQ(killedDuringWrite(a, tmp.path(), sinceRead), 128 + SIGKILL);
    }
    EXPECT_NE(shop.now(), before);
    const Result unknown = run(a, sinceRead);
    EXPECT_EQ(unknown.code, 1) << "what a killed write sent is not known";
    EXPECT_NE(unknown.err.find("nie wiadomo, co drukarka ma w PLU 2, PLU 3"), std::string::npos)
        << unknown.err;
    EXPECT_EQ(run(a, {"restore"}).code, 0);
    EXPECT_EQ(shop.now(), before);
    const Result sent = run(a, sinceRead);
    EXPECT_EQ(sent.out, "Zapis wiązań: OK, zmieniono 298 z 298\nSprawdzenie: OK\n") << sent.err;

    ASSERT_EQ(run(a, {"binding", "set", "12", "3"}).out, "OK\n");
    EXPECT_EQ(run(a, {"restore"}).code, 0);
    EXPECT_EQ(run(a, {"binding", "get", "12"}).out, "200\n");
    EXPECT_EQ(run(a, {"restore"}).code, 0) << "then the write before it";
    EXPECT_EQ(shop.now(), before);
    // What is known cannot be kept: nothing is sent, and nothing stale stays known.
    const fs::path known = *fs::directory_iterator(a / "kalvero/known");
    fs::remove(known / "stopki.txt");
    fs::create_directories(known / "stopki.txt/x");
    const Result refused = run(a, {"-q", "binding", "set", "12", "4"});
    EXPECT_EQ(refused.code, 4) << refused.err;
    EXPECT_NE(refused.err.find("nic nie zmieniono"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(known / "wiazplu.txt"));
    EXPECT_EQ(shop.now(), before) << "PLU 12 not sent";
}

// Four ways an undo once went wrong, each now as the rules say: a change of one record
// between a failed roll-out and its retry, a retry that found nothing to send, a
// change made behind an unfinished write, and a blind write vouched for unread.
TEST_F(CliTest, NoSmallChangeBlindWriteOrEmptyRetrySplitsAnUndo) {
    test::put(tmp / "w20.txt", rollout(20));
    test::put(tmp / "w40.txt", rollout(40));
    const auto cut = [](int records) {
        return std::vector<std::string>{"--hang-up-after",
                                        std::to_string(kBeforeBindingWrites + records)};
    };
    const std::vector<std::string> write{"write", "--bindings", "w20.txt"};
    // The shop's printer in a home of its own, started afresh for each run with the
    // faults given.
    const auto shopIn = [this](const std::string& name) {
        const fs::path a = home(name);
        const auto shop = std::make_shared<ShopPrinter>(a, shopMemory());
        return std::pair{shop, [this, a, shop](const std::vector<std::string>& faults,
                                               const std::vector<std::string>& args) {
                             Printer printer(a, shop->options(faults));
                             return cli(a, args);
                         }};
    };
    {
        const auto [shop, run] = shopIn("split");
        EXPECT_EQ(run(cut(14), write).code, 1);
        EXPECT_EQ(run({}, {"binding", "set", "7", "42"}).code, 0);
        const Result retry = run({}, write);
        EXPECT_EQ(retry.out, "Zapis wiązań: OK, zmieniono 7 z 20\nSprawdzenie: OK\n") << retry.err;
        EXPECT_EQ(run({}, {"restore"}).code, 0);
        EXPECT_EQ(shop->now(), shop->before) << "the roll-out, the one record and the retry undone";
    }
    {
        const auto [shop, run] = shopIn("empty");
        EXPECT_EQ(run(cut(20 + 3), write).code, 1) << "all taken, the read-back cut";
        const Result again = run({}, write);
        EXPECT_EQ(again.out, "Zapis wiązań: OK, zmieniono 0 z 20\nSprawdzenie: OK\n") << again.err;
        const std::set<std::string> rolledOut = shop->now();
        EXPECT_EQ(run({}, {"binding", "set", "7", "42"}).code, 0);
        EXPECT_EQ(run({}, {"restore"}).code, 0);
        EXPECT_EQ(shop->now(), rolledOut) << "only the one record undone";
        EXPECT_EQ(run({}, {"restore"}).code, 0);
        EXPECT_EQ(shop->now(), shop->before);
    }
    {
        const auto [shop, run] = shopIn("behind");
        EXPECT_EQ(run(cut(24), {"write", "--bindings", "w40.txt"}).code, 1);
        test::put(tmp / "seven.txt", "#\r\n#\r\n#\r\n$0007\t077\r\n");
        ASSERT_EQ(run({}, {"write", "--bindings", "seven.txt", "--no-snapshot"}).code, 0);
        const std::set<std::string> changed = shop->now();
        const Result refused = run({}, {"restore"});
        EXPECT_EQ(refused.code, 5);
        EXPECT_NE(refused.err.find("różni się rekordów: 1"), std::string::npos) << refused.err;
        EXPECT_EQ(shop->now(), changed) << "nothing sent";
    }
    {
        // Changed behind a kind that the newest entry did not touch.
        const auto [shop, run] = shopIn("kinds");
        ASSERT_EQ(run({}, {"binding", "set", "5", "7"}).code, 0);
        ASSERT_EQ(run({}, {"footer", "set", "3", "--line", "1:20:1:Promocja"}).code, 0);
        ASSERT_EQ(run({}, {"restore"}).code, 0);
        test::put(tmp / "five.txt", "#\r\n#\r\n#\r\n$0005\t009\r\n");
        ASSERT_EQ(run({}, {"write", "--bindings", "five.txt", "--no-snapshot"}).code, 0);
        const Result refused = run({}, {"restore"});
        EXPECT_EQ(refused.code, 5) << refused.err;
        EXPECT_EQ(run({}, {"binding", "get", "5"}).out, "9\n");
    }
    {
        const auto [shop, run] = shopIn("blind");
        ASSERT_EQ(run({}, {"read", "--bindings", "r.txt"}).code, 0);
        test::put(tmp / "w3.txt", "#\r\n#\r\n#\r\n$0021\t200\r\n$0022\t200\r\n$0023\t200\r\n");
        EXPECT_EQ(run({"--forget-writes", "plu:22"},
                      {"write", "--bindings", "w3.txt", "--no-snapshot"}).code, 0)
            << "a blind write may";
        const std::vector<std::string> sinceRead{"write", "--bindings", "w3.txt", "--since-read"};
        const Result unknown = run({}, sinceRead);
        EXPECT_EQ(unknown.code, 1);
        EXPECT_NE(unknown.err.find("PLU 21, PLU 22, PLU 23; nic nie wysłano"), std::string::npos)
            << unknown.err;
        ASSERT_EQ(run({}, {"read", "--bindings", "r.txt"}).code, 0);
        const Result sent = run({}, sinceRead);
        EXPECT_EQ(sent.out, "Zapis wiązań: OK, zmieniono 1 z 1\nSprawdzenie: OK\n") << sent.err;
    }
}

// A snapshot knows its printer: two printers no. 07 on ports whose names sanitise
// alike keep apart; another printer's snapshot, a half one, or a folder of the user's
// own is never put back without a word.
TEST_F(CliTest, SnapshotsKnowTheirPrinterAndAreWholeOrNothing) {
    const fs::path a = home("a");
    fs::create_directories(tmp / "dev/a");
    const std::string first = (tmp / "dev/a/b").string();
    const std::string second = (tmp / "dev/a_b").string();
    Printer one(a, {"--number", "07"}, 2, first);
    Printer two(a, {"--number", "07"}, 3, second);
    Printer other(a, {"--number", "08"});
    test::put(tmp / "five.txt", "#\r\n#\r\n#\r\n$0005\t007\r\n");
    const Result written = cli(a, {"--port", first, "write", "--bindings", "five.txt"});
    ASSERT_EQ(written.code, 0) << written.err;
    const std::size_t at = written.err.find("Migawka: ") + 9;
    const std::string folder = written.err.substr(at, written.err.find('\n', at) - at);
    EXPECT_EQ(cli(a, {"--port", second, "restore"}).out,
              "nic do cofnięcia w drukarce nr 07 na " + second + "\n");
    EXPECT_EQ(cli(a, {"--port", second, "binding", "get", "5"}).out, "0\n");

    const Result another = cli(a, {"restore", "--snapshot", folder});
    EXPECT_EQ(another.code, 4);
    EXPECT_NE(another.err.find("drukarki nr 07, to jest nr 08"), std::string::npos) << another.err;
    EXPECT_EQ(cli(a, {"restore", "--snapshot", folder + ".partial"}).code, 4);
    test::put(tmp / "bindings.txt", "#\r\n#\r\n#\r\n$0005\t009\r\n");
    ASSERT_EQ(cli(a, {"write", "--bindings", "bindings.txt"}).code, 0);
    EXPECT_EQ(cli(a, {"restore", "--snapshot", folder, "--force"}).code, 0);
    EXPECT_EQ(cli(a, {"binding", "get", "5"}).out, "0\n");

    // Cut short: set aside and named, never restored; the user's folder stays.
    fs::create_directories(fs::path(folder).parent_path() / "zz-moja-kopia");
    fs::resize_file(fs::path(folder) / "wiazplu.txt", 1000);
    const Result cut = cli(a, {"--port", first, "restore"});
    EXPECT_EQ(cut.code, 4);
    EXPECT_NE(cut.err.find("migawka 000001 uszkodzona: wiazplu.txt"), std::string::npos) << cut.err;
    EXPECT_NE(cut.err.find("nie można cofnąć: migawka 000001"), std::string::npos) << cut.err;
    EXPECT_EQ(cli(a, {"--port", first, "binding", "get", "5"}).out, "7\n");
    const std::string listed = cli(a, {"snapshots"}).out;
    EXPECT_NE(listed.find(folder + ".damaged\tuszkodzona: "), std::string::npos) << listed;
    EXPECT_TRUE(fs::exists(fs::path(folder).parent_path() / "zz-moja-kopia"));
}

// A snapshot that cannot be kept, or a file that is not whole, changes nothing; a PLU
// given twice ends as its last record says, as in a write of everything.
TEST_F(CliTest, NothingChangesWithoutAWholeSnapshot) {
    const fs::path a = home("a");
    Printer shop(a, {"--load", shopMemory().string()});
    ASSERT_EQ(cli(a, {"read", "--last-plu", "30"}).code, 0);
    ASSERT_EQ(cli(a, {"binding", "set", "14", "9", "--offline"}).code, 0);
    test::put(a / "kalvero/snapshots", "a file where the snapshots' folder would be");
    const Result unkept = cli(a, {"write", "--bindings"});
    EXPECT_EQ(unkept.code, 4);
    EXPECT_NE(unkept.err.find("nic nie zmieniono"), std::string::npos) << unkept.err;
    EXPECT_EQ(unkept.err.find("Nie ma takiego pliku"), std::string::npos)
        << "the file in the way is the reason: " << unkept.err;
    const Result listed = cli(a, {"snapshots"});
    EXPECT_NE(listed.err.find("snapshots: to nie folder; nie wymieniono żadnej migawki"),
              std::string::npos)
        << listed.err;
    // A read-only store says so, where a private read-only mount can be made for it.
    fs::create_directories(tmp / "ro");
    Child readOnly = test::spawn(
        "/usr/bin/unshare",
        {"-m", "sh", "-c", "mount -t tmpfs -o ro tmpfs \"$0\" || exit 99; exec \"$@\"",
         (tmp / "ro").string(), KALVERO_CLI_PATH, "write", "--bindings"},
        {{"XDG_CONFIG_HOME", a.string()}, {"XDG_DATA_HOME", (tmp / "ro").string()}},
        tmp.path().string());
    const std::string roErr = test::readAll(readOnly.err);
    ::close(readOnly.out);
    ::close(readOnly.err);
    if (const int code = test::exitCode(readOnly.pid);
        code != 99 && std::system("unshare -m true 2>/dev/null") == 0) {
        EXPECT_EQ(code, 4) << roErr;
        EXPECT_NE(roErr.find(": System plików wyłącznie do odczytu; nic nie zmieniono"),
                  std::string::npos)
            << roErr;
    }
    test::put(tmp / "bad.txt", "#\r\n#\r\n#\r\n$0001\t00");
    const Result bad = cli(a, {"write", "--bindings", "bad.txt", "--footers"});
    EXPECT_EQ(bad.code, 4);
    EXPECT_EQ(bad.out, "") << "the whole footer file waits too";
    EXPECT_EQ(cli(a, {"binding", "get", "14"}).out, "14\n");
    fs::remove(a / "kalvero/snapshots");

    test::put(tmp / "twice.txt", "#\r\n#\r\n#\r\n$0014\t009\r\n$0014\t014\r\n");
    const Result twice = cli(a, {"write", "--bindings", "twice.txt"});
    EXPECT_EQ(twice.out, "Zapis wiązań: OK, zmieniono 2 z 2\nSprawdzenie: OK\n") << twice.err;
    EXPECT_EQ(cli(a, {"binding", "get", "14"}).out, "14\n");
}

// One command on three printers at once: the two that answer complete, the one that
// falls silent is named in the summary, with the command that repeats the run for it.
TEST_F(CliTest, JsonTellsTheSameValuesInEveryLanguage) {
    using nlohmann::json;
    const fs::path a = home("a");
    Printer first(a, {"--number", "07", "--status", "71,00,02,00"}, 1);
    Printer third(a, {"--number", "03"}, 3);
    // Both languages give one document each, alike but for the times and the
    // messages beside the failures' kinds.
    const auto both = [&](const std::vector<std::string>& args, int code) {
        json told[2];
        for (int i = 0; i < 2; ++i) {
            const Result r = cli(a, args, i == 0 ? "pl_PL.UTF-8" : "C.UTF-8");
            EXPECT_EQ(r.code, code) << r.err;
            told[i] = json::parse(r.out);
            std::vector<json*> documents{&told[i]};
            if (told[i].contains("printers")) {
                for (json& each : told[i]["printers"]) {
                    documents.push_back(&each);
                }
            }
            for (json* document : documents) {
                document->erase("seconds");
                if (document->contains("error")) {
                    EXPECT_FALSE((*document)["error"]["message"].get<std::string>().empty())
                        << document->dump();
                    (*document)["error"].erase("message");
                }
            }
        }
        EXPECT_EQ(told[0], told[1]);
        return told[0];
    };
    const json guessed = both({"--json", "erase", "--footers"}, 2);
    EXPECT_EQ(guessed["error"]["kind"], "usage");
    EXPECT_EQ(guessed["answering"], json::parse(R"([{"port":"COM1","number":"07"},
                                                    {"port":"COM3","number":"03"}])"));
    // Every printer that answers, not only the first.
    const Result all = cli(a, {"detect", "--all"});
    EXPECT_EQ(all.out, "COM1,9600: DURAX ORU nr: 07, wersja: 4\n"
                       "COM3,9600: DURAX ORU nr: 03, wersja: 4\n")
        << all.err;
    EXPECT_EQ(both({"detect", "--all", "--json"}, 0)["found"],
              json::parse(R"([{"port":"COM1","number":"07","baud":9600,"version":4},
                              {"port":"COM3","number":"03","baud":9600,"version":4}])"));
    EXPECT_EQ(cli(a, {"detect", "--all", "--port", "COM1"}).code, 2);
    const json status = both({"status", "--port", "COM1", "--json"}, 0);
    EXPECT_EQ(status["printer"]["number"], "07");
    EXPECT_EQ(status["status"], json::parse("[113,0,2,0]"));
    ASSERT_EQ(both({"--json", "--port", "COM1", "read", "--last-plu", "20"}, 0)["operations"].size(), 2u);
    ASSERT_EQ(cli(a, {"binding", "set", "12", "7", "--offline"}).code, 0);
    const json diff = both({"diff", "--bindings", "--port", "COM1", "--last-plu", "20", "--json"}, 5);
    EXPECT_EQ(diff["differences"]["bindings"],
              json::parse(R"([{"plu": 12, "file": 7, "printer": 0}])"));
    EXPECT_TRUE(diff["differ"]);
    EXPECT_EQ(diff["error"]["kind"], "differs");
    const Result write = cli(a, {"--json", "-q", "--port", "COM1", "write", "--bindings"});
    ASSERT_EQ(write.code, 0) << write.err;
    const json written = json::parse(write.out);
    EXPECT_EQ(written["operations"][0]["changed"], 1);
    EXPECT_TRUE(written["verified"]);
    const json journal = both({"snapshots", "--json"}, 0);
    EXPECT_EQ(journal["printers"][0]["number"], "07");
    EXPECT_EQ(journal["printers"][0]["changes"][0]["outcome"]["bindings"], "finished");
    EXPECT_EQ(journal["printers"][0]["undo_group"], 1);
    EXPECT_EQ(written["snapshot"], journal["printers"][0]["changes"][0]["folder"]);
    // A printer that refuses gives the Part's code and text, the same in both languages.
    Printer refuses(a, {"--number", "06", "--nak", "9b"}, 6);
    const json several = both({"--json", "--port", "COM1,COM6", "status"}, 6);
    EXPECT_EQ(several["printers"][0]["exit"], 0);
    EXPECT_EQ(several["printers"][1]["port"], "COM6");
    EXPECT_EQ(several["printers"][1]["exit"], 1);
    EXPECT_EQ(several["printers"][1]["code"], 24) << several.dump();
    EXPECT_EQ(several["printers"][1]["text"], "Nie można wykonac rozkazu (NAK)");
    EXPECT_EQ(several["printers"][1]["error"]["kind"], "printer_result");
    EXPECT_EQ(several["error"]["kind"], "some_failed");
    // A failure says why in words a script relies on: a command line it cannot take
    // (the document names no command then), a port that is not there, the reading
    // of a file that is not there.
    const json unknown = both({"--json", "--bogus", "status"}, 2);
    EXPECT_TRUE(unknown["command"].is_null());
    EXPECT_EQ(unknown["error"]["kind"], "usage");
    EXPECT_EQ(both({"--json", "footer", "get", "1"}, 2)["error"]["kind"], "usage");
    EXPECT_EQ(both({"--json", "--port", "COM9", "status"}, 3)["error"]["kind"], "port_missing");
    EXPECT_EQ(both({"--json", "--port", "COM1", "write", "--footers", "none.txt"}, 4)["error"]["kind"],
              "file_missing");
    // Each operation is named for scripts too.
    EXPECT_EQ(written["operations"][0]["kind"], "write_bindings");
}

TEST_F(CliTest, SeveralPrintersAtOnceAndARepeatForThoseThatFailed) {
    const fs::path a = home("a");
    Printer first(a, {"--number", "01"}, 1);
    Printer silent(a, {"--number", "02", "--stop-after", "40"}, 2);
    Printer third(a, {"--number", "03"}, 3);
    ASSERT_EQ(cli(a, {"--port", "COM1", "read", "--last-plu", "30"}).code, 0);
    ASSERT_EQ(cli(a, {"binding", "set", "12", "7", "--offline"}).code, 0);
    const Result several = cli(a, {"--port", "COM1,COM2", "--port", "COM3", "write", "--bindings"});
    EXPECT_EQ(several.code, 6) << several.err;
    EXPECT_NE(several.out.find("[COM1] Zapis wiązań: OK, zmieniono 1 z 30"), std::string::npos)
        << several.out;
    EXPECT_NE(several.out.find("[COM3] Zapis wiązań: OK, zmieniono 1 z 30"), std::string::npos);
    EXPECT_NE(several.out.find("COM2                         02"), std::string::npos)
        << several.out;
    EXPECT_NE(several.err.find("błąd na portach: COM2"), std::string::npos) << several.err;
    EXPECT_NE(several.err.find("powtórz dla nich: kalvero-cli --port COM2 write --bindings"),
              std::string::npos)
        << several.err;
    EXPECT_EQ(cli(a, {"--port", "COM3", "binding", "get", "12"}).out, "7\n");
    // A device whose path holds a comma, named with --port repeated.
    fs::create_directories(tmp / "by-id");
    const std::string comma = (tmp / "by-id/usb-ORU,07").string();
    Printer named(a, {"--number", "07"}, 7, comma);
    const Result pathAndPort = cli(a, {"--port", comma, "--port", "COM3", "status"});
    EXPECT_EQ(pathAndPort.code, 0) << pathAndPort.err;
    EXPECT_NE(pathAndPort.out.find("[" + comma + "] "), std::string::npos) << pathAndPort.out;
    // A single such path is one port too, so the repeat for it names it whole.
    const std::string silentComma = (tmp / "by-id/usb-ORU,08").string();
    Printer mute(a, {"--silent"}, 8, silentComma);
    const Result oneFailed = cli(a, {"--port", silentComma, "--port", "COM3", "status"});
    EXPECT_EQ(oneFailed.code, 6) << oneFailed.err;
    EXPECT_NE(oneFailed.err.find("powtórz dla nich: kalvero-cli --port " + silentComma + " status"),
              std::string::npos)
        << oneFailed.err;
    EXPECT_EQ(cli(a, {"--port", silentComma, "status"}).code, 3) << "one port, silent";
    // A change never guesses which of several printers is meant.
    const Result guessed = cli(a, {"erase", "--bindings"});
    EXPECT_EQ(guessed.code, 2);
    EXPECT_NE(guessed.err.find("kilku portach: COM1 (nr 01), COM3 (nr 03); wskaż jedną"),
              std::string::npos)
        << guessed.err;
    EXPECT_EQ(cli(a, {"--port", "COM1", "binding", "get", "12"}).out, "7\n") << "not erased";

    // A printer whose footers fail gets no bindings; its row says why; the repeat is
    // quoted for the shell.
    Printer refuses(a, {"--number", "06", "--nak", "2a"}, 6);
    ASSERT_EQ(cli(a, {"--port", "COM1", "read", "--footers", "#stopki.txt", "--bindings",
                      "w[1].txt", "--last-plu", "30"})
                  .code,
              0);
    ASSERT_EQ(cli(a, {"binding", "set", "12", "7", "--offline", "--bindings", "w[1].txt"}).code, 0);
    ASSERT_EQ(cli(a, {"footer", "set", "3", "--offline", "--footers", "#stopki.txt", "--line",
                      "1:40:1:Promocja"})
                  .code,
              0);
    const Result quoted = cli(a, {"--port", "COM1,COM6", "write", "--footers", "#stopki.txt",
                                  "--bindings", "w[1].txt"});
    EXPECT_EQ(quoted.code, 6);
    EXPECT_NE(quoted.out.find("COM6                         06   0         "), std::string::npos)
        << quoted.out;
    EXPECT_NE(quoted.out.find("Zapis stopek: Nie można wykonac rozkazu"), std::string::npos) << quoted.out << quoted.err;
    EXPECT_NE(quoted.err.find("powtórz dla nich: kalvero-cli --port COM6 write --footers "
                              "'#stopki.txt' --bindings 'w[1].txt'\n"),
              std::string::npos)
        << quoted.err;
    EXPECT_EQ(cli(a, {"--port", "COM6", "binding", "get", "12"}).out, "0\n");
    // One printer named twice is refused before anything runs.
    for (const std::string& twice :
         {std::string("COM1,com1"), "COM1," + (a / "kalvero/ports/com1").string()}) {
        const Result same = cli(a, {"--port", twice, "status"});
        EXPECT_EQ(same.code, 2) << twice;
        EXPECT_EQ(same.out, "") << twice;
    }

    // A read puts each printer's files in a folder of its own.
    EXPECT_EQ(cli(a, {"--port", "COM1,COM3", "read", "--footers"}).code, 0);
    EXPECT_EQ(fs::file_size(tmp / "COM1/stopki.txt"), 37395u);
    EXPECT_EQ(fs::file_size(tmp / "COM3/stopki.txt"), 37395u);
    EXPECT_EQ(cli(a, {"--port", "COM1,COM3", "footer", "get", "1"}).code, 2);

    // On a terminal each printer keeps one progress line, redrawn under what they say.
    Child shown =
        test::spawn("/usr/bin/script",
                    {"-qec", std::string(KALVERO_CLI_PATH) + " --port COM1,COM3 read", "/dev/null"},
                    {{"XDG_CONFIG_HOME", a.string()},
                     {"XDG_CACHE_HOME", a.string()},
                     {"XDG_DATA_HOME", a.string()}},
                    tmp.path().string());
    const std::string screen = test::readAll(shown.out);
    EXPECT_EQ(test::exitCode(shown.pid), 0);
    ::close(shown.out);
    ::close(shown.err);
    EXPECT_NE(screen.find("\033[2A"), std::string::npos) << "two lines, up and again";
    EXPECT_NE(screen.find("[COM3] Odczyt wiązań: OK"), std::string::npos) << screen;

    // Ctrl+C stops every printer at its next record.
    Printer slowFour(a, {"--pace"}, 4);
    Printer slowFive(a, {"--pace"}, 5);
    Child both = test::spawn(KALVERO_CLI_PATH, {"-v", "--port", "COM4,COM5", "read", "--footers"},
                             {{"XDG_CONFIG_HOME", a.string()},
                              {"XDG_CACHE_HOME", a.string()},
                              {"XDG_DATA_HOME", a.string()}},
                             tmp.path().string());
    EXPECT_TRUE(test::lineWith(both.err, "/20"));  // a printer's first progress
    ::kill(both.pid, SIGINT);
    const std::string err = test::readAll(both.err);
    EXPECT_EQ(test::exitCode(both.pid), 130) << err;
    ::close(both.out);
    ::close(both.err);
    for (const char* port : {"[COM4]", "[COM5]"}) {
        EXPECT_NE(
            err.find(std::string(port) + " kalvero-cli: Odczyt stopek przerwany przez użytkownika"),
            std::string::npos)
            << err;
    }
}

}  // namespace
}  // namespace kalvero
