#!/usr/bin/env bash
# Rewrites the two lists the patched-ranges test pins host addresses with:
#   tests/frame/pinned_spans.inc      every span the option rows name (from the table, built natively)
#   tests/frame/pinned_addresses.inc  every other address a sites header names
# Run it after adding or moving a host address, and read the diff: it is the
# whole change to the game's code that the commit makes.
#   scripts/refresh-pinned.sh [native build folder, default build-native]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-native}"
[ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja >/dev/null
cmake --build "$dir" --target write_pinned_spans >/dev/null
"$dir/write_pinned_spans" > tests/frame/pinned_spans.inc

# `constexpr uint32_t kName = <value>;` where the value is a number or a name
# defined above it, plus or minus a number.
awk '
  function hex(text,   i, total) {
    total = 0
    for (i = 3; i <= length(text); ++i) total = total * 16 + index("0123456789ABCDEF", toupper(substr(text, i, 1))) - 1
    return total
  }
  function value(expression,   parts, n, total, i, sign, term) {
    n = split(expression, parts, " ")
    total = 0; sign = 1
    for (i = 1; i <= n; ++i) {
      term = parts[i]
      if (term == "+") { sign = 1; continue }
      if (term == "-") { sign = -1; continue }
      if (term ~ /^0x/) total += sign * hex(term)
      else if (term in known) total += sign * known[term]
      else { printf "cannot evaluate %s in %s\n", term, FILENAME > "/dev/stderr"; failed = 1; exit 1 }
    }
    return total
  }
  /^constexpr uint32_t k[A-Za-z0-9]+ = [^;]+;/ {
    name = $3
    expression = $0
    sub(/^[^=]*= /, "", expression); sub(/;.*/, "", expression)
    known[name] = value(expression)
    entries[++count] = sprintf("{host::%s, 0x%X}", name, known[name])
  }
  END {
    if (failed) exit 1
    print "// Every other host address the sites headers name, as {name, address}."
    line = "   "
    for (i = 1; i <= count; ++i) {
      if (length(line) + length(entries[i]) + 2 > 118) { print line; line = "   " }
      line = line " " entries[i] ","
    }
    if (count > 0) print line
  }
' patch/*_sites.h fixes/*_sites.h diagnostics/*_sites.h memory/*_sites.h > tests/frame/pinned_addresses.inc
git --no-pager diff --stat -- tests/frame/pinned_spans.inc tests/frame/pinned_addresses.inc
