#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The windows as assistive technology meets them while a paced read runs: a fresh
# AT-SPI client (a screen reader starting up) finds the program and reads its main
# window; each such look must be answered within 0.3 s, as when nothing runs. The
# figure is of the whole process, so it is a check of this machine, not a unit test:
#   bash bench/atspi_check.sh [BUILD]
set -euo pipefail
self=$(realpath "$0")  # run again inside the screen and the bus, from anywhere
cd "$(dirname "$self")/.."
bash tools/deps.sh screens >/dev/null
build=$(realpath "${1:-build/dev}")
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" bash "$self" "$@"
fi
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    exec dbus-run-session -- bash "$self" "$@"
fi
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
mkdir -p "$XDG_CONFIG_HOME/kalvero/ports"
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
"$build/emulator/oru-emulator" --com 1 --pace >/dev/null 2>&1 &
sleep 0.5
(cd "$work" && "$build/app/kalvero" >/dev/null 2>&1) &
sleep 2

# One look of a fresh client: the program among the desktop's, its main window's
# name and the roles of what it holds. Prints the seconds it took.
look() {
    /usr/bin/python3 - <<'PY'  # Debian's, which has the AT-SPI bindings
import time, gi
gi.require_version("Atspi", "2.0")
from gi.repository import Atspi
start = time.monotonic()
desktop = Atspi.get_desktop(0)
apps = [desktop.get_child_at_index(i) for i in range(desktop.get_child_count())]
app = next(a for a in apps if a is not None and "kalvero" in (a.get_name() or "").lower())
window = app.get_child_at_index(0)
seen = [window.get_name()] + [window.get_child_at_index(i).get_role_name()
                              for i in range(window.get_child_count())]
print(f"{time.monotonic() - start:.3f}")
PY
}
menu() {
    xdotool mousemove "$1" 8 click 1; sleep 0.5
    xdotool mousemove "$1" "$2" click 1; sleep 1
}
idle=$(look)
menu 48 40           # Komunikacja > Wykryj automatycznie
sleep 1
menu 153 30          # Wymiana danych > Odczyt
xdotool mousemove 299 229 click 1   # the dialog's Odczyt: a paced read of everything
sleep 2
worst=0
for _ in 1 2 3 4 5; do
    took=$(look)
    echo "a fresh client's look during the read: ${took} s"
    worst=$(awk -v a="$worst" -v b="$took" 'BEGIN { print (b > a ? b : a) }')
    sleep 0.5
done
[ -z "${SHOT:-}" ] || import -window root "$SHOT"
echo "idle ${idle} s; during a paced read at most ${worst} s (at most 0.3)"
awk -v w="$worst" 'BEGIN { exit !(w <= 0.3) }'
