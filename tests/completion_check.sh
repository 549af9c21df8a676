#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The bash completion of kalvero-cli as a user meets it: an interactive bash in tmux,
# keys typed, Tab pressed, the screen read.
# Usage: completion_check.sh COMPLETION_SCRIPT KALVERO_CLI
set -euo pipefail

completion=$(realpath "$1")
cli=$(realpath "$2")
if ! command -v tmux >/dev/null 2>&1; then
    echo "completion_check: tmux is missing (Debian package tmux; tools/deps.sh test brings it)" >&2
    exit 1
fi

tmp=$(mktemp -d)
socket=kalvero-completion-$$
cleanup() {
    tmux -L "$socket" kill-server 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

mkdir -p "$tmp/bin" "$tmp/home" "$tmp/config" "$tmp/work/dane sklepu"
ln -s "$cli" "$tmp/bin/kalvero-cli"
touch "$tmp/work/moje stopki.txt" "$tmp/work/dane sklepu/x.txt"
# No pager, no bell, no question before a long list, whatever the system's inputrc; a
# list at once, also after the common part of its words is put in.
printf '%s\n' 'set bell-style none' 'set page-completions off' 'set completion-query-items 0' \
    'set show-all-if-ambiguous on' \
    >"$tmp/inputrc"

tmux -L "$socket" -f /dev/null new-session -d -x 200 -y 50 \
    "env -i PATH='$tmp/bin:/usr/bin:/bin' HOME='$tmp/home' XDG_CONFIG_HOME='$tmp/config' \
     TERM=screen INPUTRC='$tmp/inputrc' PS1='$ ' LC_ALL=C bash --norc --noprofile -i"

failures=0
fail() {
    echo "FAIL: $1" >&2
    echo "--- screen:" >&2
    screen >&2
    echo "---" >&2
    failures=$((failures + 1))
}
screen() { tmux -L "$socket" capture-pane -p -J | sed -e 's/ *$//' -e '/^$/d'; }
# Waits up to five seconds for the screen to satisfy the test named by $1.
await() {
    local tries
    for ((tries = 0; tries < 100; tries++)); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}
last_line_is() { [[ $(screen | tail -n 1) == "$1" ]]; }
# A list was shown: the typed line, or more of it, comes again below it.
listed() { [[ $(screen | wc -l) -gt 2 && $(screen | tail -n 1) == "${1% }"* ]]; }

# An empty line on a clear screen, then the keys and $2 Tabs.
type_keys() {
    tmux -L "$socket" send-keys C-u C-l
    await last_line_is '$' || { fail "no empty prompt"; return 1; }
    tmux -L "$socket" send-keys -l "$1"
    local tab
    for ((tab = 0; tab < $2; tab++)); do
        tmux -L "$socket" send-keys Tab
    done
}
# The words of the list shown for the line $1, one a line, sorted.
list_of() {
    type_keys "$1" 1 || return 0
    if ! await listed "\$ $1"; then
        fail "no list for: $1"
        return 0
    fi
    screen | sed '1d;$d' | tr -s ' ' '\n' | sed '/^$/d' | sort -u
}
# The line $1 and one Tab give the line $2 (the screen keeps no blanks at the end).
completes() {
    type_keys "$1" 1 || return 0
    await last_line_is "\$ ${2% }" || fail "'$1' + Tab: expected '\$ $2'"
}

await last_line_is '$' || { fail "bash did not start"; exit 1; }
tmux -L "$socket" send-keys -l "source '$completion'; cd '$tmp/work'"
tmux -L "$socket" send-keys Enter

# A name with a blank is escaped as bash escapes it, a folder ends in '/', a quoted
# name is closed; --snapshot takes folders only.
completes "kalvero-cli read --footers moj" 'kalvero-cli read --footers moje\ stopki.txt'
completes "kalvero-cli export --csv dan" 'kalvero-cli export --csv dane\ sklepu/'
completes "kalvero-cli import --csv \"moje" 'kalvero-cli import --csv "moje stopki.txt"'
completes "kalvero-cli --trace=moj" 'kalvero-cli --trace=moje\ stopki.txt'
completes "kalvero-cli restore --snapshot " 'kalvero-cli restore --snapshot dane\ sklepu/'

# Each command offers the options its --help names and no other; --json only where
# the main help says the command gives JSON.
help_options() {
    LC_ALL=C "$cli" "$@" --help |
        grep -oE '^ {2,6}(-[a-zA-Z], )?--[a-z0-9-]+' | grep -oE -- '--?[a-zA-Z0-9-]+' | sort -u
}
json=$(LC_ALL=C "$cli" --help | tr -s '\n ' '  ' | sed -E 's/.*--json[^(]*\(([^)]*)\).*/\1/')
for command in "" detect read write erase restore snapshots footer "footer get" "footer set" \
    binding "binding get" "binding set" item status diff export import; do
    # shellcheck disable=SC2086 # the two command words are two arguments
    expected=$(help_options $command)
    if [[ -n $command && ", $json, " != *", $command, "* ]]; then
        expected=$(grep -vx -- --json <<<"$expected")
    fi
    offered=$(list_of "kalvero-cli ${command:+$command }-")
    if [[ $offered != "$expected" ]]; then
        fail "options of '${command:-kalvero-cli}' differ from its --help:
$(diff <(echo "$expected") <(echo "$offered") || true)"
    fi
done
[[ $(list_of "kalvero-cli write --") == *--since-read* ]] || fail "write offers no --since-read"
[[ $(list_of "kalvero-cli export --") == *--csv-encoding* ]] || fail "export offers no --csv-encoding"
[[ $(list_of "kalvero-cli status --") == *--json* ]] || fail "status offers no --json"
completes "kalvero-cli --port COM1 wr" "kalvero-cli --port COM1 write "
completes "kalvero-cli --footers wr" "kalvero-cli --footers write "
completes "kalvero-cli export --csv-encoding c" "kalvero-cli export --csv-encoding cp1250 "

# --port: the entries of the ports directory while it exists, else the COMn whose
# devices are present.
mkdir -p "$tmp/config/kalvero/ports"
ln -s /dev/null "$tmp/config/kalvero/ports/com3"
echo "tcp://127.0.0.1:4001" >"$tmp/config/kalvero/ports/com10"
[[ $(list_of "kalvero-cli --port ") == $'COM10\nCOM3' ]] || fail "--port: not the ports directory"
[[ $(list_of "kalvero-cli status --port COM10,") == $'COM10,COM10\nCOM10,COM3' ]] ||
    fail "--port: not a list of ports"
rm -r "$tmp/config/kalvero/ports"
present=()
for n in 1 2 3 4 5 6 7 8 9 10; do
    device=(ttyS0 ttyS1 ttyS2 ttyS3 ttyUSB0 ttyUSB1 ttyUSB2 ttyUSB3 ttyACM0 ttyACM1)
    device=${device[n - 1]}
    # A ttyS that the kernel reports as no UART (type 0) is no port.
    if [[ -e /dev/$device && $(cat "/sys/class/tty/$device/type" 2>/dev/null) != 0 ]]; then
        present+=("COM$n")
    fi
done
case ${#present[@]} in
    # Nothing to offer: two Tabs, then a marker typed after them, which shows only
    # once the Tabs have been served, right after the line as it was.
    0) type_keys "kalvero-cli --port " 2 && tmux -L "$socket" send-keys -l "@"
       await last_line_is '$ kalvero-cli --port @' && [[ $(screen | wc -l) == 1 ]] ||
           fail "--port: offered ports where none is present" ;;
    1) completes "kalvero-cli --port " "kalvero-cli --port ${present[0]} " ;;
    *) [[ $(list_of "kalvero-cli --port ") == "$(printf '%s\n' "${present[@]}" | sort)" ]] ||
        fail "--port: not the present devices (${present[*]})" ;;
esac

if ((failures > 0)); then
    echo "$failures failure(s)" >&2
    exit 1
fi
echo "completion: all checks passed"
