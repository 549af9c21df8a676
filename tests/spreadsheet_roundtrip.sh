#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Footer texts that a spreadsheet takes for numbers, dates, times, percents or formulas
# come back unchanged from an export opened in LibreOffice Calc, saved as .ods, saved
# again as CSV and imported: spreadsheet_roundtrip.sh KALVERO-CLI
set -euo pipefail
cli=$(realpath "$1")

if ! command -v soffice >/dev/null 2>&1; then
    echo "soffice is missing: install the Debian package libreoffice-calc-nogui" \
         "(bash tools/deps.sh test)" >&2
    exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp"
# No settings, snapshots or profile of the user's; the messages in English.
export HOME=$tmp XDG_CONFIG_HOME=$tmp XDG_CACHE_HOME=$tmp XDG_DATA_HOME=$tmp
export LC_ALL=C.UTF-8 LANGUAGE=

# The data files, made by an import of a CSV written by hand: every text of footers
# 7 to 11 but "O'Reilly", the Polish letters and "  Dziękujemy" needs the export's mark.
# The printer prints ASCII and Polish letters only: "$" is the currency sign it takes.
printf '%s\r\n' \
    'rodzaj;stopka;linia;szerokość;włączona;tekst' \
    'stopka;7;1;40;1;1,5 zł' \
    'stopka;7;2;40;1;"  12.05"' \
    'stopka;7;3;20;1;50%' \
    'stopka;7;4;40;0;1,5' \
    'stopka;8;1;40;1;007' \
    'stopka;8;2;40;1;1e5' \
    'stopka;8;3;40;1;1/2' \
    'stopka;8;4;20;1;12:30' \
    'stopka;9;1;40;1;-5' \
    'stopka;9;2;40;1;+48 600' \
    'stopka;9;3;40;1;$ 3' \
    'stopka;9;4;40;1;.5' \
    'stopka;10;1;40;1;=SUMA(A1:A3)' \
    "stopka;10;2;40;1;O'Reilly" \
    "stopka;10;3;40;1;''quoted" \
    'stopka;10;4;40;1;Zażółć gęślą jaźń' \
    'stopka;11;1;40;1;(5)' \
    'stopka;11;2;40;1;"  Dziękujemy"' \
    'rodzaj;PLU;stopka' \
    'wiązanie;1;7' \
    'wiązanie;9983;11' >made.csv
marked=15
"$cli" import --csv made.csv --footers stopki.txt --bindings wiazplu.txt >/dev/null

# Column 6 of a footer row beginning with the export's apostrophe.
markedRows() {
    iconv -f "$2" -t UTF-8 "$1" | grep -c "^stopka;[0-9]*;[1-4];[24]0;[01];'" || true
}

# LibreOffice's character set numbers: 33 Windows-1250, 76 UTF-8. Opened with the
# Polish language and special numbers detected: what converts the most texts.
soffice_convert() {
    timeout 300 soffice -env:UserInstallation="file://$tmp/profile" --headless --norestore \
        --nolockcheck "$@" </dev/null >>soffice.log 2>&1
}
for encoding in cp1250:33:WINDOWS-1250 utf-8:76:UTF-8; do
    IFS=: read -r name charset iconvName <<<"$encoding"
    rm -rf "$name" && mkdir -p "$name/ods" "$name/csv"
    "$cli" export --csv "$name/dane.csv" --csv-encoding "$name" >/dev/null
    soffice_convert --infilter="Text - txt - csv (StarCalc):59,34,$charset,1,,1045,false,true" \
        --convert-to ods --outdir "$name/ods" "$name/dane.csv"
    soffice_convert \
        --convert-to "csv:Text - txt - csv (StarCalc):59,34,$charset,1,,1045,false,false,true" \
        --outdir "$name/csv" "$name/ods/dane.ods"
    saved=$name/csv/dane.csv
    if [ ! -s "$saved" ]; then
        echo "$name: LibreOffice saved no CSV" >&2
        cat soffice.log >&2
        exit 1
    fi
    # The spreadsheet kept each mark, which import then takes off.
    found=$(markedRows "$saved" "$iconvName")
    if [ "$found" -ne "$marked" ]; then
        echo "$name: $found texts marked in the CSV that LibreOffice saved, not $marked" >&2
        iconv -f "$iconvName" -t UTF-8 "$saved" >&2
        exit 1
    fi
    said=$("$cli" import --csv "$saved" --footers "$name/stopki.txt" \
        --bindings "$name/wiazplu.txt" 2>&1)
    grep -qF "apostrophes removed from texts: $marked" <<<"$said" ||
        { echo "$name: import said: $said" >&2; exit 1; }
    cmp stopki.txt "$name/stopki.txt"
    cmp wiazplu.txt "$name/wiazplu.txt"
done
echo "Footer texts came back unchanged through LibreOffice Calc"
