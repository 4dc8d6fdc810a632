#!/usr/bin/env bash
# Checks the call graph of telvanor -p against the one the machine code has.
# Each program here is turned into assembly for one instruction set and
# object format (by the C and C++ compilers of the set, at -O0, -O2 and the
# set's other levels; as written for NASM), assembled, and every direct call
# and tail jump read back from the object with objdump. telvanor must find
# every one of those edges and no other.
#   usage: check_truth.sh SET TELVANOR
# SET is nasm or one of the rows of the table below; statics and data read
# the two files pair_a.c and pair_b.c in one run, in both orders: statics
# compares the tree listing, where each static is told apart by its file,
# and data compares the digraph with -i x, data references included.
# Exits 77 (skipped) when a tool is missing, unless CI is set: there a
# missing tool is a failure.
set -u
set=$1 tool=$(realpath "$2") || exit 2
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
LC_ALL=C
export LC_ALL

# The sets (or SET/PROGRAM) that -p does not read yet. Each still runs and
# prints the recall and precision it reaches and "KNOWN GAP", but passes; the
# change that teaches -p one takes it off this list.
known_gaps="
"
gap() {
  [[ $known_gaps == *[[:space:]]"$set"[[:space:]]* ||
    $known_gaps == *[[:space:]]"$set/${program:-}"[[:space:]]* ]]
}

# One row per set: the C and C++ compilers, their flags, the optimisation
# levels, the assembler ("as", or "cc": the compiler's own driver), the
# objdump, the instruction set and object format for object_calls.awk, and
# the programs.
macos="-nostdinc -isystem $here/libc -Wno-stdlibcxx-not-found"
row() {
  case $set in
    gnu) cc="gcc clang" cxx="g++ clang++" flags= levels="-O0|-O2|-O2 -fPIC -fno-semantic-interposition" ;;
    intel) cc="gcc clang" cxx="g++ clang++" flags=-masm=intel levels="-O0|-O2" ;;
    noplt) cc="gcc clang" cxx="g++" flags=-fno-plt levels="-O0|-O2|-O2 -fPIC|-O2 -masm=intel" ;;
    pg) cc="gcc" cxx="g++" flags="-pg -fPIE" levels="-O0|-O2|-O2 -mfentry" ;;
    i386) cc=i686-linux-gnu-gcc cxx=i686-linux-gnu-g++ flags= levels="-O0|-O2|-O2 -fPIC" ;;
    aarch64) cc=aarch64-linux-gnu-gcc cxx=aarch64-linux-gnu-g++ flags= levels="-O0|-O2" ;;
    arm) cc=arm-linux-gnueabihf-gcc cxx=arm-linux-gnueabihf-g++ flags=-marm levels="-O0|-O2" ;;
    thumb) cc=arm-linux-gnueabihf-gcc cxx=arm-linux-gnueabihf-g++ flags=-mthumb levels="-O0|-O2" ;;
    riscv64) cc=riscv64-linux-gnu-gcc cxx=riscv64-linux-gnu-g++ flags= levels="-O0|-O2" ;;
    mingw) cc=x86_64-w64-mingw32-gcc cxx=x86_64-w64-mingw32-g++ flags= levels="-O0|-O2" ;;
    macho-arm64 | macho-x86_64)
      cc=clang cxx=clang++ flags="--target=${set#macho-}-apple-macos $macos" levels="-O0|-O2" ;;
    statics | data) cc="gcc clang" cxx= flags= levels="-O0|-O2" ;;
    *)
      echo "usage: check_truth.sh SET TELVANOR" >&2
      exit 2
      ;;
  esac
  programs="shapes.c shapes.cc" assembler=cc objdump=objdump arch=x86_64 format=elf
  case $set in
    gnu | intel | noplt | pg) assembler=as ;;
    i386) arch=i386 objdump=i686-linux-gnu-objdump ;;
    aarch64 | riscv64) arch=$set objdump=$set-linux-gnu-objdump ;;
    arm | thumb) arch=arm objdump=arm-linux-gnueabihf-objdump ;;
    mingw) format=coff objdump=x86_64-w64-mingw32-objdump ;;
    macho-*) arch=${set#macho-} format=macho objdump=llvm-objdump ;;
  esac
  [[ $set == macho-arm64 ]] && arch=aarch64
}

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
# A second argument marks the object's statics with that file name; with
# $datanames set, references to those data symbols are edges too.
object_edges() {
  local dump=(-dr -w --no-show-raw-insn)
  [[ $objdump == llvm-objdump ]] && dump=(-d -r --no-show-raw-insn)
  awk -v dialect="$set" -v arch="$arch" -v format="$format" -v qualify="${2:-}" \
    -v datanames="${datanames:-}" -f "$here/object_calls.awk" \
    <("$objdump" -h "$1"; "$objdump" -t "$1") <("$objdump" "${dump[@]}" "$1") | c++filt | sort -u
}

