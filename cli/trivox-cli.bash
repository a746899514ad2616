# bash completion for trivox-cli                            -*- shell-script -*-
# Installed as share/bash-completion/completions/trivox-cli; the options and commands
# follow `trivox-cli --help` (the package check compares them).

_trivox_cli()
{
    local cur prev words cword
    _init_completion || return

    case $prev in
        --device)
            if [[ -z $cur ]]; then
                COMPREPLY=($(compgen -G '/dev/ttyACM*') $(compgen -G '/dev/ttyUSB*'))
            else
                _filedir
            fi
            return
            ;;
        --group)
            COMPREPLY=($(compgen -W 'system io network all' -- "$cur"))
            return
            ;;
        -i | --input)
            _filedir '@(ksf|kbf|json)'
            return
            ;;
        --backup-dir)
            _filedir -d
            return
            ;;
        --journal)
            _filedir
            return
            ;;
        --jobs)
            COMPREPLY=($(compgen -W '1 2 4 8 16' -- "$cur"))
            return
            ;;
        --lang)
            COMPREPLY=($(compgen -W 'ru en' -- "$cur"))
            return
            ;;
        -o | --output)
            _filedir
            return
            ;;
        --relay | --id | --pin)
            return
            ;;
    esac

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--help --version --usb --device --relay --id --all
            --pin --group --input --output --json --continue-on-error --yes-really
            --verbose --debug --allow-partial --no-backup --backup-dir --jobs
            --journal --lang' -- "$cur"))
        return
    fi

    # One command per line: none is offered once it is there. Values of the options above
    # are not commands.
    local commands='list state read-settings write-settings log firmware restart factory-reset backup diff export import'
    local i
    for ((i = 1; i < cword; i++)); do
        case ${words[i - 1]} in
            --device | --relay | --id | --pin | --group | -i | --input | -o | --output | --backup-dir | \
                --jobs | --journal) continue ;;
        esac
        if [[ " $commands " == *" ${words[i]} "* ]]; then
            # diff takes two sides: settings files or the terminal itself.
            if [[ ${words[i]} == diff ]] && ((cword - i <= 2)); then
                _filedir '@(ksf|json)'
                COMPREPLY+=($(compgen -W 'device' -- "$cur"))
            fi
            return
        fi
    done
    COMPREPLY=($(compgen -W "$commands" -- "$cur"))
} &&
    complete -F _trivox_cli trivox-cli
