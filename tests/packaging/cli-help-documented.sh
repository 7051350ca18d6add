#!/usr/bin/env bash
# Every command, option and format that `tallowmark-cli --help` lists has its entry in the
# manual page and is offered by the bash completion; the built pages render without a
# warning. Usage: cli-help-documented.sh TALLOWMARK-CLI PACKAGING-FOLDER MANUAL-PAGE...
set -uo pipefail
cli=$1 packaging=$2
shift 2
page=$packaging/tallowmark-cli.1.scd
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

help=$("$cli" --help) || { echo "FAIL: $cli --help"; exit 1; }
usage=$(sed -n '/^usage:/,/^$/p' <<<"$help")
commands=$(grep -oE 'tallowmark-cli [a-z][a-z0-9-]*' <<<"$usage" | cut -d' ' -f2 | sort -u)
globals=$(grep -E 'tallowmark-cli -' <<<"$usage" | sed 's/tallowmark-cli//' | grep -oE -- '--?[a-z0-9][a-z0-9-]*')
formats=$(grep -oE -- '--format [a-z0-9|]+' <<<"$usage" | cut -d' ' -f2 | tr '|' '\n')
[[ $commands && $formats ]] || fail "no commands or formats read from --help"

# The options of a command: the lines indented by four below its line in "Commands:".
options_of() {
    sed -n '/^Commands:/,/^$/p' <<<"$help" |
        awk -v command="$1" '/^  [^ ]/ { current = $1 } /^    -/ && current == command { print $1 }'
}

# What the completion offers for the words given (the last is the one being completed),
# after the program as typed: the one under test, which the completion asks for formats.
completions() {
    bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); _tallowmark_cli
             printf "%s\n" "${COMPREPLY[@]}"' _ "$packaging/tallowmark-cli.bash" "$cli" "$@" 2>/dev/null
}

offered=$(completions "")
for word in $commands $globals; do
    grep -qF -- "*$word*" "$page" || fail "the manual page has no entry for $word"
    grep -qxF -- "$word" <<<"$offered" || fail "the completion does not offer $word"
done
options_seen=0
for command in $commands; do
    offered=$(completions "$command" -)
    for option in $(options_of "$command"); do
        options_seen=$((options_seen + 1))
        grep -qF -- "*$option*" "$page" || fail "the manual page has no entry for $command $option"
        grep -qxF -- "$option" <<<"$offered" || fail "the completion does not offer $option after $command"
    done
done
((options_seen > 0)) || fail "no command options read from --help"
offered=$(completions timeline --format "")
for format in $formats; do
    grep -qE -- "^## .*--format $format\$" "$page" || fail "the manual page has no section with an example of $format"
    grep -qxF -- "$format" <<<"$offered" || fail "the completion does not offer the format $format"
done

if command -v groff >/dev/null; then
    for built in "$@"; do
        warnings=$(groff -ww -z -man "$built" 2>&1)
        [[ -z $warnings ]] || fail "groff warns about $built: $warnings"
    done
fi

((failures == 0)) && echo "every command, option and format of --help is documented and completed"
exit $((failures > 0))
