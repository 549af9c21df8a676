#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Kalvero and starts it. With --emulator, an emulated printer waits on
# COM1 of a private ports directory, so no hardware is needed.
set -euo pipefail
cd "$(dirname "$0")/.."

emulator=false
if [ "${1:-}" = "--emulator" ]; then
    emulator=true
    shift
fi

bash tools/deps.sh
cmake --preset dev -DKALVERO_TESTS=OFF -DKALVERO_BENCHMARKS=OFF >/dev/null
cmake --build --preset dev --target kalvero oru-emulator kalvero-cli

if $emulator; then
    config=$(mktemp -d)
    build/dev/emulator/oru-emulator --link "$config/kalvero/ports/com1" "$@" >/dev/null &
    pid=$!
    trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -rf "$config"' EXIT
    while [ ! -e "$config/kalvero/ports/com1" ]; do
        kill -0 $pid 2>/dev/null || exit 1
        sleep 0.05
    done
    XDG_CONFIG_HOME="$config" build/dev/app/kalvero
else
    exec build/dev/app/kalvero
fi
