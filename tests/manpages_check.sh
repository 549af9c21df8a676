#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every option of every command of each program appears in its English and Polish
# manual pages, and each page says what the help says in its language.
#   manpages_check.sh PAGES_FOLDER PROGRAM...
set -euo pipefail
unset LANGUAGE
pages=$1
shift
status=0
for program in "$@"; do
    name=$(basename "$program")
    mapfile -t commands < <(bash "$(dirname "$0")/../dist/manpage.sh" --commands "$program")
    for page in "$pages/$name.1.gz:C.UTF-8" "$pages/pl/$name.1.gz:pl_PL.UTF-8"; do
        locale=${page#*:}
        page=${page%:*}
        text=$(zcat "$page" | sed 's/\\-/-/g')
        checked=0
        for command in "" "${commands[@]}"; do
            read -ra args <<<"$command"
            # The help's first words past its usage line: in the page's language.
            # Read whole: a reader that stops early ends a help longer than one write
            # of the program with SIGPIPE.
            said=$(LC_ALL=$locale "$program" "${args[@]}" --help | grep -vE '^(Usage|Użycie):' |
                sed -n 1p)
            if ! grep -qF -- "$said" <<<"$text"; then
                echo "$page: $name $command: \"$said\" is missing"
                status=1
            fi
            for option in $(LC_ALL=C "$program" "${args[@]}" --help | grep -oE -- '--[a-z][a-z0-9-]+' | sort -u); do
                checked=$((checked + 1))
                if ! grep -qe "$option" <<<"$text"; then
                    echo "$page: $name $command $option is missing"
                    status=1
                fi
            done
        done
        # A Polish page has Polish headings (JSON is a name in either language).
        if [ "$locale" != C.UTF-8 ]; then
            english=$(zcat "$page" | grep -E '^\.S[HS] "?(NAME|SYNOPSIS|DESCRIPTION|OPTIONS|COMMANDS|COPYRIGHT|SEE ALSO|EXAMPLES|FILES|ENVIRONMENT|EXIT STATUS|AUTHOR|REPORTING BUGS|PERMISSIONS)"?$' || true)
            if [ -n "$english" ]; then
                echo "$page: headings in English: $english"
                status=1
            fi
        fi
        echo "$page: $checked options of ${#commands[@]} commands checked"
    done
done
exit $status
