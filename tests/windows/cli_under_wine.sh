#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kalvero-cli.exe under Wine against the Linux oru-emulator as COM1:
#   cli_under_wine.sh KALVERO_CLI_EXE ORU_EMULATOR
set -uo pipefail
cli=$1
emulator=$2
work=$(mktemp -d)
source "$(dirname "$0")/wine_com1.sh"
trap 'emulator_stop; rm -rf "$work"' EXIT

failures=0
passes=0
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

wine_com1_setup "$work" "$emulator"

emulator_start --number 12
expect detect 0 "DURAX ORU nr: 12" detect
expect read 0 "Odczyt wiązań: OK" read --last-plu 40
[ "$(stat -c %s "$work/stopki.txt" 2>/dev/null)" = 37395 ] && passes=$((passes + 1)) ||
    { failures=$((failures + 1)); echo "FAILED read: stopki.txt is not 37395 bytes"; }
expect write 0 "Zapis stopek: OK, zapisano 201" write --verify
expect erase 0 "Kasowanie wiązań: OK" erase
emulator_start --silent
expect silent 3 "Nie wykryto drukarki etykiet" status
emulator_start --hang-up-after 10
expect hang-up 1 "Odczyt stopek: " read --footers

echo "kalvero-cli under Wine: $passes passed, $failures failed"
[ "$failures" = 0 ]
