#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Startup to the main window shown, and resident memory after startup, over N runs.
# Needs a display: xvfb-run -a bash bench/startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-10}
export XDG_CONFIG_HOME=$(mktemp -d)
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
for i in $(seq "$runs"); do
    start=$(date +%s%N)
    build/dev/app/kalvero 2>/dev/null &
    pid=$!
    until xdotool search --onlyvisible --name "Kalvero wersja beta" >/dev/null 2>&1; do sleep 0.005; done
    shown=$(date +%s%N)
    sleep 0.3
    rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
    kill $pid; wait $pid 2>/dev/null || true
    echo "run $i: shown after $(( (shown - start) / 1000000 )) ms, resident $(( rss / 1024 )) MB"
done
