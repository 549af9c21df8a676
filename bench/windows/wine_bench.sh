#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Win32 serial backend and kalvero-cli.exe under Wine against the unpaced
# emulator as COM1: the median round trip, then whole reads of all footers.
#   wine_bench.sh WIN32_EXCHANGE_BENCH_EXE KALVERO_CLI_EXE ORU_EMULATOR
set -euo pipefail
bench=$1
cli=$(realpath "$2")
work=$(mktemp -d)
source "$(dirname "$0")/../../tests/windows/wine_com1.sh"
trap 'emulator_stop; rm -rf "$work"' EXIT
wine_com1_setup "$work" "$3"
emulator_start
wine "$bench" 1 2000
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    (cd "$work" && wine "$cli" --port COM1 read --footers >/dev/null 2>&1)
    echo "kalvero-cli.exe read --footers (800 line reads): $((($(date +%s%N) - start) / 1000000)) ms"
done
