#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A write that changes 10 bindings, with its snapshot of all 9983 first, against a
# blind write of all 9983, both paced at 19200 baud in one run: at most 1.1 times.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work XDG_CACHE_HOME=$work XDG_DATA_HOME=$work
"$build/emulator/oru-emulator" --com 1 --pace --baud 19200 >/dev/null 2>&1 &
emulator=$!
trap 'kill $emulator; wait 2>/dev/null; rm -rf "$work"' EXIT
sleep 0.5
cli="$PWD/$build/cli/kalvero-cli"
cd "$work"
"$cli" read --bindings >/dev/null 2>&1
milliseconds() {
    local start end
    start=$(date +%s%N)
    "$cli" "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
}
for plu in 11 222 333 444 555 666 777 888 999 1234; do
    "$cli" binding set "$plu" 7 --offline >/dev/null
done
changed=$(milliseconds write --bindings)
blind=$(milliseconds write --bindings --no-snapshot)
echo "write --bindings: 10 changed with a snapshot ${changed} ms, all 9983 blind ${blind} ms," \
     "ratio $(awk "BEGIN { printf \"%.3f\", $changed / $blind }")"
