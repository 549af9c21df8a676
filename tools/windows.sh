#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Cross-builds the core, the windows' behaviour, kalvero-cli.exe and their tests for
# Windows with mingw-w64 and runs them under Wine, kalvero-cli end to end against the emulator
# (built for this machine) on a pseudo-terminal that Wine sees as COM1.
# "tools/windows.sh bench" runs the Windows benchmarks instead of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh windows
emulator="$PWD/build/asan/emulator/oru-emulator"
if [ ! -x "$emulator" ]; then
    cmake --preset dev >/dev/null
    cmake --build --preset dev --target oru-emulator
    emulator="$PWD/build/dev/emulator/oru-emulator"
fi
# A Wine of its own, quiet: the user's is not touched.
export WINEPREFIX="$PWD/build/windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A lasting server left by a run that stopped (a failed build) would keep the next
# run's "wineserver -w" waiting for ever: end it at the start and at any exit.
wineserver -k >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
mkdir -p build/windows
# Warnings are errors in the test build; here g++ 12 -O2 gives a known false
# -Wrestrict inside std::string, as in the package build.
if ! cmake -S . -B build/windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DKALVERO_HOST_EMULATOR="$emulator" -DKALVERO_WERROR=OFF \
    -DKALVERO_BENCHMARKS=ON >build/windows/configure.log 2>&1; then
    cat build/windows/configure.log
    exit 1
fi
# Wine's server and devices start before the build, whose test discovery runs the
# tests under Wine, away from the output pipes of what follows, and stay for all of
# it (else each test waits 2.5 s for Wine to start). A new prefix is made first, by a
# server of its own, which on a loaded machine can take a minute.
wine wineboot >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
wineserver -p >/dev/null 2>&1 || true
wine wineboot >/dev/null 2>&1 || true
cmake --build build/windows
if [ "${1:-}" = bench ]; then
    # The Linux windows' paced read, the figure kalvero.exe's is held to.
    cmake --preset dev >/dev/null
    cmake --build --preset dev --target transfer_bench
    status=0
    bash bench/windows/wine_bench.sh build/windows/bench/windows/win32_exchange_bench.exe \
        build/windows/cli/kalvero-cli.exe "$emulator" build/windows/app/win32/kalvero.exe \
        build/dev/bench/transfer_bench || status=$?
    exit "$status"
fi
# The windowed program's Windows branches, against this machine's Qt headers (no
# Qt for Windows here): a syntax check, not a build; Qt's own dllimport notes aside.
echo "Qt sources for Windows: syntax check"
qt=/usr/include/x86_64-linux-gnu/qt6
printf '%s\n' app/qt/*.cpp ui/qt/*.cpp editor/qt/*.cpp link/QtWinSer.cpp link/PortLock.cpp \
    link/SystemPorts.cpp |
    xargs -P"$(nproc)" -n1 x86_64-w64-mingw32-g++-posix -std=c++20 -fsyntax-only -Wall \
        -Wextra -Werror -Wno-attributes -DKALVERO_QT_PORTS -I"$qt" -I"$qt/QtCore" -I"$qt/QtGui" -I"$qt/QtWidgets" \
        -I"$qt/QtSerialPort" -I. -Ibuild/windows/generated
status=0
# Wine now and then fails to start a program at all (an exit in 0.01 s with not a line
# of output, not seen again in runs of the same test): such a test is run once more.
(cd build/windows && ctest --timeout 300 --output-on-failure --repeat until-pass:2) ||
    status=$?
exit "$status"
