// SPDX-License-Identifier: MIT
// Speed of the way to the printer: exchanges through the real Qt port layer
// against the emulator on a pseudo-terminal, and the port scan.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <filesystem>

#include "Identification.h"
#include "PrinterOnPort.h"

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
