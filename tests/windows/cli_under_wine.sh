#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# kalvero-cli.exe under Wine against the Linux oru-emulator as COM1; given the
# download, the program unpacked from it, and the download itself checked:
#   cli_under_wine.sh KALVERO_CLI_EXE ORU_EMULATOR [ZIP]
set -uo pipefail
cli=$1
emulator=$2
zip=${3:+$(realpath "$3")}
work=$(mktemp -d)
source "$(dirname "$0")/wine_com1.sh"
trap 'emulator_stop; rm -rf "$work"' EXIT

failures=0
passes=0
# check NAME COMMAND...: passes when the command does.
check() {
    local name=$1
    shift
    if "$@"; then passes=$((passes + 1)); else failures=$((failures + 1)); echo "FAILED $name"; fi
}
if [ -n "$zip" ]; then
    mkdir "$work/download"
    (cd "$work/download" && cmake -E tar xf "$zip")
    folder=$(echo "$work"/download/kalvero-*)
    cli="$folder/kalvero-cli.exe"
    bom_crlf() { [ "$(head -c 3 "$1" | od -An -tx1 | tr -d ' ')" = efbbbf ] &&
                 ! grep -qv $'\r$' "$1"; }
    check readme bom_crlf "$folder/README.txt"
    check readme-schtasks grep -q "schtasks /create" "$folder/README.txt"
    check readme-shortcut grep -q "Rozpocznij w" "$folder/README.txt"
    check licence bom_crlf "$folder/LICENSE.txt"
    # The first image of the icon file, byte for byte among the program's resources.
    icon_in_exe() {
        python3 - "$1" "$2" <<'PY'
import sys
icon = open(sys.argv[1], "rb").read()
start = int.from_bytes(icon[18:22], "little")
sys.exit(0 if icon[start:start + 256] in open(sys.argv[2], "rb").read() else 1)
PY
    }
    for exe in kalvero.exe kalvero-cli.exe; do
        sections=$(x86_64-w64-mingw32-objdump -h "$folder/$exe") || sections=
        check "stripped-listed $exe" grep -q text <<<"$sections"
        no_debug() { ! grep -q debug <<<"$sections"; }
        check "stripped $exe" no_debug
        check "version-resource $exe" bash -c \
            "x86_64-w64-mingw32-strings -el '$folder/$exe' | grep -qx ProductVersion"
        check "icon $exe" icon_in_exe "$(dirname "$0")/../../dist/windows/kalvero.ico" "$folder/$exe"
    done
    # Nothing beyond Windows' own libraries beside the windowed program.
    imports=$(x86_64-w64-mingw32-objdump -p "$folder/kalvero.exe" | sed -n 's/^\s*DLL Name: //p' |
              tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
    windows_own() {
        for dll in $imports; do
            case $dll in kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | comdlg32.dll | \
                msvcrt.dll | ws2_32.dll | advapi32.dll | shell32.dll) ;;
                *) echo "kalvero.exe imports $dll"; return 1 ;;
            esac
        done
    }
    check imports windows_own
fi
# expect NAME CODE TEXT COMMAND...: the exit code, and TEXT in the output, on $port.
port=COM1
expect() {
    local name=$1 code=$2 text=$3
    shift 3
    local out rc
    out=$(cd "$work" && wine "$cli" --port "$port" "$@" 2>&1)
    rc=$?
    if [ "$rc" = "$code" ] && grep -qF -- "$text" <<<"$out"; then
        passes=$((passes + 1))
    else
        failures=$((failures + 1))
        echo "FAILED $name: exit $rc (expected $code), output:"
        echo "$out"
    fi
}

wine_com1_setup "$work" "$emulator"
# Wine gives the program the locale's language as the user's display language: the
# program's own words follow it, the printer's result texts do not.
export LC_ALL=pl_PL.UTF-8
for said in "pl_PL.UTF-8:Użycie: kalvero-cli [OPCJE] POLECENIE" "C:Usage: kalvero-cli [OPTIONS] COMMAND" \
            "C:The following argument was not expected: --bogus"; do
    out=$(LC_ALL=${said%%:*} wine "$cli" --help 2>&1; LC_ALL=${said%%:*} wine "$cli" --bogus 2>&1)
    grep -qF -- "${said#*:}" <<<"$out" && passes=$((passes + 1)) ||
        { failures=$((failures + 1)); echo "FAILED language ${said%%:*}: $out"; }
done

