# Reads what objdump (GNU or LLVM) says about one object file and prints the
# call graph that the machine code really has: one line "caller<TAB>callee"
# for every direct call, and for every jump that lands on the start of another
# function (a tail call). Names are folded to the function they belong to:
# compiler clones (f.part.0, f.cold, f.isra.0, ...) are f; demangling is left
# to the caller.
#
#   awk -v dialect=gnu|nasm -v arch=ARCH -v format=elf|macho|coff \
#       [-v qualify=FILE] [-v datanames=PATH] -f object_calls.awk SYMBOLS DISASSEMBLY
#
# ARCH is x86_64, i386, aarch64, arm or riscv64. SYMBOLS is the output of
# `objdump -h` followed by that of `objdump -t`, DISASSEMBLY that of
# `objdump -dr -w --no-show-raw-insn` for the same object (llvm-objdump's
# for Mach-O).
#
# A call through a slot that the linker or loader fills (the global offset
# table, a PE import address __imp_f) is a call of the function it names.
# The calls that i386 code makes only to learn its own address
# (__x86.get_pc_thunk.*) are none.
#
# With qualify set, a function local to the object (static) is printed as
# "name<FILE>", so that two statics of one name in two files stay apart.
# With datanames set, the file holds one data symbol name a line (from every
# object of the run), and every reference to one of them from a function is
# printed too, as "caller<TAB>name_var".
#
# In NASM a label with one leading dot is local to the label before it and
# the object names it "parent.local"; such a label is a jump target inside a
# routine, never a routine of its own. In compiler output every symbol of a
# code section is a function.

BEGIN {
  if (datanames != "")
    while ((getline line < datanames) > 0) is_data[line] = 1
  # Relocations whose addend objdump shows beside the symbol; elsewhere it
  # sits in the instruction.
  rela = format == "elf" && arch != "i386" && arch != "arm"
}

function hex(s,    i, n) {
  n = 0
  s = tolower(s)
  sub(/^0x/, "", s)
  for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
  return n
}

# f.part.0, f.cold, f.constprop.0.isra.0, f.part.0.cold: all f.
function fold(name) {
  while (match(name, /\.(part|cold|constprop|isra|lto_priv|localalias)(\.[0-9]+)?$/))
    name = substr(name, 1, RSTART - 1)
  return name
}

# The name as the C source spells it, marked with its file when it is static.
function shown(name) {
  name = fold(name)
  if (qualify != "" && (name in static_function)) return name "<" qualify ">"
  if (format == "macho") sub(/^_/, "", name)
  return name
}

function is_local(name,    i) {
  if (substr(name, 1, 1) == ".") return 1
  if (format == "macho" && name ~ /^(ltmp[0-9]+$|l_|L)/) return 1
  if (dialect != "nasm") return 0
  for (i = 2; i < length(name); i++)
    if (substr(name, i, 1) == "." && (substr(name, 1, i - 1) in known)) return 1
  return 0
}

function remember(section, value, name) {
  known[name] = 1
  at = section SUBSEP hex(value)
  # (Tested first: naming the element on the left creates it in some awks.)
  if (at in symbols_at) symbols_at[at] = symbols_at[at] "\n" name
  else symbols_at[at] = name
}

# objdump -h: "  IDX NAME SIZE ...": COFF symbols give the section by number.
FNR == NR && /^ +[0-9]+ [^ ]+ +[0-9a-f]+ / {
  section_named[$1 + 1] = $2
  section_symbol[$2] = 1
  next
}

# COFF: "[  2](sec  1)(fl 0x00)(ty   20)(scl   3) (nx 1) 0x0000000000000000 square".
FNR == NR && /^\[ *[0-9]+\]\(sec +-?[0-9]+\)/ {
  if (!match($0, /\(sec +-?[0-9]+\)/)) next
  number = substr($0, RSTART + 4, RLENGTH - 5) + 0
  if (!(number in section_named) || (($NF) in section_symbol)) next
  if ($0 ~ /\(ty +20\)\(scl +3\)/) static_function[fold($NF)] = 1
  remember(section_named[number], $(NF - 1), $NF)
  next
}

