#!/usr/bin/env bash
# Checks the call graph of telvanor -p against the one the machine code has.
# Each program here is turned into assembly (by gcc, clang, g++ and clang++ at
# -O0, at -O2 and at -O2 as for a shared library, for C and C++; as written
# for NASM), assembled, and every direct call and tail jump read back from
# the object with objdump. telvanor must find every one of those edges and no
# other.
#   usage: check_truth.sh gnu|nasm TELVANOR
# Exits 77 (skipped) when a tool is missing, unless CI is set: there a
# missing tool is a failure.
set -u
dialect=$1 tool=$2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
LC_ALL=C
export LC_ALL

need() {
  local t
  for t; do
    command -v "$t" >/dev/null 2>&1 && continue
    if [[ -n ${CI:-} ]]; then
      echo "FAIL: $t is not installed"
      exit 1
    fi
    echo "SKIP: $t is not installed"
    exit 77
  done
}

# The edges "caller<TAB>callee" that the object really has, names demangled.
object_edges() {
  awk -v dialect="$dialect" -f "$here/object_calls.awk" <(objdump -t "$1") \
    <(objdump -dr -w --no-show-raw-insn "$1") | c++filt | sort -u
}

# The edges "caller<TAB>callee" of a digraph; ids may be quoted, with \" and
# \\ inside.
dot_edges() {
  awk '
    function id(    s, c) {
      if (substr(line, pos, 1) != "\"") {
        s = substr(line, pos)
        sub(/[ ;].*/, "", s)
        pos += length(s)
        return s
      }
      for (pos++; pos <= length(line); pos++) {
        c = substr(line, pos, 1)
        if (c == "\"") { pos++; return s }
        if (c == "\\") c = substr(line, ++pos, 1)
        s = s c
      }
      return s
    }
    /^  / {
      line = $0
      pos = 3
      from = id()
      if (substr(line, pos, 4) != " -> ") next
      pos += 4
      print from "\t" id()
    }' | sort -u
}

failures=0
# compare LABEL OBJECT ASSEMBLY TELVANOR_OPTION...
compare() {
  local label=$1 object=$2 source=$3
  shift 3
  local truth found missing false
  truth=$(object_edges "$object")
  if [[ -z $truth ]]; then
    echo "FAIL $label: no call read from the object"
    failures=$((failures + 1))
    return
  fi
  # A root that no symbol bears: the digraph then holds every edge, not only
  # those reachable from main.
  "$tool" -p "$@" -g -i _ -R - "$source" >"$tmp/dot" || {
    echo "FAIL $label: telvanor -p $* failed"
    failures=$((failures + 1))
    return
  }
  found=$(dot_edges <"$tmp/dot")
  missing=$(comm -23 <(printf '%s\n' "$truth") <(printf '%s\n' "$found"))
  false=$(comm -13 <(printf '%s\n' "$truth") <(printf '%s\n' "$found"))
  if [[ -z $missing && -z $false ]]; then
    echo "ok   $label: $(printf '%s\n' "$truth" | wc -l) edges"
    return
  fi
  echo "FAIL $label: $(printf '%s\n' "$truth" | wc -l) edges in the object"
  [[ -z $missing ]] || printf '%s\n' "$missing" | sed 's/\t/ -> /; s/^/  missing: /'
  [[ -z $false ]] || printf '%s\n' "$false" | sed 's/\t/ -> /; s/^/  false: /'
  failures=$((failures + 1))
}

case $dialect in
  gnu)
    need gcc clang g++ clang++ as objdump c++filt
    for program in shapes.c shapes.cc; do
      case $program in
        *.c) compilers="gcc clang" ;;
        *) compilers="g++ clang++" ;;
      esac
      for cc in $compilers; do
        # clang marks address-taken symbols with a directive GNU as lacks.
        flags=
        [[ $cc == clang* ]] && flags=-fno-addrsig
        # The last is how shared libraries are often built: calls between
        # global functions go to local aliases (gcc's f.localalias, clang's
        # .Lf$local) that cannot be interposed.
        for level in -O0 -O2 "-O2 -fPIC -fno-semantic-interposition"; do
          s=$tmp/${program%.*}.s
          "$cc" -S $level $flags -o "$s" "$here/$program" && as -o "$tmp/a.o" "$s" || {
            echo "FAIL $cc $level $program: does not compile"
            failures=$((failures + 1))
            continue
          }
          compare "$cc $level $program" "$tmp/a.o" "$s" -a
        done
      done
    done
    ;;
  nasm)
    need nasm objdump c++filt
    for program in flat.asm routines.asm; do
      nasm -f elf64 -o "$tmp/a.o" "$here/$program" || {
        echo "FAIL nasm $program: does not assemble"
        failures=$((failures + 1))
        continue
      }
      compare "nasm $program" "$tmp/a.o" "$here/$program"
    done
    ;;
  *)
    echo "usage: check_truth.sh gnu|nasm TELVANOR" >&2
    exit 2
    ;;
esac
[[ $failures -eq 0 ]]
