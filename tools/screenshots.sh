#!/usr/bin/env bash
# Screenshots of the windows against the emulator, for the README. Needs
# xvfb, xdotool and imagemagick: xvfb-run -a -s "-screen 0 800x600x24" bash tools/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/screenshots
mkdir -p "$out"
export XDG_CONFIG_HOME=$(mktemp -d)
build/dev/emulator/oru-emulator --com 1 --number 07 >/dev/null 2>&1 &
emulator=$!
sleep 0.3
build/dev/app/kalvero 2>/dev/null &
kalvero=$!
trap 'kill $kalvero $emulator 2>/dev/null; rm -rf "$XDG_CONFIG_HOME"' EXIT
sleep 1.5
shot() { import -window "$(xdotool search --name "$1" | head -1)" "$out/$2"; }
shot "Kalvero wersja beta" main-offline.png
xdotool mousemove 48 8 click 1; sleep 0.4
import -window root -crop 560x400+0+0 "$out/menu-komunikacja.png"
xdotool mousemove 90 40 click 1; sleep 1.5
shot "Kalvero wersja beta" main-online.png
xdotool mousemove 48 8 click 1; sleep 0.4; xdotool mousemove 90 62 click 1; sleep 0.8
shot "Parametry komunikacji" komunikacja.png
