// SPDX-License-Identifier: MIT
// Speed of the way to the printer: exchanges through the real Qt port layer
// against the emulator on a pseudo-terminal, with and without the wire trace,
// and the port scan.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <filesystem>

#include "link/Identification.h"
#include "link/PrinterCommands.h"
#include "tests/PrinterOnPort.h"
#include "link/TraceWinSer.h"

namespace {

namespace fs = std::filesystem;

fs::path makeTempDir() {
    std::string pattern = (fs::temp_directory_path() / "kalvero-bench-XXXXXX").string();
    return ::mkdtemp(pattern.data());
}

void BM_StatusExchange(benchmark::State& state) {
    const fs::path dir = makeTempDir();
    const auto printer = kalvero::test::plugInPrinter(dir, 1);
    if (!printer) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const auto port = kalvero::test::portLayer(dir, std::chrono::milliseconds(100));
    kalvero::QtWinSer& serial = *port;
    kalvero::PrinterIdentity identity;
    if (kalvero::IdentifyPrinter(
            serial, [] { return 1; }, 1, 9600, identity) != 0) {
        state.SkipWithError("no printer");
        return;
    }
    kalvero::SerialBuffer answer{};
    kalvero::SerialBuffer send{};
    send[0] = 1;
    const bool binding = state.range(0) != 0;
    for (auto _ : state) {
        std::uint8_t status = 0;
        const bool ok = binding ? serial.RSSequence(0x1E, 1, 3, answer, send) == 0 &&
                                      serial.ReadByte(status) == 1
                                : serial.RSSequence(0x9B, 1, 0, answer, send) == 0;
        if (!ok) {
            state.SkipWithError("exchange failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    serial.UnInitializePort();
    printer->stop();
    fs::remove_all(dir);
}
BENCHMARK(BM_StatusExchange)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

class NoQuestion final : public kalvero::Question {
public:
    bool ask(const std::string&, const std::string&) override { return false; }
};

using Clock = std::chrono::steady_clock;

// Adds how long count footer-line reads took (a command, then 42 single-byte reads
// each) to took; false when one failed.
bool readFooterLines(kalvero::PrinterCommands& commands, int count, Clock::duration& took) {
    const auto start = Clock::now();
    for (int n = 0; n < count; ++n) {
        std::string text;
        std::uint8_t width20 = 0;
        std::uint8_t enabled = 0;
        if (commands.ReadFooterLine(0, static_cast<std::uint8_t>(n % 200 + 1),
                                    static_cast<std::uint8_t>(n % 4 + 1), text, width20,
                                    enabled) != 0) {
            return false;
        }
    }
    took += Clock::now() - start;
    return true;
}

// 500 footer-line reads straight through the Qt port layer and 500 through a trace
// written to a file, in alternating blocks of 50 against one unpaced emulator, so that
// both meet the same load on the machine. The trace should cost under 5 %.
void BM_FooterLineReadsTraced(benchmark::State& state) {
    const fs::path dir = makeTempDir();
    const auto printer = kalvero::test::plugInPrinter(dir, 1);
    if (!printer) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    const auto port = kalvero::test::portLayer(dir, std::chrono::milliseconds(100));
    std::string reason;
    const auto trace = kalvero::TraceWinSer::open(*port, dir / "trace.txt", reason);
    if (!trace) {
        state.SkipWithError(reason.c_str());
        return;
    }
    kalvero::PrinterIdentity identity;
    if (kalvero::IdentifyPrinter(
            *trace, [] { return 1; }, 1, 9600, identity) != 0) {
        state.SkipWithError("no printer");
        return;
    }
    const kalvero::FileNames names;
    const std::uint8_t online = 0;
    NoQuestion question;
    kalvero::RecordFiles files(names, online, question);
    kalvero::PrinterCommands plain(*port, files);
    kalvero::PrinterCommands traced(*trace, files);
    constexpr int kBlock = 50;
    Clock::duration plainTime{};
    Clock::duration tracedTime{};
    bool tracedFirst = false;
    for (auto _ : state) {
        // Neither way always goes first.
        const bool ok = tracedFirst ? readFooterLines(traced, kBlock, tracedTime) &&
                                          readFooterLines(plain, kBlock, plainTime)
                                    : readFooterLines(plain, kBlock, plainTime) &&
                                          readFooterLines(traced, kBlock, tracedTime);
        if (!ok) {
            state.SkipWithError("read failed");
            break;
        }
        tracedFirst = !tracedFirst;
    }
    const double reads = static_cast<double>(state.iterations() * kBlock);
    const auto micros = [reads](Clock::duration d) {
        return std::chrono::duration<double, std::micro>(d).count() / reads;
    };
    state.counters["plain_us"] = micros(plainTime);
    state.counters["traced_us"] = micros(tracedTime);
    state.counters["cost_pct"] = 100.0 * (micros(tracedTime) / micros(plainTime) - 1.0);
    trace->UnInitializePort();
    printer->stop();
    fs::remove_all(dir);
}
BENCHMARK(BM_FooterLineReadsTraced)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(30)
    ->ReportAggregatesOnly(true);

void BM_ScanTenAbsentPorts(benchmark::State& state) {
    const fs::path dir = makeTempDir();
    fs::create_directories(dir / "ports");
    kalvero::QtWinSer serial(kalvero::PortMap(dir / "ports", "/nonexistent", "/nonexistent"));
    kalvero::PortPresentFlags present{};
    for (auto _ : state) {
        kalvero::ScanSerialPorts(serial, present);
        benchmark::DoNotOptimize(present);
    }
    fs::remove_all(dir);
}
BENCHMARK(BM_ScanTenAbsentPorts)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
