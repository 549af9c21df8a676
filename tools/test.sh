#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (warnings
# are errors under CI) and runs every test. Ends with CTest's summary line.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh test
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
# The fuzz targets need clang and its libFuzzer; where they are, CTest runs each briefly.
fuzzdir=
runtime=$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a 2>/dev/null || true)
if [ -f "$runtime" ]; then
    CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DKALVERO_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVERO_WERROR="$werror" >/dev/null
    cmake --build build/fuzz
    fuzzdir="$PWD/build/fuzz/fuzz"
else
    echo "clang++ with libFuzzer not found: the fuzz targets are not run"
fi
# The Debian package, which CTest then checks.
deb="$PWD/$(bash tools/package.sh | tail -n 1)"
cmake --preset asan -DKALVERO_WERROR="$werror" -DKALVERO_FUZZ_BIN_DIR="$fuzzdir" \
    -DKALVERO_PACKAGE_DEB="$deb" >/dev/null
cmake --build --preset asan
# Windows: the core and kalvero-cli.exe, built with mingw-w64 and tested under Wine.
bash tools/windows.sh
# Tests never touch the machine's own serial ports; a private, empty ports
# directory makes sure of it even for a test that forgets to set its own.
export XDG_CONFIG_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
mkdir -p "$XDG_CONFIG_HOME/kalvero/ports"
# Nor do they leave remembered port speeds or snapshots in the user's folders.
export XDG_CACHE_HOME="$XDG_CONFIG_HOME/cache" XDG_DATA_HOME="$XDG_CONFIG_HOME/data"
export QT_QPA_PLATFORM=offscreen
ctest --preset asan --timeout 300 -j2