# The edges "caller<TAB>callee" of a digraph, each end named by its node's
# label (a data node's with "_var" after it): an id may differ from the name
# it stands for. Ids and labels may be quoted, with \" and \\ inside.
dot_edges() {
  awk '
    function id(    s, c) {
      if (substr(line, pos, 1) != "\"") {
        s = substr(line, pos)
        sub(/[ ;,\]].*/, "", s)
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
      if (substr(line, pos, 4) == " -> ") {
        pos += 4
        edge[++edges] = from
        to[edges] = id()
      } else if (substr(line, pos, 8) == " [label=") {
        pos += 8
        name[from] = id()
        if (substr(line, pos) ~ /shape=box/) name[from] = name[from] "_var"
      }
    }
    END {
      for (i = 1; i <= edges; i++) print name[edge[i]] "\t" name[to[i]]
    }' | sort -u
}

# The edges of a tree listing of the whole graph, each name that is static in
# the object of the file its line gives followed by "<FILE>" (STATICS holds
# them so, one a line). A name's caller is the nearest line above that ends
# further left.
tree_edges() {
  awk -v statics="$1" '
    BEGIN { while ((getline name < statics) > 0) static[name] = 1 }
    match($0, /: (\(\), )?<[^<>]*>$/) {
      place = substr($0, RSTART, RLENGTH)
      sub(/^[^<]*</, "", place)
      sub(/ [0-9-]+>$|>$/, "", place)
      head = substr($0, 1, RSTART - 1)
      end = length(head)
      sub(/^ *[0-9]+ +/, "", head)
      name = (head "<" place ">") in static ? head "<" place ">" : head
      while (depth > 0 && ends[depth] >= end) depth--
      if (depth > 0) print names[depth] "\t" name
      ends[++depth] = end
      names[depth] = name
    }' | sort -u
}

failures=0 gaps=0
# compare LABEL TRUTH FOUND: TRUTH and FOUND hold edges one a line.
compare() {
  local label=$1 truth=$2 found=$3 missing false n hits
  if [[ -z $truth ]]; then
    echo "FAIL $label: no call read from the object"
    failures=$((failures + 1))
    return
  fi
  missing=$(comm -23 <(printf '%s\n' "$truth") <(printf '%s\n' "$found"))
  false=$(comm -13 <(printf '%s\n' "$truth") <(printf '%s\n' "$found"))
  n=$(printf '%s\n' "$truth" | wc -l)
  if [[ -s $tmp/failed ]]; then
    echo "FAIL $label: $(cat "$tmp/failed")"
    rm -f "$tmp/failed"
    failures=$((failures + 1))
    return
  fi
  if [[ -z $missing && -z $false ]]; then
    echo "ok   $label: $n edges"
    return
  fi
  hits=$(comm -12 <(printf '%s\n' "$truth") <(printf '%s\n' "$found") | wc -l)
  if gap; then
    echo "KNOWN GAP $label: $n edges, recall $((100 * hits / n))%," \
      "precision $((100 * hits / ($(printf '%s\n' "$found" | grep -c .) + (hits == 0))))%"
    gaps=$((gaps + 1))
    return
  fi
  echo "FAIL $label: $n edges in the object"
  [[ -z $missing ]] || printf '%s\n' "$missing" | sed 's/\t/ -> /; s/^/  missing: /'
  [[ -z $false ]] || printf '%s\n' "$false" | sed 's/\t/ -> /; s/^/  false: /'
  failures=$((failures + 1))
}

# run_dot ASSEMBLY... : the edges telvanor -p finds. A root that no symbol
# bears: the digraph then holds every edge, not only those reachable from
# main (-p warns of that root on standard error).
run_dot() {
  local options=-a
  [[ $set == nasm ]] && options=
  [[ $set == data ]] && options="-a -i x"
  "$tool" -p $options -g -i _ -R - "$@" >"$tmp/dot" 2>/dev/null || echo "telvanor -p failed" >"$tmp/failed"
  dot_edges <"$tmp/dot"
}

