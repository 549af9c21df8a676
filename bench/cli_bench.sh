#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kalvero-cli against the unpaced emulator: erasing all bindings, reading all footers.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work
"$build/emulator/oru-emulator" --com 1 >/dev/null 2>&1 &
trap 'kill $!; rm -rf "$work"' EXIT
sleep 0.3
cd "$work"
time_it() {
    local start end
    start=$(date +%s%N)
    "$OLDPWD/$build/cli/kalvero-cli" "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    echo "kalvero-cli $*: $(( (end - start) / 1000000 )) ms"
}
for i in 1 2 3; do
    time_it erase --bindings
    time_it read --footers
done
