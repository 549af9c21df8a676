#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kalvero-cli.exe under Wine against the Linux oru-emulator, which Wine sees as COM1
# through a fixed link that each emulator re-points at its new pseudo-terminal:
#   cli_under_wine.sh KALVERO_CLI_EXE ORU_EMULATOR
# Only COM1 is ever named: Wine maps other COM ports to the machine's own ttyS
# devices, the console among them.
set -uo pipefail
cli=$1
emulator=$2
work=$(mktemp -d)
link="$work/com1"
emulator_pid=
trap 'stop; rm -rf "$work"' EXIT

failures=0
passes=0
stop() {
    if [ -n "$emulator_pid" ]; then
        kill "$emulator_pid" 2>/dev/null
        wait "$emulator_pid" 2>/dev/null
        emulator_pid=
    fi
}
start() {
    stop
    "$emulator" --link "$link" "$@" >"$work/emulator.out" 2>&1 &
    emulator_pid=$!
    for _ in $(seq 50); do [ -L "$link" ] && return; sleep 0.1; done
    echo "the emulator did not start"; exit 1
}
# expect NAME CODE TEXT COMMAND...: the exit code, and TEXT in the output.
expect() {
    local name=$1 code=$2 text=$3
    shift 3
    local out rc
    out=$(cd "$work" && wine "$cli" --port COM1 "$@" 2>&1)
    rc=$?
    if [ "$rc" = "$code" ] && grep -qF -- "$text" <<<"$out"; then
        passes=$((passes + 1))
    else
        failures=$((failures + 1))
        echo "FAILED $name: exit $rc (expected $code), output:"
        echo "$out"
    fi
}

wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$link" /f >/dev/null 2>&1
wineserver -k 2>/dev/null  # the next start reads the mapping
# Wine's own processes start here, away from the pipes that read the program's output
# (they would hold them open), and stay for the runs that follow.
wineserver -p >/dev/null 2>&1
wine wineboot >/dev/null 2>&1

start --number 12
expect detect 0 "DURAX ORU nr: 12" detect
expect read 0 "Odczyt wiązań: OK" read --last-plu 40
[ "$(stat -c %s "$work/stopki.txt" 2>/dev/null)" = 37395 ] && passes=$((passes + 1)) ||
    { failures=$((failures + 1)); echo "FAILED read: stopki.txt is not 37395 bytes"; }
expect write 0 "Zapis stopek: OK, zapisano 201" write --verify
expect erase 0 "Kasowanie wiązań: OK" erase
start --silent
expect silent 3 "Nie wykryto drukarki etykiet" status
start --hang-up-after 10
expect hang-up 1 "Odczyt stopek: " read --footers

echo "kalvero-cli under Wine: $passes passed, $failures failed"
[ "$failures" = 0 ]