# build COMPILER LEVEL PROGRAM NAME: NAME.s and NAME.o in $tmp.
build() {
  local cc=$1 level=$2 program=$3 name=$tmp/$4 f=$flags
  # clang marks address-taken symbols with a directive GNU as lacks.
  [[ $cc == clang* && $assembler == as ]] && f="$f -fno-addrsig"
  "$cc" -S $level $f -o "$name.s" "$here/$program" || return 1
  if [[ $assembler == as ]]; then
    as -o "$name.o" "$name.s"
  else
    "$cc" $f -c -o "$name.o" "$name.s"
  fi
}

finish() {
  program=
  if [[ $gaps -eq 0 && $failures -eq 0 && $known_gaps == *[[:space:]]"$set"[[:space:]/]* ]]; then
    echo "$set is listed as a known gap but every row holds: take it off the list"
  fi
  [[ $failures -eq 0 ]]
  exit
}

if [[ $set == nasm ]]; then
  need nasm objdump c++filt
  for program in flat.asm routines.asm got.asm; do
    nasm -f elf64 -o "$tmp/a.o" "$here/$program" || {
      echo "FAIL nasm $program: does not assemble"
      failures=$((failures + 1))
      continue
    }
    compare "nasm $program" "$(arch=x86_64 format=elf objdump=objdump object_edges "$tmp/a.o")" \
      "$(run_dot "$here/$program")"
  done
  # Three files read as one program, in both orders: the statics are the
  # objects' local symbols in code.
  cd "$here" || exit 1
  truth= : >"$tmp/statics"
  for f in statics_a statics_b statics_c; do
    nasm -f elf64 -o "$tmp/$f.o" "$f.asm" || echo "does not assemble" >"$tmp/failed"
    objdump -t "$tmp/$f.o" | awk -v f="$f.asm" '$2 == "l" && $3 == ".text" { print $NF "<" f ">" }' \
      >>"$tmp/statics"
    truth+=$(arch=x86_64 format=elf objdump=objdump object_edges "$tmp/$f.o" "$f.asm")$'\n'
  done
  truth=$(printf '%s' "$truth" | sort -u)
  for order in "statics_a statics_b statics_c" "statics_c statics_b statics_a"; do
    # shellcheck disable=SC2046
    "$tool" -p -i _ -R - $(printf '%s.asm ' $order) >"$tmp/tree" 2>/dev/null ||
      echo "telvanor -p failed" >"$tmp/failed"
    compare "nasm $order" "$truth" "$(tree_edges "$tmp/statics" <"$tmp/tree")"
  done
  cd - >/dev/null || exit 1
  finish
fi

row
need $cc $cxx $objdump c++filt
[[ $assembler == as ]] && need as
IFS='|' read -r -a level_list <<<"$levels"
if [[ $set == statics || $set == data ]]; then
  for cc in $cc; do
    for level in "${level_list[@]}"; do
      build "$cc" "$level" pair_a.c a && build "$cc" "$level" pair_b.c b || {
        echo "FAIL $set $cc $level: does not compile"
        failures=$((failures + 1))
        continue
      }
      cd "$tmp" || exit 1
      if [[ $set == data ]]; then
        datanames=$tmp/data
        for o in a.o b.o; do
          "$objdump" -t "$o" | awk '$3 == "O" { print $NF }'
        done | sort -u >"$datanames"
        truth=$(cat <(object_edges a.o) <(object_edges b.o) | sort -u)
        compare "$set $cc $level a b" "$truth" "$(run_dot a.s b.s)"
        compare "$set $cc $level b a" "$truth" "$(run_dot b.s a.s)"
      else
        for o in a b; do
          "$objdump" -t "$o.o" | awk -v f="$o.s" '$2 == "l" && $3 == "F" { print $NF "<" f ">" }'
        done | sort -u >"$tmp/statics"
        truth=$(cat <(object_edges a.o a.s) <(object_edges b.o b.s) | sort -u)
        for order in "a.s b.s" "b.s a.s"; do
          "$tool" -p -a -i _ -R - $order >"$tmp/tree" 2>/dev/null || echo "telvanor -p failed" >"$tmp/failed"
          compare "$set $cc $level ${order//.s/}" "$truth" "$(tree_edges "$tmp/statics" <"$tmp/tree")"
        done
      fi
      cd - >/dev/null || exit 1
    done
  done
  finish
fi

for program in $programs; do
  case $program in
    *.c) compilers=$cc ;;
    *) compilers=$cxx ;;
  esac
  for cc in $compilers; do
    for level in "${level_list[@]}"; do
      build "$cc" "$level" "$program" a || {
        echo "FAIL $set $cc $level $program: does not compile"
        failures=$((failures + 1))
        continue
      }
      compare "$set $cc $level $program" "$(object_edges "$tmp/a.o")" "$(run_dot "$tmp/a.s")"
    done
  done
done
finish
