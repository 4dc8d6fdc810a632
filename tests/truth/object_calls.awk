# Reads what objdump says about one object file and prints the call graph
# that the machine code really has: one line "caller<TAB>callee" for every
# direct call, and for every jump that lands on the start of another function
# (a tail call). Names are folded to the function they belong to: compiler
# clones (f.part.0, f.cold, f.isra.0, ...) are f; demangling is left to the
# caller.
#
#   awk -v dialect=gnu|nasm -f object_calls.awk SYMBOLS DISASSEMBLY
#
# SYMBOLS is the output of `objdump -t`, DISASSEMBLY that of
# `objdump -dr -w --no-show-raw-insn` for the same object.
#
# In NASM a label with one leading dot is local to the label before it and
# the object names it "parent.local"; such a label is a jump target inside a
# routine, never a routine of its own. In compiler output every symbol of a
# code section is a function.

function hex(s,    i, n) {
  n = 0
  s = tolower(s)
  for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
  return n
}

# f.part.0, f.cold, f.constprop.0.isra.0, f.part.0.cold: all f.
function fold(name) {
  while (match(name, /\.(part|cold|constprop|isra|lto_priv|localalias)(\.[0-9]+)?$/))
    name = substr(name, 1, RSTART - 1)
  return name
}

function is_local(name,    i) {
  if (substr(name, 1, 1) == ".") return 1
  if (dialect != "nasm") return 0
  for (i = 2; i < length(name); i++)
    if (substr(name, i, 1) == "." && (substr(name, 1, i - 1) in known)) return 1
  return 0
}

# objdump -t: VALUE FLAGS SECTION<TAB>SIZE NAME, the flags in 7 columns.
FNR == NR {
  if ($0 !~ /^[0-9a-f]+ /) next
  flags = substr($0, 18, 7)
  rest = substr($0, 26)
  tab = index(rest, "\t")
  if (tab == 0) next
  section = substr(rest, 1, tab - 1)
  name = substr(rest, tab + 1)
  sub(/^[0-9a-f]+ +/, "", name)
  if (substr(flags, 6, 1) == "d") {
    section_symbol[name] = 1
    next
  }
  known[name] = 1
  at = section SUBSEP hex($1)
  # (Tested first: naming the element on the left creates it in some awks.)
  if (at in symbols_at) symbols_at[at] = symbols_at[at] "\n" name
  else symbols_at[at] = name
  next
}

# The symbol at an address of a section. Of two names at one address (f and
# f.localalias, a routine and its first local label) the first that is no
# local label.
function symbol_at(section, offset,    n, name, i) {
  if (!((section SUBSEP offset) in symbols_at)) return ""
  n = split(symbols_at[section, offset], name, "\n")
  for (i = 1; i <= n; i++)
    if (!is_local(name[i])) return name[i]
  return name[1]
}

# A relocation on a line of its own belongs to the instruction before it;
# anything else ends that instruction.
/^\t+[0-9a-f]+: R_/ {
  sub(/^\t+/, "")
  if (held != "") held = held "\t" $0
  next
}

{ flush() }

/^Disassembly of section / {
  section = $4
  sub(/:$/, "", section)
  owner = ""
  next
}

# A symbol: a function starts, or (NASM) a local label inside one. Code that
# no function owns comes under a name that begins with a dot (a section, a
# local label before any routine), or under "next-0x8" when no symbol at all
# stands at the start of the section.
/^[0-9a-f]+ <.*>:$/ {
  name = $0
  sub(/^[0-9a-f]+ </, "", name)
  sub(/>:$/, "", name)
  if (name ~ /[-+]0x[0-9a-f]+$/ || substr(name, 1, 1) == ".") owner = ""
  else if (!is_local(name)) owner = name
  next
}

# An instruction: "  ADDR:<TAB>MNEMONIC OPERANDS[<TAB>ADDR: RELOC<TAB>TARGET]".
# Some objdump versions write the relocation on a line of its own even with
# -w; it is joined to its instruction before the instruction is read.
function instruction(line,    n, field, insn, mnemonic, operand, target, reloc, offset, addend) {
  n = split(line, field, "\t")
  insn = field[2]
  sub(/^(bnd|notrack) +/, "", insn)
  mnemonic = insn
  sub(/ .*/, "", mnemonic)
  if (mnemonic != "call" && mnemonic != "callq" && mnemonic !~ /^j/) return
  operand = insn
  sub(/^[^ ]+ +/, "", operand)
  if (operand !~ /^[0-9a-f]+ </) return  # through a register or memory
  target = ""
  if (n >= 4 && field[3] ~ /: R_X86_64_/) {
    # Not yet resolved: the relocation names the target, either a symbol or
    # a section plus an offset. The field is the last 4 bytes of the
    # instruction (1 for a short jump), so the target lies that far past
    # what the addend says.
    reloc = field[4]
    offset = field[3] ~ /PC8/ ? 1 : 4
    if (match(reloc, /[-+]0x[0-9a-f]+$/)) {
      addend = hex(substr(reloc, RSTART + 3))
      offset += substr(reloc, RSTART, 1) == "-" ? -addend : addend
      reloc = substr(reloc, 1, RSTART - 1)
    }
    sub(/@.*/, "", reloc)
    if (reloc in section_symbol) {
      target = symbol_at(reloc, offset)
    } else if (offset == 0) {
      target = reloc
    }
  } else if (match(operand, /<[^>+]*>$/)) {
    # Resolved by the assembler; objdump names the symbol at that address,
    # with "+0x..." when the target is inside it.
    target = substr(operand, RSTART + 1, RLENGTH - 2)
  }
  if (owner == "" || target == "" || is_local(target)) return
  # A jump from a function to its own start or to one of its own parts
  # stays inside it.
  if (mnemonic ~ /^j/ && fold(target) == fold(owner)) return
  print fold(owner) "\t" fold(target)
}

function flush() {
  if (held != "") instruction(held)
  held = ""
}

/^ *[0-9a-f]+:\t/ { held = $0 }

END { flush() }
