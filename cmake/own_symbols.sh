#!/usr/bin/env bash
# The DLL's own-symbol table (diagnostics/own_symbols.h), built from a first
# link of the DLL, and the check that the second link kept its code.
#   own_symbols.sh generate <first-link.dll> <entries.inc> <own_symbols.h> <plugin objects>...
#   own_symbols.sh compare <first-link.dll> <final.dll>
set -euo pipefail
tools=i686-w64-mingw32

if [ "$1" = compare ]; then
  # The code section's bytes, and the sections' addresses and sizes.
  layout() { $tools-objdump -h "$1" | awk '$2 ~ /^\./ {print $2, $3, $4}'; }
  code() { $tools-objcopy -O binary --only-section=.text "$1" "$2"; }
  scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT
  code "$2" "$scratch/first"; code "$3" "$scratch/final"
  if ! cmp -s "$scratch/first" "$scratch/final" || [ "$(layout "$2")" != "$(layout "$3")" ]; then
    echo "own_symbols: the second link moved the DLL's code; the table no longer matches it" >&2
    exit 1
  fi
  exit 0
fi

dll=$2 out=$3 header=$4
shift 4
capacity_of() { echo $(( $(sed -n "s/^constexpr uint32_t $1 = \(.*\);$/\1/p" "$header") )); }
base=$((16#$($tools-objdump -p "$dll" | awk '$1 == "ImageBase" {print $2}')))

# Every function's start, so that an address in the static runtime is not
# taken for the plugin function before it; names only for the plugin's own
# functions (those its objects define), demangled without parameters, the
# leading underscore of C names, the stdcall suffix and the anonymous
# namespace dropped.
functions='($2 == "T" || $2 == "t") && $3 !~ /^\./'  # not the section symbols
own=$($tools-nm --defined-only "$@" | awk "$functions {print \$3}" | sort -u)
symbols=$($tools-nm --defined-only "$dll" | awk "$functions {print \$1, \$3}" | sort -s -u -k1,1 |
          awk 'NR == FNR {own[$1] = 1; next} {print $1, ($2 in own) ? $2 : "-"}' <(echo "$own") -)
paste -d' ' <(cut -d' ' -f1 <<<"$symbols" | while read -r a; do printf '0x%X\n' $((16#$a - base)); done) \
      <(cut -d' ' -f2 <<<"$symbols" | $tools-c++filt -p |
        sed -e 's/^-$//' -e 's/^_//' -e 's/@[0-9]*$//' -e 's/(anonymous namespace):://g') |
  awk -v entries="$(capacity_of kOwnSymbolCapacity)" -v bytes="$(capacity_of kOwnSymbolNamesCapacity)" '
    # A name that would need escaping in C (a literal operator) stays out.
    { offset[NR] = $1; sub(/^[^ ]* ?/, ""); name[NR] = $0 ~ /["\\]/ ? "" : $0 }
    END {
      if (NR > entries) { print "own_symbols: " NR " functions, more than the table holds (kOwnSymbolCapacity)" > "/dev/stderr"; exit 1 }
      print NR ","
      print "{"; for (i = 1; i <= NR; ++i) print offset[i] ","; print "},"
      # Nameless functions share the empty name at the start of the text.
      print "{"; used = 1; for (i = 1; i <= NR; ++i) { print (name[i] == "" ? 0 : used) ","; if (name[i] != "") used += length(name[i]) + 1 }; print "},"
      if (used > bytes) { print "own_symbols: " used " bytes of names, more than the table holds (kOwnSymbolNamesCapacity)" > "/dev/stderr"; exit 1 }
      print "\"\\0\""
      for (i = 1; i <= NR; ++i) if (name[i] != "") print "\"" name[i] "\\0\""
    }' >"$out.new"
mv "$out.new" "$out"
