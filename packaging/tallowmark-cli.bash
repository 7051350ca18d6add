# bash completion for tallowmark-cli                       -*- shell-script -*-
#
# Commands first, then each command's options; file names where a command or an option
# takes a file, folders where it takes a folder to search, and after --format the formats
# the program itself lists (tallowmark-cli --list-formats).

# Adds the files (-f) or folders (-d) that start with $cur.
_tallowmark_cli_paths()
{
    local cur=$2
    if declare -F _filedir >/dev/null; then
        # bash-completion's own, which knows about quotes and ~.
        if [[ $1 == -d ]]; then _filedir -d; else _filedir; fi
        return
    fi
    compopt -o filenames 2>/dev/null
    local IFS=$'\n'
    COMPREPLY+=($(compgen "$1" -- "$cur"))
}

_tallowmark_cli()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="export info timeline find carve"
    COMPREPLY=()

    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version --list-formats" -- "$cur"))
        return
    fi

    local options folders=
    case ${COMP_WORDS[1]} in
        export) options="-o --hide-blank --hide-badfood --help" ;;
        info) options="--json --help" ;;
        timeline) options="--find --format -o --localtime --source-zone --jobs --help" ;;
        find) options="-0 --quiet --help" folders=1 ;;
        carve) options="--format -o --extract --source-zone --jobs --help" ;;
        *) return ;;
    esac

    case $prev in
        -o) _tallowmark_cli_paths -f "$cur"; return ;;
        --find | --extract) _tallowmark_cli_paths -d "$cur"; return ;;
        --format)
            # The program names its own formats; the command as typed, with a leading ~ expanded.
            local cli=${COMP_WORDS[0]}
            [[ $cli == "~/"* ]] && cli=$HOME/${cli#"~/"}
            COMPREPLY=($(compgen -W "$("$cli" --list-formats 2>/dev/null)" -- "$cur"))
            return
            ;;
        --jobs) return ;;  # a number
        --source-zone)
            # The names of the zone database.
            local zones=${TZDIR:-/usr/share/zoneinfo}
            [[ -d $zones ]] && COMPREPLY=($(cd "$zones" && compgen -f -- "$cur"))
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    elif [[ $folders ]]; then
        _tallowmark_cli_paths -d "$cur"
    else
        _tallowmark_cli_paths -f "$cur"
    fi
}

complete -F _tallowmark_cli tallowmark-cli
