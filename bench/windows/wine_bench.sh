#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Win32 serial backend and kalvero-cli.exe under Wine against the unpaced
# emulator as COM1: the median round trip, then whole reads of all footers; then
# kalvero.exe from its start to its main window on a screen of its own, beside
# kalvero-cli.exe --version, the least a program of ours does under Wine; and a read
# of all footers through kalvero.exe from a printer paced at the wire's speed, as a
# user starts it by keyboard, against the wire time, and that ratio against the Linux
# windows' own, from the Linux transfer benchmark run first.
#   wine_bench.sh WIN32_EXCHANGE_BENCH_EXE KALVERO_CLI_EXE ORU_EMULATOR KALVERO_EXE \
#                 LINUX_TRANSFER_BENCH
set -euo pipefail
bench=$1
cli=$(realpath "$2")
windowed=$(realpath "$4")
linux=$(realpath "$5")
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
# kalvero.exe on a Wine desktop, as in its end-to-end test: Windows' own windows never
# wait for an X window manager, and neither do Wine's there.
wine reg add 'HKCU\Software\Wine\AppDefaults\kalvero.exe\Explorer' /v Desktop /t REG_SZ \
    /d bench /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v bench /t REG_SZ /d 1024x768 /f \
    >/dev/null 2>&1
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

linux_read=$("$linux" 2>/dev/null | grep "paced at 19200")
echo "Linux: $linux_read"
linux_ratio=$(echo "$linux_read" | sed 's/.*ratio \([0-9.]*\).*/\1/')
# One footer line: command and 2 data bytes out; ACK, 1 answer and 42 further bytes in.
# Two figures: what the user waits, from Enter to the box, and the read itself, from
# its first exchange (in the program's trace) to the box.
wire_ms=$((804 * (3 + 44) * 10 * 1000 / 19200))
emulator_start --baud 19200 --pace
stamp_ms() { date -d "$1" +%s%3N; }
for _ in 1 2 3; do
    rm -f "$work/trace.txt"
    (cd "$work" && exec wine "$windowed" --trace trace.txt) >/dev/null 2>&1 &
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
    start=$(date +%s%3N)
    xdotool key Return
    until xdotool search --name "^Kalvero$" >/dev/null 2>&1; do sleep 0.01; done
    box=$(date +%s%3N)
    # OK, then offline: the port closes and the trace is written out.
    xdotool key Return
    sleep 0.5
    xdotool key F10 Down Down Down Return
    sleep 1
    first=$(awk '/2B > 00 00/ {print $1; exit}' "$work/trace.txt")
    first_ms=$(stamp_ms "$(date +%F) $first")
    wine taskkill /f /im kalvero.exe >/dev/null 2>&1 || true
    wait "$program" 2>/dev/null || true
    echo "kalvero.exe read of 201 footers paced at 19200, wire time $wire_ms ms:" \
         "Enter to box $((box - start)) ms, ratio $(awk "BEGIN { printf \"%.4f\", ($box - $start) / $wire_ms }");" \
         "first exchange to box $((box - first_ms)) ms, ratio $(awk "BEGIN { printf \"%.4f\", ($box - $first_ms) / $wire_ms }")"
    echo "  Enter to box against the Linux windows' ratio $linux_ratio:" \
         "$(awk "BEGIN { printf \"%.4f\", ($box - $start) / $wire_ms / $linux_ratio }") (at most 1.02)"
done
