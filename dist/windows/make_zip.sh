#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows download: kalvero.exe and kalvero-cli.exe stripped of their debug
# sections, a Polish README.txt as Notepad reads it best (UTF-8 with a BOM, CR LF) and
# the licence, in one zip with a folder of its own.
#   make_zip.sh KALVERO_EXE KALVERO_CLI_EXE STRIP VERSION ZIP
set -euo pipefail
exe=$1 cli=$2 strip=$3 version=$4 zip=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/kalvero-$version"
mkdir "$folder"
"$strip" -o "$folder/kalvero.exe" "$exe"
"$strip" -o "$folder/kalvero-cli.exe" "$cli"
crlf() { sed 's/\r$//; s/$/\r/'; }
{ printf '\357\273\277'; sed "s/@VERSION@/$version/" "$here/README.txt" | crlf; } >"$folder/README.txt"
{ printf '\357\273\277'; crlf <"$here/../../LICENSE"; } >"$folder/LICENSE.txt"
rm -f "$zip"
(cd "$work" && cmake -E tar cf "$zip" --format=zip "kalvero-$version")
