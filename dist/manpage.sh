#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The manual page of PROGRAM in one language, made by help2man from the program's
# own --help in that locale, so that it stays true to the options: for a program
# with command words, each command's --help as well; then the sections that no help
# holds, from INCLUDE.
#   manpage.sh PROGRAM SUMMARY LOCALE INCLUDE OUTPUT
# "manpage.sh --commands PROGRAM" lists the program's commands, as the page has them.
set -euo pipefail
shopt -s inherit_errexit  # a help that fails fails the page, even inside $(...)
# The locale alone chooses the language: a LANGUAGE list would win over it.
unset LANGUAGE

# The command words of the program, a whole command a line ("footer get"), from the
# "Commands:" part of each help, in English.
commands() {
    local word sub
    LC_ALL=C "$program" "$@" --help |
        awk '/^Commands:$/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { print $1 }' |
        while read -r word; do
            sub=$(commands "$@" "$word")
            if [ -n "$sub" ]; then echo "$sub"; else echo "$* $word" | sed 's/^ //'; fi
        done
}

if [ "${1:-}" = --commands ]; then
    program=$2
    commands
    exit
fi
program=$1 summary=$2 locale=$3 include=$4 output=$5
# Without the locale the program would answer in English, under a Polish heading.
if [ "$locale" != C.UTF-8 ] && ! locale -a 2>/dev/null | grep -qix "${locale/UTF-8/utf8}"; then
    echo "manpage.sh: the locale $locale is missing (bash tools/deps.sh makes it)" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Help text as troff, line for line.
as_troff() {
    sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

# help2man's own headings are in the page's language, and so must be those that the
# include gives (help2man takes its --name as bytes of another encoding: the name
# goes through the include).
named=NAME heading=COMMANDS
case $locale in pl*) named=NAZWA heading=POLECENIA ;; esac
name=$(basename "$program")
listed=$(commands)
words=()
[ -z "$listed" ] || mapfile -t words <<<"$listed"
{
    printf '[%s]\n%s \\- %s\n' "$named" "$name" "$summary"
    if [ ${#words[@]} -gt 0 ]; then
        echo "[$heading]"
        for command in "${words[@]}"; do
            read -ra args <<<"$command"
            echo ".SS \"$name $command\""
            echo ".nf"
            # The options every command takes are in the program's own part, once.
            LC_ALL=$locale "$program" "${args[@]}" --help |
                awk '/^(Options of every command|Opcje wszystkich poleceń):$/ { off = 1 }
                     off && /^$/ { off = 0; next } !off' | as_troff
            echo ".fi"
        done
    fi
    cat "$include"
} >"$work/include.h2m"
help2man --no-info --no-discard-stderr --locale="$locale" \
    --include="$work/include.h2m" --output="$output" "$program"
# The one heading help2man keeps in English whatever the locale.
case $locale in pl*) sed -i 's/^\.SH COPYRIGHT$/.SH "PRAWA AUTORSKIE"/' "$output" ;; esac
