#!/usr/bin/env bash
# The release: the package has the layout a mod manager installs as it
# stands, and its DLL loads into the host simulator; the DLL carries the
# project's version resource and no debug information; the symbols file has
# it, is the one the DLL's debug link names, and turns an address into a
# function and line as the README says; packing again gives the same bytes.
#   check_release.sh PACKAGE.zip SYMBOLS.zip orrisbane-sim.exe VERSION PACK-COMMAND...
set -euo pipefail
zip="$1"; symbols="$2"; sim="$3"; version="$4"; shift 4
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/wine-env.sh"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/package" "$out/symbols" "$out/again"
(cd "$out/package" && cmake -E tar xf "$zip")
(cd "$out/symbols" && cmake -E tar xf "$symbols")
dll="$out/package/Data/QORV/Plugins/Orrisbane.dll"
debug="$out/symbols/Orrisbane.dll.debug"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

listing=$(cd "$out/package" && find . -type f | sort | tr '\n' ' ')
expected="./Data/QORV/Plugins/Orrisbane.dll ./Data/QORV/Plugins/Orrisbane.ini ./Orrisbane-ReadMe.txt ./orrisbane-doctor.exe "
[ "$listing" = "$expected" ] || fail "package holds: $listing"
[ "$(cd "$out/symbols" && find . -type f)" = ./Orrisbane.dll.debug ] || fail "the symbols zip holds more than the debug file"
timeout 300 wine "$sim" session --frames 5 --dll "Z:$dll" \
  --ini "Z:$out/package/Data/QORV/Plugins/Orrisbane.ini" >"$out/session.txt" 2>&1 </dev/null || true
if ! grep -q "Query: accepted (plugin \"Orrisbane\", version ${version%%.*}); load: active" "$out/session.txt"; then
  fail "the packaged DLL did not load:"; cat "$out/session.txt"
fi

# The resource as Windows' file properties read it.
resource=$(i686-w64-mingw32-windres -i "$dll" -O rc)
IFS=. read -r major minor patch <<<"$version"
for line in "FILEVERSION $major, $minor, $patch, 0" "PRODUCTVERSION $major, $minor, $patch, 0" \
            "VALUE \"FileVersion\", \"$version\"" "VALUE \"ProductVersion\", \"$version\"" \
            "VALUE \"ProductName\", \"Orrisbane\"" "VALUE \"OriginalFilename\", \"Orrisbane.dll\"" \
            "VALUE \"FileDescription\", \"Stability plugin for Vellmoor\"" \
            "VALUE \"LegalCopyright\", \"Copyright (C) 2026 the Orrisbane developers\""; do
  grep -qF "$line" <<<"$resource" || fail "the version resource lacks: $line"
done

sections() { i686-w64-mingw32-objdump -h "$1" | awk '$2 ~ /^\./ {print $2}'; }
if sections "$dll" | grep -q '^\.debug_'; then fail "the packaged DLL still has debug sections"; fi
sections "$debug" | grep -q '^\.debug_info$' || fail "the symbols file has no .debug_info"
i686-w64-mingw32-objcopy --dump-section .gnu_debuglink="$out/link" "$dll" "$out/scratch.dll"
link=$(tr '\0' '\n' <"$out/link" | head -1)
[ "$link" = Orrisbane.dll.debug ] || fail "the debug link names '$link'"

# The README's recipe on real addresses: the two exports.
base=$(i686-w64-mingw32-objdump -p "$dll" | awk '$1 == "ImageBase" {print $2}')
for rva in $(i686-w64-mingw32-objdump -p "$dll" | awk '/Export RVA/ {print $(NF-2)}'); do
  where=$(i686-w64-mingw32-addr2line -f -C -e "$debug" "$(printf '0x%x' $((0x$base + 0x$rva)))" | tr '\n' ' ')
  [[ "$where" =~ ^QORVPlugin_(Query|Load)\ \./plugin/load_sequence\.cpp:[0-9]+\ $ ]] ||
    fail "addr2line of Orrisbane.dll+0x$rva gave: $where"
done

# And on a C++ function, whose i686 name needs the host's c++filt.
addr=$(i686-w64-mingw32-nm "$debug" | awk '$3 == "__Z17ApplyEarlyOptionsv" {print $1}')
where=$(i686-w64-mingw32-addr2line -f -i -e "$debug" "0x$addr" | c++filt | tr '\n' ' ')
[[ "$where" =~ ^ApplyEarlyOptions\(\)\ \./plugin/load_sequence\.cpp:[0-9]+\ $ ]] ||
  fail "addr2line | c++filt of ApplyEarlyOptions gave: $where"

"$@" -DOUT_DIR="$out/again" -P "$here/cmake/pack_release.cmake" >/dev/null
cmp "$zip" "$out/again/$(basename "$zip")" || fail "packing again gave a different $(basename "$zip")"
cmp "$symbols" "$out/again/$(basename "$symbols")" || fail "packing again gave a different $(basename "$symbols")"

[ $failures = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
[ $failures = 0 ]
