#!/usr/bin/env python3
"""Writes the benchmark inputs of telvanor into a scratch directory.

Realistic inputs, in both dialects, at several sizes:
  nasm-<N>M.asm      hand-written-looking NASM modules, names renamed per copy
  nasm-rep-<N>M.asm  the same modules with only 16 suffixes, so that names
                     repeat: lookups hit and names are defined many times
  gnu-<N>M.s         bundled C programs compiled with the system compiler
                     (cc -S), names renamed per copy
  gnu-rep-<N>M.s     the same with names repeated
Synthetic graphs:
  graph-200k.asm     200,000 functions with 5 calls each to random functions
  chain-1M.asm       1,000,000 functions, each calling the next

Everything is deterministic (fixed seeds), so two runs write the same bytes.
"""

import argparse
import os
import random
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
MARK = "\x01"  # stands for the per-copy suffix in a template
REPEAT_SETS = 16  # name sets of the repeated-names variants

# ---------------------------------------------------------------- GNU syntax

GNU_BUILDS = [
    ["-O2"],
    ["-O0", "-Dstatic="],
    ["-O1", "-Dstatic="],
]


def gnu_templates():
    """Compiles the bundled C programs; returns templates with MARK suffixes."""
    srcdir = os.path.join(HERE, "src")
    sources = sorted(f for f in os.listdir(srcdir) if f.endswith(".c"))
    templates = []
    with tempfile.TemporaryDirectory() as tmp:
        for src in sources:
            for flags in GNU_BUILDS:
                out = os.path.join(tmp, "out.s")
                cmd = ["cc", "-S", *flags, "-o", out, os.path.join(srcdir, src)]
                subprocess.run(cmd, check=True)
                with open(out) as f:
                    templates.append(gnu_mark(f.read()))
    return templates


def gnu_mark(text):
    """Appends MARK to every name the assembly file defines."""
    names = set(re.findall(r"^([A-Za-z_]\w*)(?:\.\w+)*:", text, re.M))
    names |= set(re.findall(r"^\s*\.(?:comm|local|globl|global)\s+([A-Za-z_]\w*)", text, re.M))
    if not names:
        return text
    pattern = re.compile(r"\b(" + "|".join(sorted(names, key=len, reverse=True)) + r")\b")
    return pattern.sub(lambda m: m.group(1) + MARK, text)


# --------------------------------------------------------------- NASM syntax

VERBS = ["init", "push", "pop", "find", "insert", "remove", "free", "len", "cmp", "copy",
         "next", "parse", "emit", "hash", "grow", "reset", "load", "store", "scan", "flush"]
NOUNS = ["list", "vec", "str", "buf", "node", "tree", "map", "queue", "token", "frame",
         "page", "cache", "table", "entry", "block", "record", "stream", "lexer"]
DATA = ["counter", "table", "msg", "names", "limits", "state", "prompt", "lookup", "scratch",
        "header", "offsets", "digits", "errtext", "config", "total"]
EXTERNS = ["printf", "malloc", "free", "memcpy", "strlen", "puts", "exit", "memset"]
REGS = ["rax", "rbx", "rcx", "rdx", "rsi", "rdi", "r8", "r9", "r10", "r11", "r12", "eax",
        "ebx", "ecx", "edx", "esi", "edi", "r8d", "r9d"]


