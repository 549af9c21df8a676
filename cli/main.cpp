// SPDX-License-Identifier: MIT
// kalvero-cli: the printer link and the data files from a terminal, for backups
// from a scheduler and roll-outs to many shops.

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <QCoreApplication>
#endif

#include "CliOptions.h"
#include "Session.h"

#ifdef _WIN32
namespace {

// The texts are UTF-8; a console shows them so only while its code page says so, and
// it keeps the code page after the program: the user's comes back at the end.
class Utf8Console {
public:
    Utf8Console() : m_codePage(GetConsoleOutputCP()) {
        if (m_codePage != 0) {
            SetConsoleOutputCP(CP_UTF8);
        }
    }
    ~Utf8Console() {
        if (m_codePage != 0) {
            SetConsoleOutputCP(m_codePage);
        }
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

private:
    UINT m_codePage;  // 0: no console
};

}  // namespace
#endif

int main(int argc, char** argv) {
    using namespace kalvero::cli;
#ifdef _WIN32
    const Utf8Console console;
#else
    QCoreApplication application(argc, argv);  // Qt SerialPort wants one on its thread
#endif
    Options options;
    if (const auto exit = parse(argc, argv, options)) {
        return *exit;
    }
    Session session(options);
    if (const auto& failure = session.traceFailure()) {
        complain("nie mo\xC5\xBCna otworzy\xC4\x87 pliku \xC5\x9Bladu " + *failure);
        return kExitFile;
    }
    return options.command(session);
}
