#!/usr/bin/env bash
# The release zip has the layout a mod manager installs as it stands, and
# the DLL from it loads into the host simulator.
set -euo pipefail
zip="$1"; sim="$2"
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/wine-env.sh"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$out" && cmake -E tar xf "$zip")
listing=$(cd "$out" && find . -type f | sort | tr '\n' ' ')
expected="./Data/QORV/Plugins/Orrisbane.dll ./Data/QORV/Plugins/Orrisbane.ini ./Orrisbane-ReadMe.txt ./orrisbane-doctor.exe "
status=0
if [ "$listing" != "$expected" ]; then echo "FAIL: package holds: $listing"; status=1; fi
timeout 300 wine "$sim" session --frames 5 --dll "Z:$out/Data/QORV/Plugins/Orrisbane.dll" \
  --ini "Z:$out/Data/QORV/Plugins/Orrisbane.ini" >"$out/session.txt" 2>&1 </dev/null || true
if ! grep -q 'Query: accepted (plugin "Orrisbane", version 1); load: active' "$out/session.txt"; then
  echo "FAIL: the packaged DLL did not load:"; cat "$out/session.txt"; status=1
fi
[ $status = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $status
