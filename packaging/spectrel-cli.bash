# bash completion for spectrel-cli: commands, each command's options (read from the program's own
# --help, so they are always those of the installed program), files and folders for their values.
_spectrel_cli() {
  local cur prev words cword
  _init_completion || return
  local command="" i
  for ((i = 1; i < cword; i++)); do
    [[ ${words[i]} != -* ]] && { command=${words[i]}; break; }
  done
  if [[ -z $command ]]; then
    local commands
    commands=$("${words[0]}" --help 2>/dev/null | awk '/^Subcommands:/{on=1; next} on && /^  [a-z]/{print $1}')
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi
  case $prev in
    --profile) _filedir ini; return ;;
    --data | --out) [[ $command == repair ]] && _filedir || _filedir -d; return ;;
    --format) COMPREPLY=($(compgen -W "csv netcdf" -- "$cur")); return ;;
    --pitch) COMPREPLY=($(compgen -W "raw 1nm" -- "$cur")); return ;;
    --model) COMPREPLY=($(compgen -W "SR-101 SR-102 SR-103 SR-104" -- "$cur")); return ;;
    --port) COMPREPLY=($(compgen -G "/dev/serial/by-id/*" -- "$cur") $(compgen -G "/dev/tty[SUA]*" -- "$cur")); return ;;
    --tz) COMPREPLY=($(cd /usr/share/zoneinfo 2>/dev/null && compgen -f -- "$cur")); return ;;
  esac
  if [[ $cur == -* ]]; then
    local options
    options=$("${words[0]}" "$command" --help 2>/dev/null | grep -oE -- '--[a-z][a-z-]*' | sort -u)
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  case $command in
    info | export | repair) _filedir ;;
    help) COMPREPLY=($(compgen -W "$("${words[0]}" --help 2>/dev/null | awk '/^Subcommands:/{on=1; next} on && /^  [a-z]/{print $1}')" -- "$cur")) ;;
  esac
}
complete -F _spectrel_cli spectrel-cli
