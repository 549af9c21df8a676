// SPDX-License-Identifier: MIT
// Round trips through the Win32 serial backend against a printer on COMn: status
// exchanges and footer-line reads (a command, then 42 single-byte reads), each timed
// alone; prints the median and the spread in microseconds.
//   win32_exchange_bench [PORT [COUNT]]   (defaults: 1 and 1000)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "link/Identification.h"
#include "link/PrinterCommands.h"
#include "data/Question.h"
#include "data/RecordFiles.h"
#include "link/Win32WinSer.h"

namespace {

using Clock = std::chrono::steady_clock;

class NoQuestion final : public kalvero::Question {
public:
    bool ask(const std::string&, const std::string&) override { return false; }
};

// count runs of one, each timed; false as soon as one fails.
bool timeEach(int count, const std::function<bool(int)>& one, std::vector<double>& micros) {
    micros.clear();
    for (int n = 0; n < count; ++n) {
        const auto start = Clock::now();
        if (!one(n)) {
            return false;
        }
        micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return true;
}

void report(const char* name, std::vector<double> micros) {
    std::sort(micros.begin(), micros.end());
    const auto at = [&micros](double share) {
        return micros[static_cast<std::size_t>(share * static_cast<double>(micros.size() - 1))];
    };
    std::printf("%-22s %6zu runs  median %8.1f us  p10 %8.1f  p90 %8.1f  max %8.1f\n", name,
                micros.size(), at(0.5), at(0.1), at(0.9), micros.back());
}

}  // namespace

int main(int argc, char** argv) {
    const auto port = static_cast<std::uint8_t>(argc > 1 ? std::atoi(argv[1]) : 1);
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000;

    kalvero::Win32WinSer serial;
    kalvero::PrinterIdentity identity;
    if (kalvero::IdentifyPrinter(
            serial, [] { return 1; }, port, 9600, identity) != 0 ||
        !identity.found) {
        std::fprintf(stderr, "no printer on COM%d\n", port);
        return 1;
    }
    std::vector<double> micros;
    kalvero::SerialBuffer answer{};
    const kalvero::SerialBuffer send{};
    if (!timeEach(
            count,
            [&](int) {
                return serial.RSSequence(kalvero::OpStatusA, 1, 0, answer, send) ==
                       kalvero::serial::kOk;
            },
            micros)) {
        std::fprintf(stderr, "a status exchange failed\n");
        return 1;
    }
    report("status exchange", micros);

    const kalvero::FileNames names;
    const std::uint8_t online = 0;
    NoQuestion question;
    kalvero::RecordFiles files(names, online, question);
    kalvero::PrinterCommands commands(serial, files);
    if (!timeEach(
            std::max(1, count / 4),
            [&](int n) {
                std::string text;
                std::uint8_t width20 = 0;
                std::uint8_t enabled = 0;
                return commands.ReadFooterLine(0, static_cast<std::uint8_t>(n % 200 + 1),
                                               static_cast<std::uint8_t>(n % 4 + 1), text, width20,
                                               enabled) == 0;
            },
            micros)) {
        std::fprintf(stderr, "a footer-line read failed\n");
        return 1;
    }
    report("footer-line read", micros);
    serial.UnInitializePort();
    return 0;
}
