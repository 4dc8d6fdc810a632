# Bash completion for telvanor(1): its options (outputs -g, -j and -u; views
# -b, -e, -f, -l and -s), the values of -i and -m, and the assembly source files
# (.asm, .s, .S) it reads.

_telvanor() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev= word i takes_arg=0 operands=0
  ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
  COMPREPLY=()

  # Options end at the first operand or at "--"; an option that takes an
  # argument may end a cluster ("-gi x").
  for ((i = 1; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    if ((takes_arg)); then
      takes_arg=0
    elif [[ $word == -- ]]; then
      operands=1
      break
    elif [[ $word =~ ^-[abcefgjlnprsu]*[dimR]$ ]]; then
      takes_arg=1
    elif [[ $word != -?* ]]; then
      operands=1
      break
    fi
  done

  if ((!operands && takes_arg)); then
    if [[ $prev =~ i$ ]]; then
      COMPREPLY=($(compgen -W 'x _' -- "$cur"))
    elif [[ $prev =~ m$ ]]; then
      COMPREPLY=($(compgen -W 'x86_64 aarch64 arm riscv64' -- "$cur"))
    fi
    # -d and -R take a word of the user's own: a number, a function name.
    return 0
  fi

  if ((!operands)) && [[ $cur == -* ]]; then
    local opts='-a -b -c -d -e -f -g -i -j -l -m -n -p -r -R -s -u'
    ((COMP_CWORD == 1)) && opts+=' --help --version'
    COMPREPLY=($(compgen -W "$opts" -- "$cur"))
    return 0
  fi

  local IFS=$'\n' name
  compopt -o filenames 2>/dev/null
  for name in $(compgen -d -- "$cur"); do
    COMPREPLY+=("$name")
  done
  for name in $(compgen -f -- "$cur"); do
    case $name in
      *.asm | *.s | *.S) [[ -d $name ]] || COMPREPLY+=("$name") ;;
    esac
  done
  return 0
}
complete -F _telvanor telvanor
