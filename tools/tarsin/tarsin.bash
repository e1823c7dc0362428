# bash completion for tarsin: commands, options, resources, attribute names
# (from `tarsin attr list --names`) and files.
_tarsin_files() {
  COMPREPLY=($(compgen -f -- "$1"))
  compopt -o filenames 2>/dev/null
}

_tarsin() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
  local commands="info attr acquire plot error"
  local resources="RIO0 RIO1 RIO2 RIO3 RIO4 RIO5 RIO6 RIO7 SIM0"
  local command=${words[1]} sub=${words[2]}

  case $prev in
    --format) COMPREPLY=($(compgen -W "csv npy bin" -- "$cur")); return ;;
    --trigger) COMPREPLY=($(compgen -W "none analog:AI0:0:rising digital:DIO" -- "$cur")); return ;;
    --output | -o | --plot) _tarsin_files "$cur"; return ;;
    --channels | --channel) COMPREPLY=($(compgen -W "AI0 AI0-AI3 AI0-AI15" -- "$cur")); return ;;
    --resource) COMPREPLY=($(compgen -W "$resources" -- "$cur")); return ;;
    --samples | --stream | --records | --seed | --duration | --timeout | --size | --dt) return ;;
  esac

  if ((cword == 1)); then
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi
  local options
  case $command in
    info) options="--help" ;;
    attr)
      if ((cword == 2)); then
        COMPREPLY=($(compgen -W "list get set --help" -- "$cur"))
        return
      fi
      case $sub in
        list) options="--names --help" ;;
        get) options="--channel --help" ;;
        set) options="--channels --help" ;;
      esac
      if [[ $cur != -* ]] && [[ $sub == get || $sub == set ]]; then
        if ((cword == 3)); then
          COMPREPLY=($(compgen -W "$resources" -- "$cur"))
        elif ((cword == 4)); then
          COMPREPLY=($(compgen -W "$("${words[0]}" attr list --names 2>/dev/null)" -- "$cur"))
        fi
        return
      fi
      ;;
    acquire)
      options="--channels --samples --stream --trigger --records --raw --format --output --plot
               --size --seed --continuous --duration --timeout --help" ;;
    plot)
      options="--output --size --dt --help"
      [[ $cur != -* ]] && { _tarsin_files "$cur"; return; } ;;
    error) options="--resource --help" ;;
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  elif ((cword == 2)) && [[ $command == info || $command == acquire ]]; then
    COMPREPLY=($(compgen -W "$resources" -- "$cur"))
  fi
}
complete -F _tarsin tarsin
