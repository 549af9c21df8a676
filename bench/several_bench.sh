#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A paced footer read at 19200 baud from three printers at once against the same read
# from one, in one run: at most 1.2 times.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work XDG_CACHE_HOME=$work XDG_DATA_HOME=$work
pids=()
for com in 1 2 3; do
    "$build/emulator/oru-emulator" --com "$com" --pace --baud 19200 >/dev/null 2>&1 &
    pids+=($!)
done
trap 'kill "${pids[@]}"; wait 2>/dev/null; rm -rf "$work"' EXIT
sleep 0.5
cli="$PWD/$build/cli/kalvero-cli"
cd "$work"
"$cli" --port COM1,COM2,COM3 status >/dev/null 2>&1  # each port's speed remembered
milliseconds() {
    local start end
    start=$(date +%s%N)
    "$cli" --port "$1" read --footers >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
}
one=$(milliseconds COM1)
three=$(milliseconds COM1,COM2,COM3)
echo "read --footers, paced at 19200: one printer ${one} ms, three at once ${three} ms," \
     "ratio $(awk "BEGIN { printf \"%.3f\", $three / $one }")"
