#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (warnings
# are errors under CI) and runs every test. Ends with CTest's summary line.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh test
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake --preset asan -DKALVERO_WERROR="$werror" >/dev/null
cmake --build --preset asan
# Tests never touch the machine's own serial ports; a private, empty ports
# directory makes sure of it even for a test that forgets to set its own.
export XDG_CONFIG_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT
mkdir -p "$XDG_CONFIG_HOME/kalvero/ports"
export QT_QPA_PLATFORM=offscreen
ctest --preset asan --timeout 300 -j2
