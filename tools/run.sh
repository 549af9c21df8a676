#!/usr/bin/env bash
# Builds Kalvero and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/deps.sh
cmake --preset dev -DKALVERO_TESTS=OFF -DKALVERO_BENCHMARKS=OFF >/dev/null
cmake --build --preset dev --target kalvero oru-emulator
exec build/dev/app/kalvero "$@"
