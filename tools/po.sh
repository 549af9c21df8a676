#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The catalogues of po/. "update" extracts the English texts of the sources into
# po/kalvero.pot and merges them into each po/LANG.po; "check" (a test) fails naming
# each text that a catalogue lacks or holds as fuzzy, and each it holds that the
# sources no longer use.
set -euo pipefail
cd "$(dirname "$0")/.."

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
find lang data link cli emulator app -name '*.cpp' -o -name '*.h' | LC_ALL=C sort >"$work/files"
xgettext --language=C++ --from-code=UTF-8 --keyword=_ --keyword=N_ --add-location=file \
    --package-name=Kalvero --msgid-bugs-address=kalvero@users.noreply.github.com \
    --files-from="$work/files" --output="$work/kalvero.pot"

# The entries of a catalogue that msgattrib picks with $2, without the header.
entries() {
    msgattrib --no-wrap $2 "$1" | grep -E '^(#~ )?msgid "' | grep -vE '^(#~ )?msgid ""$' || true
}

case "${1:-check}" in
    update)
        cp "$work/kalvero.pot" po/kalvero.pot
        for po in po/*.po; do
            msgmerge --quiet --update --backup=none --no-fuzzy-matching "$po" po/kalvero.pot
            msgattrib --no-obsolete --output-file="$po" "$po"
        done
        ;;
    check)
        status=0
        for po in po/*.po; do
            msgmerge --quiet --no-fuzzy-matching --output-file="$work/merged.po" "$po" "$work/kalvero.pot"
            for kind in "--untranslated --no-obsolete:lacks" "--only-fuzzy --no-obsolete:holds as fuzzy" \
                        "--only-obsolete:holds, no longer used"; do
                found=$(entries "$work/merged.po" "${kind%%:*}")
                if [ -n "$found" ]; then
                    echo "$po ${kind#*:}:"
                    echo "$found"
                    status=1
                fi
            done
        done
        [ $status = 0 ] && echo "Every text has its translation"
        exit $status
        ;;
esac