# ELF and Mach-O: VALUE FLAGS SECTION<TAB>SIZE NAME (GNU) or VALUE FLAGS
# SECTION NAME (LLVM), the flags in 7 columns.
FNR == NR {
  if ($0 !~ /^[0-9a-f]+ /) next
  width = index($0, " ")
  flags = substr($0, width + 1, 7)
  rest = substr($0, width + 9)
  tab = index(rest, "\t")
  if (tab == 0) tab = index(rest, " ")
  if (tab == 0) next
  section = substr(rest, 1, tab - 1)
  name = substr(rest, tab + 1)
  if (index(rest, "\t")) sub(/^[0-9a-f]+ +/, "", name)
  sub(/^\.(hidden|internal|protected) /, "", name)  # the symbol's visibility
  if (substr(flags, 6, 1) == "d") {
    section_symbol[name] = 1
    next
  }
  # NASM gives its routines no type: a local symbol of its code is one.
  if (substr(flags, 1, 1) == "l" &&
      (substr(flags, 7, 1) == "F" || (dialect == "nasm" && section == ".text")))
    static_function[fold(name)] = 1
  remember(section, $1, name)
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
/^\t+[0-9a-f]+: +[A-Z_][A-Za-z0-9_]*\t/ {
  sub(/^\t+/, "")
  if (held != "") held = held "\t" $0
  next
}

{ flush() }

/^Disassembly of section / {
  section = substr($0, 24)
  sub(/:$/, "", section)
  owner = ""
  next
}

# A symbol: a function starts, or a local label inside one. Code that no
# function owns comes under a section's name, or under "next-0x8" when no
# symbol at all stands at the start of the section.
/^[0-9a-f]+ <.*>:$/ {
  name = symbol_at(section, hex($1))
  if (name == "") {
    name = $0
    sub(/^[0-9a-f]+ </, "", name)
    sub(/>:$/, "", name)
  }
  if (name ~ /[-+]0x[0-9a-f]+$/ || (name in section_symbol)) owner = ""
  else if (!is_local(name)) owner = name
  next
}

# What a call or jump mnemonic does: "call", "jump" or "" (no branch).
function kind(m) {
  if (arch == "x86_64" || arch == "i386") {
    if (m ~ /^call[lqw]?$/) return "call"
    return m ~ /^j/ ? "jump" : ""
  }
  if (arch == "aarch64") {
    if (m == "bl") return "call"
    return m ~ /^(b|b\.[a-z]+|cbn?z|tbn?z)$/ ? "jump" : ""
  }
  if (arch == "arm") {
    if (m ~ /^b(eq|ne|cs|hs|cc|lo|mi|pl|vs|vc|hi|ls|ge|lt|gt|le|al)?(\.[nw])?$/) return "jump"
    if (m ~ /^blx?(eq|ne|cs|hs|cc|lo|mi|pl|vs|vc|hi|ls|ge|lt|gt|le|al)?(\.[nw])?$/) return "call"
    return m ~ /^cbn?z$/ ? "jump" : ""
  }
  if (m == "jal") return "call"
  return m ~ /^(j|b(eq|ne|lt|ge|ltu|geu|gt|le|gtu|leu|eqz|nez|lez|gez|ltz|gtz))$/ ? "jump" : ""
}

# An instruction: "ADDR:<TAB>MNEMONIC OPERANDS" (the operands after spaces
# or a tab), then for each relocation "<TAB>ADDR: TYPE<TAB>TARGET".
function instruction(line,    n, field, i, insn, mnemonic, operand, how, target, type, reloc,
                     where, shown_at, offset, addend, slot) {
  n = split(line, field, "\t")
  insn = ""
  for (i = 2; i <= n; i++) {
    if (field[i] ~ /^ *[0-9a-f]+: +[A-Z_][A-Za-z0-9_]*$/) {
      # The first relocation that names a target: RISC-V pairs R_RISCV_RELAX
      # and Mach-O ARM64_RELOC_ADDEND with another.
      if (type == "" && field[i] !~ /RELAX|ADDEND/) {
        type = field[i]
        where = hex(substr(type, 1, index(type, ":") - 1))
        sub(/^[^:]*: +/, "", type)
        reloc = field[i + 1]
      }
      i++
    } else insn = insn (insn == "" ? "" : " ") field[i]
  }
  sub(/^(bnd|notrack|rex\.W) +/, "", insn)
  mnemonic = insn
  sub(/ .*/, "", mnemonic)
  operand = insn
  sub(/^[^ ]+ */, "", operand)
  how = kind(mnemonic)
  if (arch == "riscv64" && mnemonic == "auipc" && type ~ /^R_RISCV_CALL/)
    how = operand ~ /^ra,/ ? "call" : "jump"
  if (owner == "") return
  if (type != "" && datanames != "") data_reference(type, reloc)
  if (how == "") return
  slot = substr(operand, 1, 1) == "*"
  # Through a register or memory, or through a slot that the linker fills.
  if (slot && !(type ~ /GOT/ && type !~ /GOTOFF/ || reloc ~ /^__imp_/)) return
  if (!slot && mnemonic != "auipc") {
    if (!match(operand, /(^|[ ,])(0x)?[0-9a-f]+ <[^>]*>$/)) return  # through a register
    shown_at = substr(operand, RSTART, RLENGTH)
    sub(/^[ ,]/, "", shown_at)
    sub(/ .*/, "", shown_at)
    shown_at = hex(shown_at)
  }
  target = ""
  if (type != "") {
    # Not yet resolved: the relocation names the target, either a symbol or
    # a section plus an offset.
    offset = 0
    if (match(reloc, /[-+]0x[0-9a-f]+$/)) {
      addend = hex(substr(reloc, RSTART + 3))
      offset = substr(reloc, RSTART, 1) == "-" ? -addend : addend
      reloc = substr(reloc, 1, RSTART - 1)
    }
    sub(/@.*/, "", reloc)
    if (slot) {
      sub(/^__imp_/, "", reloc)
      offset = 0
    } else if (arch == "x86_64" && format == "elf") {
      # The field is the last 4 bytes of the instruction (1 for a short
      # jump), so the target lies that far past what the addend says.
      offset += type ~ /PC8/ ? 1 : 4
    } else if (format == "macho") {
      offset = 0
    } else if (format == "coff") {
      offset = shown_at - where - 4
    } else if (!rela) {
      # The addend sits in the instruction: objdump shows it as the target.
      offset = shown_at - where
      if (arch == "arm" && !(reloc in section_symbol)) offset = 0
    }
    if (reloc in section_symbol) target = symbol_at(reloc, offset)
    else if (offset == 0) target = reloc
  } else if (!slot) {
    # Resolved by the assembler: the symbol at that address, if one starts
    # there.
    target = symbol_at(section, shown_at)
    if (target == "" && match(operand, /<[^>+]*>$/)) target = substr(operand, RSTART + 1, RLENGTH - 2)
  }
  if (target == "" || is_local(target) || target ~ /^__x86\.get_pc_thunk\./) return
  # A jump from a function to its own start or to one of its own parts
  # stays inside it.
  if (how == "jump" && fold(target) == fold(owner)) return
  print shown(owner) "\t" shown(target)
}

# A reference from code to a data symbol of the run.
function data_reference(type, reloc,    offset, name) {
  name = reloc
  offset = 0
  if (match(name, /[-+]0x[0-9a-f]+$/)) {
    offset = hex(substr(name, RSTART + 3))
    if (substr(name, RSTART, 1) == "-") offset = -offset
    name = substr(name, 1, RSTART - 1)
  }
  sub(/@.*/, "", name)
  if (name in section_symbol) name = symbol_at(name, offset + (arch == "x86_64" ? 4 : 0))
  if ((name in is_data) && !is_local(name)) print shown(owner) "\t" shown(name) "_var"
}

function flush() {
  if (held != "") instruction(held)
  held = ""
}

/^ *[0-9a-f]+: *\t/ { held = $0 }

END { flush() }
