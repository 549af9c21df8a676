// SPDX-License-Identifier: MIT
// Record lookup and default file creation on default-sized data files.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "data/RecordAccess.h"
#include "data/WholeFiles.h"

namespace {

namespace fs = std::filesystem;

struct Files {
    Files() {
        std::string pattern = (fs::temp_directory_path() / "kalvero-bench-XXXXXX").string();
        dir = ::mkdtemp(pattern.data());
        names.BindingFileName = (dir / "wiazplu.txt").string();
        names.FooterFileName = (dir / "stopki.txt").string();
        kalvero::CreateDefaultFile(names, names.BindingFileName);
    }
    ~Files() { fs::remove_all(dir); }
    fs::path dir;
    kalvero::FileNames names;
};

void BM_LocatePlu9983(benchmark::State& state) {
    Files files;
    std::int32_t offset = 0;
    for (auto _ : state) {
        if (kalvero::LocateBindingRecord(files.names, 9983, offset) != 0) {
            state.SkipWithError("not found");
        }
        benchmark::DoNotOptimize(offset);
    }
}
BENCHMARK(BM_LocatePlu9983)->Unit(benchmark::kMicrosecond);

// The yardstick: reading the whole default binding file once.
void BM_ReadWholeBindingFile(benchmark::State& state) {
    Files files;
    for (auto _ : state) {
        std::ifstream in(files.names.BindingFileName, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        benchmark::DoNotOptimize(content.str().size());
    }
}
BENCHMARK(BM_ReadWholeBindingFile)->Unit(benchmark::kMicrosecond);

void BM_CreateDefaultBindingFile(benchmark::State& state) {
    Files files;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove(files.names.BindingFileName);  // it only ever makes a new file
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            kalvero::CreateDefaultFile(files.names, files.names.BindingFileName));
    }
}
BENCHMARK(BM_CreateDefaultBindingFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