# Windows' own ways: "/?" is help, its help names its folders, ports past COM10.
out=$(wine "$cli" /? 2>&1)
check help-slash grep -q "^Użycie: kalvero-cli" <<<"$out"
out=$(wine "$cli" restore --help 2>&1)
check help-paths grep -qF '%LOCALAPPDATA%\Kalvero\snapshots' <<<"$out"
out=$(cd "$work" && wine "$cli" --port COM11 status 2>&1)
rc=$?
check com11 [ "$rc" = 3 ]
check com11-named grep -q "COM11" <<<"$out"

emulator_start --number 12
expect detect 0 "DURAX ORU nr: 12" detect
port='\\.\COM1'
expect detect-windows-name 0 "DURAX ORU nr: 12" detect
port=COM1
expect read 0 "Odczyt wiązań: OK" read --last-plu 40
[ "$(stat -c %s "$work/stopki.txt" 2>/dev/null)" = 37395 ] && passes=$((passes + 1)) ||
    { failures=$((failures + 1)); echo "FAILED read: stopki.txt is not 37395 bytes"; }
expect write 0 "Zapis stopek: OK, zmieniono 0 z 201" write --verify
expect erase 0 "Kasowanie wiązań: OK" erase
# Polish letters in a file name and in footer text, as Windows hands them over; the
# backups of that file are found again (a third read, equal to the second, adds none).
expect polish-set 0 OK footer set 7 --offline --create --footers stópki-ą.txt --line 1:40:1:Zażółć
expect polish-get 0 "Zażółć" footer get 7 --offline --footers stópki-ą.txt
# In a console (Wine makes one on a terminal) the letters reach the screen whole.
out=$(cd "$work" && timeout 60 script -qec \
    "wine '$cli' --port COM1 footer get 7 --offline --footers stópki-ą.txt" /dev/null </dev/null)
grep -q "Zażółć" <<<"$out" && passes=$((passes + 1)) ||
    { failures=$((failures + 1)); echo "FAILED polish-console: $out"; }
for n in 1 2 3; do expect polish-read 0 "Odczyt stopek: OK" read --footers stópki-ą.txt; done
backups=$(find "$work" -name 'stópki-ą.txt.*.bak' | wc -l)
[ "$backups" = 2 ] && passes=$((passes + 1)) ||
    { failures=$((failures + 1)); echo "FAILED polish-backups: $backups backups, not 2"; }
emulator_start --silent
expect silent 3 "Nie wykryto drukarki etykiet" status
LC_ALL=C expect silent-english 3 "Nie wykryto drukarki etykiet" status
emulator_start --hang-up-after 10
expect hang-up 1 "Odczyt stopek: " read --footers
# A printer on the network through Winsock: ser2net with RFC 2217 in front of the
# emulator, found at 19200 across it; a server that is down is named.
emulator_start --number 12 --baud 19200
"$emulator" --link "$work/second" --number 34 >/dev/null 2>&1 &
second=$!
while kill -0 "$second" 2>/dev/null && [ ! -L "$work/second" ]; do sleep 0.1; done
tcp=$((20000 + RANDOM % 20000))
tcp2=$((tcp + 1))
printf 'default:\n  name: chardelay\n  value: false\nconnection: &oru\n  accepter: %s\n  connector: %s\nconnection: &two\n  accepter: %s\n  connector: %s\n' \
    "telnet(rfc2217),tcp,127.0.0.1,$tcp" "serialdev,$(readlink "$com1_link"),9600n81,local" \
    "telnet(rfc2217),tcp,127.0.0.1,$tcp2" "serialdev,$(readlink "$work/second"),9600n81,local" \
    >"$work/ser2net.yaml"
"$(PATH="$PATH:/usr/sbin" command -v ser2net)" -n -u -c "$work/ser2net.yaml" -P "$work/ser2net.pid" \
    >/dev/null 2>&1 &
server=$!
sleep 1
port=rfc2217://127.0.0.1:$tcp
expect network-detect 0 "port: rfc2217://127.0.0.1:$tcp,19200" detect
expect network-read 0 "Odczyt wiązań: OK" read --last-plu 40
# Two printers at once (a thread each), named by their ports.
port="rfc2217://127.0.0.1:$tcp,rfc2217://127.0.0.1:$tcp2"
expect network-several 0 "[rfc2217://127.0.0.1:$tcp2] DURAX ORU nr: 34" detect
port=rfc2217://127.0.0.1:$tcp
kill "$server" "$second"; wait "$server" "$second" 2>/dev/null
expect network-down 3 "serwer 127.0.0.1:$tcp nie przyjmuje połączenia (Połączenie odrzucone)" status

echo "kalvero-cli under Wine: $passes passed, $failures failed"
[ "$failures" = 0 ]
