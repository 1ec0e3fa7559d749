# bash completion for hubquill-cli: its commands, each command's options, the model ids
# and other values an option or argument takes, and file names. Everything is read from the
# program's own help when Tab is pressed, so the completion always matches the program.

# The help of the program, or of one of its commands.
_hubquill_cli_help()
{
    "$@" --help 2>/dev/null
}

# The commands the program lists under "Subcommands:".
_hubquill_cli_commands()
{
    _hubquill_cli_help "$1" | sed -n '/^Subcommands:/,/^$/s/^  \([a-z][a-z0-9-]*\) .*/\1/p'
}

# The options of a command ("-o", "--output", ...).
_hubquill_cli_options()
{
    _hubquill_cli_help "$1" "$2" | sed -n '/^Options:/,$p' |
        grep -oE '^  -[^ ]*( |$)' | tr -d ' ' | tr ',' '\n'
}

# The values a help line offers ("TEXT:{qh404,qh102,...}"), space-separated; none when
# the line takes any text.
_hubquill_cli_values()
{
    grep -oE ':\{[^}]*\}' <<<"$1" | head -n 1 | tr -d ':{}' | tr ',' ' '
}

# The help line of option $3 of command $2, if it takes a value.
_hubquill_cli_option_line()
{
    _hubquill_cli_help "$1" "$2" | grep -E "^  (-[^ ]*,)?$3( |,)"
}

# Whether an option's help line shows a value after its names ("-o,--output TEXT").
_hubquill_cli_takes_value()
{
    [[ $1 =~ ^\ \ [^\ ]+\ [A-Z] ]]
}

# The help line of positional argument number $3 (from 1) of command $2.
_hubquill_cli_positional_line()
{
    _hubquill_cli_help "$1" "$2" | sed -n '/^Positionals:/,/^$/p' |
        grep -E '^  [A-Z]' | sed -n "$3p"
}

_hubquill_cli()
{
    local program=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]} command="" positionals=0 i word line
    for ((i = 1; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        if [[ $word == -?* ]]; then
            # An option that takes a value holds the next word.
            [[ -n $command ]] &&
                _hubquill_cli_takes_value "$(_hubquill_cli_option_line "$program" "$command" "$word")" &&
                ((i++))
        elif [[ -z $command ]]; then
            command=$word
        else
            ((positionals++))
        fi
    done

    COMPREPLY=()
    if [[ -z $command ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_hubquill_cli_commands "$program") --help --version" -- "$cur")
        return
    fi
    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_hubquill_cli_options "$program" "$command")" -- "$cur")
        return
    fi
    if [[ $prev == -* ]]; then
        line=$(_hubquill_cli_option_line "$program" "$command" "$prev")
        if _hubquill_cli_takes_value "$line"; then
            local values
            values=$(_hubquill_cli_values "$line")
            if [[ -n $values ]]; then
                mapfile -t COMPREPLY < <(compgen -W "$values" -- "$cur")
            else
                compopt -o filenames 2>/dev/null
                mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            fi
            return
        fi
    fi
    line=$(_hubquill_cli_positional_line "$program" "$command" $((positionals + 1)))
    local values
    values=$(_hubquill_cli_values "$line")
    if [[ -n $values ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$values" -- "$cur")
    elif [[ -n $line ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _hubquill_cli hubquill-cli
