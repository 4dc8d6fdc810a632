#!/usr/bin/env bash
# Turns every end-to-end case under tests/cases into a seed for the fuzzer:
# the options on the first line, then the operand files separated by "%%"
# lines. Writes the seeds into the directory given (default fuzz/corpus).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dest="${1:-$root/fuzz/corpus}"
mkdir -p "$dest"
for dir in "$root"/tests/cases/*/; do
  name="$(basename "$dir")"
  opts=()
  files=()
  if [[ -f "$dir/args" ]]; then
    while IFS= read -r arg || [[ -n "$arg" ]]; do
      if [[ -n "$arg" && -f "$dir/$arg" ]]; then files+=("$dir/$arg"); else opts+=("$arg"); fi
    done <"$dir/args"
  fi
  (( ${#files[@]} )) || continue
  {
    printf '%s\n' "${opts[*]}"
    for i in "${!files[@]}"; do
      (( i == 0 )) || printf '%%%%\n'
      cat "${files[$i]}"
      [[ -z "$(tail -c 1 "${files[$i]}")" ]] || printf '\n'
    done
  } >"$dest/case-$name"
done
