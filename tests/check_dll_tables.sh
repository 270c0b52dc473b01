#!/usr/bin/env bash
# The built DLL imports only system libraries and exports exactly the two
# loader entry points, undecorated.
set -euo pipefail
dll="$1"
tables=$(i686-w64-mingw32-objdump -p "$dll")
imports=$(sed -n 's/^\tDLL Name: //p' <<<"$tables" | tr 'A-Z' 'a-z' | sort -u)
exports=$(awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^\t\[/{print $NF} on && !/^\t\[/{on=0}' <<<"$tables" | sort)
echo "imports: $(tr '\n' ' ' <<<"$imports")"
echo "exports: $(tr '\n' ' ' <<<"$exports")"
status=0
while read -r lib; do
  case "$lib" in
    libstdc++*|libgcc*|libwinpthread*|mingw*) echo "FAIL: imports the MinGW runtime library $lib"; status=1 ;;
  esac
done <<<"$imports"
if [ "$exports" != $'QORVPlugin_Load\nQORVPlugin_Query' ]; then
  echo "FAIL: exports must be exactly QORVPlugin_Query and QORVPlugin_Load"; status=1
fi
[ $status = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $status
