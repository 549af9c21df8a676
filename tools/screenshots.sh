#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Screenshots of the windows against the emulator, for the README. Needs xvfb,
# xdotool and imagemagick:
#   xvfb-run -a -s "-screen 0 1024x768x24" bash tools/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/docs/screenshots
mkdir -p "$out"
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

# Item 1 bound to footer 5: a 40-character line, a 20-character line, Polish letters.
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
lines = [("Dziękujemy za zakupy!", 0, 1), ("Zapraszamy ponownie", 1, 1),
         ("Sklep Żabka, Łódź ul. Źródlana 5", 0, 1), ("", 0, 0)]
tail = "\t".join(f"{w}\t{e}\t{t.ljust(40)}" for t, w, e in lines)
with open(f"{work}/stopki.txt", "wb") as f:
    f.write(("#\r\n#\r\n#\r\n$005\t" + tail + "\r\n").encode("cp1250"))
with open(f"{work}/wiazplu.txt", "wb") as f:
    f.write(b"#\r\n#\r\n#\r\n" + b"".join(b"$%04d\t%03d\r\n" % (p, 5 if p == 1 else 0) for p in range(1, 101)))
with open(f"{work}/memory.txt", "w") as f:
    f.write("binding 1 5\n")
    for k, (t, w, e) in enumerate(lines, 1):
        flags = (4 if w else 0) | (8 if e else 0)
        f.write(f"footer 5 {k} {flags:02x} {t.ljust(40).encode('cp852').hex()}\n")
    f.write("name 1 " + "CHLEB ŻYTNI".ljust(18).encode("cp852").hex() + "\n")
PY

"$root/build/dev/emulator/oru-emulator" --com 1 --number 07 --load "$work/memory.txt" >/dev/null 2>&1 &
emulator=$!
sleep 0.3
(cd "$work" && exec "$root/build/dev/app/kalvero" 2>/dev/null) &
kalvero=$!
sleep 1.5
window() { { xdotool search --onlyvisible --name "$1" || true; } | head -1; }
shot() { local id; id=$(window "$1"); [ -n "$id" ] || { echo "no window: $1" >&2; exit 1; }; import -window "$id" "$out/$2"; }
menu() {
    xdotool mousemove "$1" 8; sleep 0.2; xdotool click 1; sleep 0.5
    xdotool mousemove "$1" "$2"; sleep 0.2; xdotool click 1; sleep 1
}

shot "Kalvero wersja beta" main-offline.png
menu 258 30
shot "Definiowanie stopek" editor-offline.png
xdotool mousemove --window "$(window "Definiowanie stopek")" 716 276 click 1; sleep 0.5
xdotool mousemove 48 8 click 1; sleep 0.4
import -window root -crop 560x400+0+0 "$out/menu-komunikacja.png"
xdotool mousemove 90 40 click 1; sleep 1.5
shot "Kalvero wersja beta" main-online.png
menu 153 30
shot "Odczyt danych z drukarki etykiet" wymiana-odczyt.png
xdotool mousemove --window "$(window "Odczyt danych z drukarki etykiet")" 93 140 click 1; sleep 0.5
menu 258 30
shot "Definiowanie stopek" editor-online.png
xdotool mousemove --window "$(window "Definiowanie stopek")" 716 276 click 1; sleep 0.5
menu 48 62
shot "Parametry komunikacji" komunikacja.png
xdotool mousemove --window "$(window "Parametry komunikacji")" 258 127 click 1; sleep 0.5

# A read's message boxes with their captions, drawn by a window manager that runs
# before Kalvero starts again: one after a read that went well, one after a read the
# printer broke off by falling silent (what came is kept apart, under its full path).
kill "$kalvero"; wait "$kalvero" 2>/dev/null || true
printf '%s\n' 'UsePPosition "on"' RandomPlacement NoGrabServer DecorateTransients 'TitleFont "fixed"' \
    'ResizeFont "fixed"' 'MenuFont "fixed"' 'IconFont "fixed"' 'IconManagerFont "fixed"' \
    >"$work/twmrc"
twm -f "$work/twmrc" >/dev/null 2>&1 &
sleep 1
(cd "$work" && exec "$root/build/dev/app/kalvero" 2>/dev/null) &
sleep 1.5
main=$(window "Kalvero wersja beta")
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep "${4:-0.5}"; }
# The next box, once it shows (a transfer takes its time); named, it is taken.
box() {
    local id="" tries=0
    while [ -z "$id" ] && [ $((tries += 1)) -le 40 ]; do
        sleep 0.25
        id=$(window "^Kalvero$")
    done
    [ -n "$id" ] || { echo "no box" >&2; exit 1; }
    [ -z "${1:-}" ] || import -frame -window "$id" "$out/$1"
    xdotool mousemove --window "$id" 10 10 click 1 key Return
    tries=0
    while window "^Kalvero$" | grep -qx "$id" && [ $((tries += 1)) -le 40 ]; do sleep 0.25; done
}
read_all() {
    click "$main" 153 8; click "$main" 153 30 1
    click "$(window "Odczyt danych z drukarki etykiet")" 213 140 "$1"
}
click "$main" 48 8; click "$main" 90 40 1.5  # online, automatically
read_all 0
box odczyt-ok.png
box
kill "$emulator"; wait "$emulator" 2>/dev/null || true
"$root/build/dev/emulator/oru-emulator" --com 1 --number 07 --load "$work/memory.txt" \
    --stop-after 40 >/dev/null 2>&1 &
sleep 0.3
click "$main" 48 8; click "$main" 90 40 1.5
read_all 0
box odczyt-przerwany.png