def nasm_template(rng):
    """One module: data, bss and 8 to 20 functions, with MARK after its names."""
    S = MARK
    out = []
    nfuncs = rng.randint(8, 20)
    funcs = []
    while len(funcs) < nfuncs:
        name = f"{rng.choice(NOUNS)}_{rng.choice(VERBS)}"
        if name not in funcs:
            funcs.append(name)
    data = rng.sample(DATA, rng.randint(3, 7))
    out.append(f"; module of {nfuncs} functions")
    out.append("extern " + ", ".join(EXTERNS))
    out.append("default rel")
    out.append("")
    out.append("section .data")
    for d in data:
        kind = rng.randrange(4)
        if kind == 0:
            out.append(f"{d}{S}: dd {', '.join(str(rng.randrange(1000)) for _ in range(4))}")
        elif kind == 1:
            out.append(f'{d}{S} db "{rng.choice(NOUNS)} {rng.choice(VERBS)}: %d", 10, 0')
        elif kind == 2:
            out.append(f"{d}{S}:")
            for _ in range(rng.randint(1, 3)):
                out.append(f"    dq {rng.randrange(1 << 20)}, {rng.randrange(1 << 20)}")
        else:
            out.append(f"{d}{S} times 16 db 0 ; zeroed")
    out.append("")
    out.append("section .bss")
    out.append(f"buffer{S} resb 4096")
    out.append(f"slots{S}: resq 64")
    out.append("")
    out.append("section .text")
    datarefs = data + ["buffer", "slots"]
    for i, f in enumerate(funcs):
        out.append("")
        out.append(f"; {f.replace('_', ' ')}: {rng.choice(VERBS)}s the {rng.choice(NOUNS)}")
        out.append(f"global {f}{S}")
        out.append(f"{f}{S}:")
        out.append("    push rbp")
        out.append("    mov rbp, rsp")
        out.append(f"    sub rsp, {rng.choice([16, 32, 48, 64])}")
        for _ in range(rng.randint(6, 22)):
            k = rng.randrange(12)
            r1, r2 = rng.choice(REGS), rng.choice(REGS)
            if k == 0:
                out.append(f"    call {rng.choice(funcs)}{S}")
            elif k == 1:
                out.append(f"    call {rng.choice(EXTERNS)}")
            elif k == 2:
                out.append(f"    mov {r1}, [{rng.choice(datarefs)}{S}]")
            elif k == 3:
                out.append(f"    lea rdi, [rel {rng.choice(datarefs)}{S}]")
            elif k == 4:
                out.append(f"    mov {r1}, {r2}")
            elif k == 5:
                out.append(f"    add {r1}, qword [{r2}+{8 * rng.randrange(8)}]")
            elif k == 6:
                out.append(f"    cmp {r1}, {rng.randrange(256)}")
                out.append(f"    jge .l{rng.randrange(4)}")
            elif k == 7:
                out.append(f".l{rng.randrange(4)}:")
            elif k == 8:
                out.append(f"    movzx eax, byte [{r1}+{r2}]  ; next byte")
            elif k == 9:
                out.append(f"    xor {r1}, {r1}")
            elif k == 10:
                out.append(f"    mov qword [rbp-{8 * rng.randrange(1, 6)}], {r1}")
            else:
                out.append(f"    test {r1}, {r1}")
                out.append(f"    jz .done{S}_{i}")
        out.append(f".done{S}_{i}:")
        out.append("    leave")
        out.append("    ret")
    out.append("")
    return "\n".join(out) + "\n"


# ------------------------------------------------------------------- writing


def write_copies(path, templates, size, repeat):
    """Concatenates renamed copies of the templates until `size` bytes."""
    written = 0
    k = 0
    with open(path, "w") as f:
        while written < size:
            t = templates[k % len(templates)]
            suffix = f"_{k % REPEAT_SETS if repeat else k}"
            text = t.replace(MARK, suffix)
            f.write(text)
            written += len(text)
            k += 1


def write_graph(path, nfuncs, ncalls, seed):
    rng = random.Random(seed)
    with open(path, "w") as f:
        f.write("section .text\n")
        for i in range(nfuncs):
            name = "main" if i == 0 else f"fn{i}"
            lines = [f"global {name}", f"{name}:"]
            for _ in range(ncalls):
                t = rng.randrange(1, nfuncs)
                lines.append(f"    call fn{t}")
            lines.append("    ret")
            f.write("\n".join(lines) + "\n")


def write_chain(path, nfuncs):
    with open(path, "w") as f:
        f.write("section .text\n")
        chunk = []
        for i in range(nfuncs):
            name = "main" if i == 0 else f"fn{i}"
            chunk.append(f"global {name}\n{name}:\n")
            if i + 1 < nfuncs:
                chunk.append(f"    call fn{i + 1}\n")
            chunk.append("    ret\n")
            if len(chunk) > 30000:
                f.write("".join(chunk))
                chunk = []
        f.write("".join(chunk))


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.environ.get("TELVANOR_BENCH_DIR",
                                                    os.path.join(tempfile.gettempdir(),
                                                                 "telvanor-bench")))
    ap.add_argument("--sizes", default="1,10,100", help="sizes in MB, comma-separated")
    ap.add_argument("--smoke", action="store_true", help="tiny inputs only")
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)

    if args.smoke:
        sizes = [("s1", 20_000), ("s10", 200_000)]
        graph, chain = ("graph-2k.asm", 2000), ("chain-10k.asm", 10_000)
    else:
        sizes = [(f"{s}M", int(float(s) * 1_000_000)) for s in args.sizes.split(",")]
        graph, chain = ("graph-200k.asm", 200_000), ("chain-1M.asm", 1_000_000)

    rng = random.Random(6)
    nasm = [nasm_template(rng) for _ in range(32)]
    gnu = gnu_templates()
    for tag, size in sizes:
        for name, templates, repeat in [
            (f"nasm-{tag}.asm", nasm, False),
            (f"nasm-rep-{tag}.asm", nasm, True),
            (f"gnu-{tag}.s", gnu, False),
            (f"gnu-rep-{tag}.s", gnu, True),
        ]:
            path = os.path.join(args.out, name)
            write_copies(path, templates, size, repeat)
            print(path, file=sys.stderr)
    path = os.path.join(args.out, graph[0])
    write_graph(path, graph[1], 5, 200)
    print(path, file=sys.stderr)
    path = os.path.join(args.out, chain[0])
    write_chain(path, chain[1])
    print(path, file=sys.stderr)


if __name__ == "__main__":
    main()
