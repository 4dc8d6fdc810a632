#!/bin/sh
# Compiles calls.c to assembly with the system's C compiler, at -O0 and -O2,
# and checks the calls that telvanor -a finds between its global functions
# against those that the C source shows.
#   usage: check_calls.sh TELVANOR calls.c
# Exits 77 (skipped) when there is no C compiler.
set -u
tool=$1
src=$2
cc=${CC:-cc}
command -v "$cc" >/dev/null 2>&1 || { echo "no C compiler '$cc': skipped"; exit 77; }
dir=$(mktemp -d) || exit 1
trap 'rm -rf "$dir"' EXIT
LC_ALL=C
export LC_ALL

funcs="collatz longest report main"
expected="longest>collatz
main>longest
main>report
report>collatz"

fail=0
for level in -O0 -O2; do
  "$cc" -S $level -o "$dir/calls.s" "$src" || { echo "$cc -S $level failed"; exit 1; }
  found=
  for f in $funcs; do
    # The root and, one level down, every symbol it calls or references.
    out=$(cd "$dir" && "$tool" -a -R "$f" -d 1 calls.s) || { echo "telvanor -a failed"; exit 1; }
    if ! printf '%s\n' "$out" | head -n 1 | grep -Eq "^ *1 $f: \(\), <calls\.s [0-9]+>\$"; then
      echo "$level: $f is not listed as a defined function:"
      printf '%s\n' "$out"
      fail=1
    fi
    for callee in $(printf '%s\n' "$out" | sed -n '2,$s/^ *[0-9]* *\([^ :]*\):.*/\1/p'); do
      case " $funcs " in
        *" $callee "*) found="$found$f>$callee
" ;;
      esac
    done
  done
  found=$(printf '%s' "$found" | sort -u)
  # Every call found must be in the source. Without optimisation every call
  # of the source must be found too; with it, the compiler inlines some and
  # turns calls in tail position into jumps, so only a subset remains.
  extra=$(printf '%s\n' "$found" | grep -vxF "$expected")
  missing=$(printf '%s\n' "$expected" | grep -vxF "$found")
  if [ -n "$extra" ]; then
    echo "$level: calls found that the source does not make:"
    echo "$extra"
    fail=1
  fi
  if [ -z "$found" ] || { [ "$level" = -O0 ] && [ -n "$missing" ]; }; then
    echo "$level: calls of the source not found:"
    echo "$missing"
    fail=1
  fi
  echo "$level:" $found
done
exit $fail
