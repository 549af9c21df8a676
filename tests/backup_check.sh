#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The nightly backup script against a stand-in kalvero-cli: what it is told is wrong
# in its file is said in one line naming the file; a whole read goes into the day's
# folder, and only then go the folders whose names are older than KEEP_DAYS days,
# whatever their files' times.
#   backup_check.sh KALVERO_BACKUP
set -euo pipefail
backup=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" HOME="$work"
mkdir -p "$work/bin" "$XDG_CONFIG_HOME/kalvero"
# The stand-in reads as kalvero-cli does: it writes the files, or fails with 3.
cat >"$work/bin/kalvero-cli" <<'STANDIN'
#!/bin/sh
echo "$*" >>"$HOME/calls"
[ -e "$HOME/silent" ] && exit 3
echo footers >stopki.txt
STANDIN
chmod +x "$work/bin/kalvero-cli"
export PATH="$work/bin:$PATH"
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
# says EXPECTED_EXIT TEXT: the run's exit and one line of standard error holding TEXT.
says() {
    local code=0 said
    said=$(sh "$backup" sklep 2>&1 >/dev/null) || code=$?
    [ "$code" = "$1" ] || fail "exit $code, not $1: $said"
    [ "$(printf '%s\n' "$said" | wc -l)" = 1 ] || fail "not one line: $said"
    case $said in *"$2"*) ;; *) fail "\"$2\" not in: $said" ;; esac
}
conf="$XDG_CONFIG_HOME/kalvero/backup-sklep.conf"
says 1 "$conf"
printf 'PORT=\nFOLDER=%s\n' "$work/kopie" >"$conf"
says 1 "PORT= is empty"
printf 'PORT=COM1\nFOLDER=\n' >"$conf"
says 1 "FOLDER= is empty"
printf 'PORT=COM1\nFOLDER=%s\nKEEP_DAYS=dwa\n' "$work/kopie" >"$conf"
says 1 "KEEP_DAYS=dwa"
[ ! -e "$work/calls" ] || fail "kalvero-cli was run for a file that is not right"

# Read, not run: a value with blanks needs no quotes, and a relative folder is in the
# home.
mkdir -p "$work/kopie drukarki"
printf 'PORT=COM1\nFOLDER=%s\n' "$work/kopie drukarki" >"$conf"
sh "$backup" sklep || fail "a folder with a blank gave exit $?"
[ -f "$work/kopie drukarki/$(date +%F)/stopki.txt" ] || fail "nothing read into the folder with a blank"
printf '# every night\nPORT="COM1"\nFOLDER=kopie\nKEEP_DAYS=10\n' >"$conf"
today=$(date +%F)
old=$(date -d "$today - 11 days" +%F)
kept=$(date -d "$today - 10 days" +%F)
mkdir -p "$work/kopie/$old" "$work/kopie/$kept" "$work/kopie/notatki"
touch -d "$today" "$work/kopie/$old"             # changed today: its name counts
touch -d "$today - 400 days" "$work/kopie/$kept"  # long untouched: its name counts
# A read that fails leaves every folder.
touch "$work/silent"
code=0
sh "$backup" sklep || code=$?
[ "$code" = 3 ] || fail "a failed read gave exit $code"
[ -d "$work/kopie/$old" ] || fail "a failed read removed $old"
rm "$work/silent"
sh "$backup" sklep || fail "a whole read gave exit $?"
[ "$(tail -n 1 "$work/calls")" = "--quiet --port COM1 read" ] || fail "called: $(tail -n 1 "$work/calls")"
[ -f "$work/kopie/$today/stopki.txt" ] || fail "nothing read into $today"
[ ! -e "$work/kopie/$old" ] || fail "$old is older than 10 days and stayed"
[ -d "$work/kopie/$kept" ] || fail "$kept is 10 days old and went"
[ -d "$work/kopie/notatki" ] || fail "a folder of another name went"
echo "backup script: $failures failed"
[ "$failures" = 0 ]
