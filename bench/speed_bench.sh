#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kalvero-cli status against a printer at 9600 and, twice, one at 19200 (paced): from
# the second command on the 19200 printer is tried at its own speed first, so it may
# cost at most 1.5 times the 9600 one.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work XDG_CACHE_HOME=$work
"$build/emulator/oru-emulator" --com 1 --pace >/dev/null 2>&1 &
slow=$!
"$build/emulator/oru-emulator" --com 2 --pace --baud 19200 >/dev/null 2>&1 &
fast=$!
trap 'kill $slow $fast; wait 2>/dev/null; rm -rf "$work"' EXIT
sleep 0.5
milliseconds() {
    local start end
    start=$(date +%s%N)
    "$build/cli/kalvero-cli" --port "$1" status >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
}
first=$(milliseconds COM2)
for i in 1 2 3; do
    at9600=$(milliseconds COM1)
    at19200=$(milliseconds COM2)
    echo "status: 9600 ${at9600} ms, 19200 first ${first} ms then ${at19200} ms," \
         "ratio $(awk "BEGIN { printf \"%.2f\", $at19200 / $at9600 }")"
done
