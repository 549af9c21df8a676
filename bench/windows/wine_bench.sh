#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Win32 serial backend and kalvero-cli.exe under Wine against the unpaced
# emulator as COM1: the median round trip, then whole reads of all footers; then
# kalvero.exe from its start to its main window on a screen of its own, beside
# kalvero-cli.exe --version, the least a program of ours does under Wine; and a read
# of all footers through kalvero.exe from a printer paced at the wire's speed, as a
# user starts it by keyboard, against the wire time.
#   wine_bench.sh WIN32_EXCHANGE_BENCH_EXE KALVERO_CLI_EXE ORU_EMULATOR KALVERO_EXE
set -euo pipefail
bench=$1
cli=$(realpath "$2")
windowed=$(realpath "$4")
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

if [ -z "${DISPLAY:-}" ]; then
    Xvfb :93 -screen 0 1024x768x24 >/dev/null 2>&1 &
    screen=$!
    trap 'kill "$screen" 2>/dev/null; emulator_stop; rm -rf "$work"' EXIT
    export DISPLAY=:93
    sleep 1
fi
ms() { echo $((($(date +%s%N) - $1) / 1000000)); }
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    wine "$cli" --version >/dev/null 2>&1
    least=$(ms "$start")
    start=$(date +%s%N)
    (cd "$work" && exec wine "$windowed") >/dev/null 2>&1 &
    program=$!
    until xdotool search --name "^Kalvero wersja beta$" >/dev/null 2>&1; do sleep 0.01; done
    shown=$(ms "$start")
    wine taskkill /f /im kalvero.exe >/dev/null 2>&1 || true
    wait "$program" 2>/dev/null || true
    echo "kalvero.exe to its main window: $shown ms; kalvero-cli.exe --version: $least ms;" \
         "ratio $(awk "BEGIN { printf \"%.2f\", $shown / $least }")"
done

# One footer line: command and 2 data bytes out; ACK, 1 answer and 42 further bytes in.
wire_ms=$((804 * (3 + 44) * 10 * 1000 / 19200))
emulator_start --baud 19200 --pace
for _ in 1 2 3; do
    (cd "$work" && exec wine "$windowed") >/dev/null 2>&1 &
    program=$!
    until xdotool search --name "^Kalvero wersja beta$" >/dev/null 2>&1; do sleep 0.05; done
    sleep 1
    # Wymiana danych, Odczyt; offline, the program asks to connect: Yes.
    xdotool key F10 Right Down Return
    until xdotool search --name "^Brak połączenia z drukarką etykiet$" >/dev/null 2>&1; do
        sleep 0.05
    done
    xdotool key Return
    until xdotool search --name "^Odczyt danych z drukarki etykiet$" >/dev/null 2>&1; do
        sleep 0.05
    done
    sleep 0.5
    xdotool key space  # "Wiązania PLU - stopka" off: the footers alone
    start=$(date +%s%N)
    xdotool key Return
    until xdotool search --name "^Kalvero$" >/dev/null 2>&1; do sleep 0.01; done
    took=$(ms "$start")
    wine taskkill /f /im kalvero.exe >/dev/null 2>&1 || true
    wait "$program" 2>/dev/null || true
    echo "kalvero.exe read of 201 footers paced at 19200: $took ms, wire time $wire_ms ms," \
         "ratio $(awk "BEGIN { printf \"%.4f\", $took / $wire_ms }")"
done
