#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A paced footer read at 19200 baud through ser2net (RFC 2217) against the same read
# on the direct port, in one run: the network may cost at most 5 %. Then status, a
# connection's opening and four exchanges, through RFC 2217 against raw TCP to the
# same printer: the RFC 2217 settings may cost at most 60 ms more.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/dev}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work
mkdir -p "$work/kalvero/ports"
"$build/emulator/oru-emulator" --com 1 --baud 19200 --pace >"$work/emulator.out" 2>&1 &
emulator=$!
for _ in $(seq 50); do [ -s "$work/emulator.out" ] && break; sleep 0.1; done
port=$((20000 + RANDOM % 20000))
cat >"$work/ser2net.yaml" <<YAML
default:
  name: chardelay
  value: false
connection: &oru
  accepter: telnet(rfc2217),tcp,127.0.0.1,$port
  connector: serialdev,$(readlink "$work/kalvero/ports/com1"),9600n81,local
connection: &raw
  accepter: tcp,127.0.0.1,$((port + 1))
  connector: serialdev,$(readlink "$work/kalvero/ports/com1"),19200n81,local
YAML
"$(PATH="$PATH:/usr/sbin" command -v ser2net)" -n -u -c "$work/ser2net.yaml" -P "$work/pid" \
    >/dev/null 2>&1 &
server=$!
trap 'kill $server $emulator; wait 2>/dev/null; rm -rf "$work"' EXIT
sleep 0.5
cd "$work"
milliseconds() {
    local start end
    start=$(date +%s%N)
    "$OLDPWD/$build/cli/kalvero-cli" --baud 19200 --port "$@" >/dev/null 2>&1 ||
        echo "kalvero-cli --port $* failed" >&2
    end=$(date +%s%N)
    sleep 0.5  # ser2net lets the device go a moment after its client left
    echo $(( (end - start) / 1000000 ))
}
for i in 1 2 3; do
    direct=$(milliseconds COM1 read --footers)
    network=$(milliseconds "rfc2217://127.0.0.1:$port" read --footers)
    echo "read --footers, paced at 19200: direct ${direct} ms, ser2net ${network} ms," \
         "ratio $(awk "BEGIN { printf \"%.3f\", $network / $direct }")"
done
for i in 1 2 3; do
    raw=$(milliseconds "tcp://127.0.0.1:$((port + 1))" status)
    rfc2217=$(milliseconds "rfc2217://127.0.0.1:$port" status)
    echo "status through ser2net: raw TCP ${raw} ms, RFC 2217 ${rfc2217} ms," \
         "RFC 2217 costs $((rfc2217 - raw)) ms more (at most 60)"
done
