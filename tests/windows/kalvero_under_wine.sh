#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kalvero.exe under Wine against the Linux oru-emulator as COM1, driven as a user
# drives it (menus and typing by keyboard, buttons pressed) on a screen of its own, and read
# back through Win32 messages by window_driver.exe; with PICTURES, each window is
# also saved as a PNG there:
#   kalvero_under_wine.sh KALVERO_EXE WINDOW_DRIVER_EXE KALVERO_CLI_EXE ORU_EMULATOR [PICTURES]
set -uo pipefail
exe=$(realpath "$1")
driver=$(realpath "$2")
cli=$(realpath "$3")
emulator=$4
pictures=${5:+$(realpath -m "$5")}
work=$(mktemp -d)
source "$(dirname "$0")/wine_com1.sh"
xvfb_pid=
kalvero_pid=
finish() {
    [ -n "$kalvero_pid" ] && kill "$kalvero_pid" 2>/dev/null
    emulator_stop
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

failures=0
passes=0
# check NAME COMMAND...: passes when the command does.
check() {
    local name=$1
    shift
    if "$@"; then passes=$((passes + 1)); else failures=$((failures + 1)); echo "FAILED $name"; fi
}
# same WHAT EXPECTED ACTUAL: says what differed when they do.
same() {
    [ "$2" = "$3" ] && return
    echo "$1: expected"; echo "$2" | cat -A; echo "got"; echo "$3" | cat -A
    return 1
}

# A screen of its own: the first display number free.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
# Both programs on one Wine desktop, which draws the frames and captions itself.
for program in kalvero.exe window_driver.exe; do
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\Explorer" /v Desktop /t REG_SZ \
        /d kalvero /f >/dev/null 2>&1
done
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v kalvero /t REG_SZ /d 1024x768 /f \
    >/dev/null 2>&1
wine_com1_setup "$work" "$emulator"
export LC_ALL=C.UTF-8

drive() { wine "$driver" "$@" 2>/dev/null; }
main="Kalvero wersja beta"
app="$work/app"
mkdir -p "$app"
start_kalvero() {
    (cd "$app" && exec wine "$exe") >/dev/null 2>&1 &
    kalvero_pid=$!
    drive wait "$main" 60
}
# picture NAME CAPTION: the window as it shows, frame and all.
picture() {
    [ -n "$pictures" ] || return 0
    local rect
    rect=$(drive rect "$2") || return 0
    read -r left top right bottom <<<"$rect"
    sleep 0.5
    import -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
        "$pictures/$1.png"
}
# The panels' texts, each without the tab that centres it.
panels_are() { same panels "$(printf '%s\n' "$@")" "$(drive panels "$main" | sed 's/^\t//')"; }
menu_is() { same "menu $1" "$2" "$(drive menu "$main" "$1" | head -n 1)"; }
# box_says TEXT [SECONDS]: a message box with the program's caption says TEXT, and
# is answered with Enter.
box_says() {
    local box
    box=$(drive box "${2:-30}")
    [ -n "${3:-}" ] && picture "$3" Kalvero
    drive keys Kalvero Return
    drive gone Kalvero 10 || return 1
    same box "Kalvero"$'\n'"$1" "$box"
}
# Menus as a user reaches them: F10, Right to the menu, Down into it, then keys.
menu_komunikacja() { drive keys "$main" F10 Down "$@"; }
menu_wymiana() {
    local down=("Down")
    for _ in $(seq "$1"); do down+=("Down"); done
    drive keys "$main" F10 Right "${down[@]}" Return
}
go_online() { menu_komunikacja text:o && drive wait "$main" 5 && sleep 0.5 && until_panel ONLINE; }
go_offline() { menu_komunikacja text:f && until_panel OFFLINE; }
until_panel() {
    for _ in $(seq 100); do
        [ "$(drive panels "$main" | head -n 1)" = $'\t'"$1" ] && return 0
        sleep 0.2
    done
    return 1
}
# count_lines KIND FILE: the footer lines or bindings a saved memory holds.
count_lines() { grep -c "^$1 " "$2"; }

# The printer's memory: lines of 29 footers (Polish letters in code page 852) and
# 769 bindings.
memory="$work/memory.txt"
{
    echo "number 07"
    for n in $(seq 3 7 200); do
        printf 'footer %d 1 0c %s\n' "$n" "$(printf 'Stopka %03d Dzi\x9eKuj\xa2%21s' "$n" '' | od -An -tx1 | tr -d ' \n')"
        printf 'footer %d 2 0c %s\n' "$n" "$(printf 'Zapraszamy ponownie%21s' '' | od -An -tx1 | tr -d ' \n')"
    done
    for plu in $(seq 1 13 9983); do echo "binding $plu $((plu % 201))"; done
} >"$memory"
echo "number 07" >"$work/empty.txt"
footer_lines=$(count_lines footer "$memory")
binding_lines=$(count_lines binding "$memory")

# What the same memory gives through kalvero-cli's own read.
emulator_start --number 07 --load "$memory"
mkdir "$work/reference"
(cd "$work/reference" && wine "$cli" --port COM1 read >/dev/null 2>&1)
check reference-read test -s "$work/reference/wiazplu.txt"

started=$(date +%s)
# At the start: offline, only the main window.
check start start_kalvero
check start-panels panels_are OFFLINE "" ""
check start-offline-mark menu_is 103 checked
check start-online-mark menu_is 102 unchecked
check start-only-main same windows "$main" "$(drive shown "$main")"
check start-no-abort same Przerwij hidden "$(drive state "$main" Przerwij | head -n 1)"
picture main-offline "$main"

# Automatic detection finds the printer on COM1.
check detect go_online
check detect-panels panels_are ONLINE "DURAX ORU nr: 07" "COM1,9600"
check detect-online-mark menu_is 102 checked
check detect-offline-mark menu_is 103 unchecked
picture main-online "$main"

# "Tryb online - ustaw port" shows the port dialog; Cofnij leaves it.
port_dialog="Parametry komunikacji"
menu_komunikacja text:n
check port-dialog drive wait "$port_dialog" 10
check port-dialog-port same port COM1 "$(drive text "$port_dialog" 301)"
picture port-dialog "$port_dialog"
drive click "$port_dialog" Cofnij
check port-dialog-closed drive gone "$port_dialog" 10
check port-dialog-online panels_are ONLINE "DURAX ORU nr: 07" "COM1,9600"

# A read of both files, the same bytes as kalvero-cli's.
read_dialog="Odczyt danych z drukarki etykiet"
menu_wymiana 0
check read-dialog drive wait "$read_dialog" 10
check read-dialog-start same start Odczyt "$(drive text "$read_dialog" 1)"
check read-dialog-footers same ticked "1" "$(drive controls "$read_dialog" | awk -F'\t' '$6 == "Definicje stopek" {print $5}')"
check read-dialog-bindings same ticked "1" "$(drive controls "$read_dialog" | awk -F'\t' '$6 == "Wiązania PLU - stopka" {print $5}')"
check read-dialog-max-plu same "max PLU" 9983 "$(drive text "$read_dialog" Edit#3)"
picture exchange-dialog "$read_dialog"
drive click "$read_dialog" 1
check read-footers box_says "Odczyt stopek: OK" 60 message-box
check read-bindings box_says "Odczyt wiązań: OK" 120
check read-footer-file cmp "$work/reference/stopki.txt" "$app/stopki.txt"
check read-binding-file cmp "$work/reference/wiazplu.txt" "$app/wiazplu.txt"

# A write to an empty printer at wire speed, stopped part-way by the Przerwij button,
# the footers first, then the bindings.
check write-offline go_offline
emulator_start --number 07 --load "$work/empty.txt" --pace --save "$work/written.txt"
check write-online go_online
write_dialog="Zapis danych do drukarki etykiet"
menu_wymiana 1
check write-dialog drive wait "$write_dialog" 10
drive click "$write_dialog" Zapis
sleep 1
check write-abort-shown same Przerwij visible "$(drive state "$main" Przerwij | head -n 1)"
picture main-transfer "$main"
drive click "$main" Przerwij
check write-footers-stopped box_says "Zapis stopek przerwany przez użytkownika"
sleep 3
drive click "$main" Przerwij
check write-bindings-stopped box_says "Zapis wiązań przerwany przez użytkownika"
check write-abort-hidden same Przerwij hidden "$(drive state "$main" Przerwij | head -n 1)"
go_offline
emulator_stop
written_footers=$(count_lines footer "$work/written.txt")
written_bindings=$(count_lines binding "$work/written.txt")
check write-partly-footers test "$written_footers" -gt 0 -a "$written_footers" -lt "$footer_lines"
check write-partly-bindings test "$written_bindings" -gt 0 -a "$written_bindings" -lt "$binding_lines"

# An erase of the full printer at wire speed, stopped part-way the same way.
emulator_start --number 07 --load "$memory" --pace --save "$work/erased.txt"
check erase-online go_online
erase_dialog="Kasowanie danych z drukarki etykiet"
menu_wymiana 2
check erase-dialog drive wait "$erase_dialog" 10
drive click "$erase_dialog" Kasowanie
sleep 1
drive click "$main" Przerwij
check erase-footers-stopped box_says "Kasowanie stopek przerwane przez użytkownika"
sleep 3
drive click "$main" Przerwij
check erase-bindings-stopped box_says "Kasowanie wiązań przerwane przez użytkownika"
go_offline
emulator_stop
kept_footers=$(count_lines footer "$work/erased.txt")
kept_bindings=$(count_lines binding "$work/erased.txt")
check erase-partly-footers test "$kept_footers" -gt 0 -a "$kept_footers" -lt "$footer_lines"
check erase-partly-bindings test "$kept_bindings" -gt 0 -a "$kept_bindings" -lt "$binding_lines"

# The footer editor: footer 5's first line typed and saved, online to the printer,
# offline to the file. EDITOR_TEXT NUMBER TEXT: the editor opened on the footer,
# the line typed, the footer saved, the status read, the editor left.
edit_footer() {
    local editor=$1 number=$2 text=$3
    drive keys "$main" F10 Right Right Down Return
    drive wait "$editor" 10 || return 1
    sleep 1
    # The editor opens in the item's field; Tab leads to the footer's number, whose
    # Enter loads it, then to line 1's box and its text, whose Enter saves the footer.
    drive keys "$editor" Tab End Back Back Back "text:$number" Return
    sleep 1
    drive keys "$editor" Tab Space Tab
    sleep 0.5
    drive keys "$editor" "text:$text" Return
    sleep 1
    status=$(drive panels "$editor")
    [ -n "$pictures" ] && [ "$editor" = "$online_editor" ] && picture footer-editor "$editor"
    drive click "$editor" "&Wyjdź"
    drive gone "$editor" 10
}
online_editor="Definiowanie stopek - dane z/do drukarki etykiet"
emulator_start --number 07 --load "$memory" --save "$work/edited.txt"
check editor-online-connect go_online
status=
check editor-online edit_footer "$online_editor" 5 "Próba Kalvero"
check editor-online-status same status OK "$status"
go_offline
emulator_stop
# "Próba Kalvero" in code page 852, then blanks.
check editor-online-printer grep -q "^footer 5 1 .. 5072a26261204b616c7665726f20" "$work/edited.txt"
check editor-offline edit_footer "Definiowanie stopek - dane z/do plików" 6 "Plik Kalvero"
check editor-offline-status same status OK "$status"
check editor-offline-file grep -q "Plik Kalvero" "$app/stopki.txt"

# The About box opens over the main window and Enter closes it.
drive keys "$main" F10 Right Right Right Down Return
check about drive wait "O programie" 10
picture about "O programie"
drive keys "O programie" Return
check about-closed drive gone "O programie" 10

# Closing the main window during a transfer: the transfer stops, no box is left,
# the program ends, and the port is free for the next program.
emulator_start --number 07 --load "$memory" --pace
check close-online go_online
menu_wymiana 0
drive wait "$read_dialog" 10
drive click "$read_dialog" 1
sleep 2
drive keys "$main" alt+F4
# ended PID SECONDS: the process is gone, or a zombie waiting for its parent.
ended() {
    local state
    for _ in $(seq $(($2 * 10))); do
        state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)
        [ -z "$state" ] || [ "$state" = Z ] && return 0
        sleep 0.1
    done
    return 1
}
check close-no-box same "boxes" "no message box" "$(drive box 1)"
check close-ends ended "$kalvero_pid" 20
wait "$kalvero_pid" 2>/dev/null
kalvero_pid=
port_free() { (cd "$work/reference" && wine "$cli" --port COM1 status >/dev/null 2>&1); }
check close-port-free port_free

# Windows shutting down during a transfer: the session waits while the transfer
# stops, then the program ends; when idle it agrees, and ends when the session does.
emulator_start --number 07 --load "$memory" --pace
start_kalvero
check shutdown-online go_online
menu_wymiana 0
drive wait "$read_dialog" 10
drive click "$read_dialog" 1
sleep 2
check shutdown-waits same "session" refused "$(drive endsession "$main")"
check shutdown-no-box same "boxes" "no message box" "$(drive box 1)"
check shutdown-ends ended "$kalvero_pid" 20
wait "$kalvero_pid" 2>/dev/null
check shutdown-port-free port_free
start_kalvero
check shutdown-idle same "session" agreed "$(drive endsession "$main")"
check shutdown-idle-ends ended "$kalvero_pid" 20
wait "$kalvero_pid" 2>/dev/null
kalvero_pid=

echo "kalvero.exe under Wine: $(($(date +%s) - started)) s"
echo "$passes passed, $failures failed"
[ "$failures" = 0 ]
