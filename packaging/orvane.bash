# bash completion for orvane. Everything offered is read from the orvane being completed: the
# commands from `orvane --help`, a command's options from `orvane COMMAND --help`, the parameter
# names after --set from `orvane params` (with the --module given on the line, if any).
_orvane() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} orvane=${COMP_WORDS[0]}
    local command=${COMP_WORDS[1]:-} module=() words i
    COMPREPLY=()
    if [ "$COMP_CWORD" -eq 1 ]; then
        words=$("$orvane" --help 2>/dev/null | sed -n 's/^  orvane \([a-z]\{1,\}\).*/\1/p')
        mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
        return
    fi
    for ((i = 2; i < COMP_CWORD - 1; i++)); do
        [ "${COMP_WORDS[i]}" = --module ] && module=(--module "${COMP_WORDS[i + 1]}")
    done
    case $prev in
    --set)
        # Names hold spaces: each is offered escaped, up to its '='.
        local IFS=$'\n' name typed=${cur//\\/}
        typed=${typed#[\"\']}
        for name in $("$orvane" params "${module[@]}" 2>/dev/null |
            sed -n 's/^ \{0,1\}[0-9]\{1,2\}  \([^"(]*[^" (]\).*/\1/p'); do
            [[ ${name,,} == "${typed,,}"* ]] && COMPREPLY+=("$(printf '%q=' "$name")")
        done
        compopt -o nospace 2>/dev/null
        return
        ;;
    --module) return ;;  # file names (complete -o default)
    --raw | --downsample) compopt +o default 2>/dev/null; return ;;
    esac
    if [[ $cur == -* ]]; then
        words=$("$orvane" "$command" --help 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u)
        mapfile -t COMPREPLY < <(compgen -W "$words" -- "$cur")
    fi
}
complete -o default -F _orvane orvane
