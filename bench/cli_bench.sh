#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kalvero-cli against the unpaced emulator, each figure beside the least a host can
# do for the same records (bench/minimal_host.c) in the same run: reading all
# bindings and binding every item to footer 0 may cost at most 1.05 times that host,
# and --trace at most 5 % more than the same read without it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work XDG_DATA_HOME=$work XDG_CACHE_HOME=$work
cc -O2 -o "$work/minimal_host" bench/minimal_host.c
"$build/emulator/oru-emulator" --com 1 >/dev/null 2>&1 &
trap 'kill $!; rm -rf "$work"' EXIT
sleep 0.3
device=$(readlink "$work/kalvero/ports/com1")
cli="$PWD/$build/cli/kalvero-cli"
cd "$work"
milliseconds() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1 || echo "$* failed" >&2
    end=$(date +%s%N)
    echo $(( (end - start) / 1000000 ))
}
ratio() {
    awk "BEGIN { printf \"%.3f\", $1 / $2 }"
}
for i in 1 2 3; do
    host=$(milliseconds ./minimal_host "$device" read host.txt)
    read=$(milliseconds "$cli" --port COM1 read --bindings)
    traced=$(milliseconds "$cli" --port COM1 --trace trace.txt read --bindings)
    rm -f trace.txt
    echo "read --bindings: ${read} ms, minimal host ${host} ms, ratio $(ratio "$read" "$host");" \
         "with --trace ${traced} ms, ratio $(ratio "$traced" "$read")"
    host=$(milliseconds ./minimal_host "$device" erase)
    erase=$(milliseconds "$cli" --port COM1 erase --bindings --no-snapshot)
    echo "erase --bindings --no-snapshot: ${erase} ms, minimal host ${host} ms," \
         "ratio $(ratio "$erase" "$host")"
done
time_it() {
    echo "kalvero-cli $*: $(milliseconds "$cli" --port COM1 "$@") ms"
}
time_it erase --bindings
time_it read --footers
