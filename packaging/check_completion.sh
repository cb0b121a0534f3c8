#!/usr/bin/env bash
# Checks the bash completion of spectrel-cli against the built program: commands, a command's
# options, and a value list. Usage: check_completion.sh COMPLETION_FILE SPECTREL_CLI
set -u
source /usr/share/bash-completion/bash_completion
source "$1"
cli=$2
complete_line() {   # the words of a command line being typed; prints what TAB offers
  COMP_WORDS=("$cli" "$@")
  COMP_CWORD=$(($# ))
  COMP_LINE="${COMP_WORDS[*]}"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  _spectrel_cli
  echo "${COMPREPLY[*]}"
}
fail=0
expect() {   # expect WANTED -- WORDS...: TAB after WORDS offers exactly WANTED
  local wanted=$1; shift
  local got; got=$(complete_line "$@")
  if [[ $got != "$wanted" ]]; then echo "after '$*': offered '$got', wanted '$wanted'"; fail=1; fi
}
expect "export" ex
expect "config" con
expect "--to --tz" export day.KRF --t
expect "csv netcdf" export day.KRF --format ""
expect "--help --json --profile" config --
exit $fail
