#!/usr/bin/env bash
# For development: builds the cross build in BUILD_DIR (default build-dev)
# and runs one test program under Wine, with any further gtest arguments.
#   scripts/dev-test.sh build-mine fixes_tests --gtest_filter='StrCmp*'
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-dev}"; shift || true
program="${1:-}"; shift || true
source scripts/wine-env.sh
[ -f "$dir/build.ninja" ] || cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake >/dev/null
cmake --build "$dir"
if [ -n "$program" ]; then
  export ORRISBANE_DLL="Z:$PWD/$dir/Orrisbane.dll" ORRISBANE_INI="Z:$PWD/dist/Orrisbane.ini"
  export ORRISBANE_DOCTOR="Z:$PWD/$dir/orrisbane-doctor.exe"
  exe=$(find "$dir" -name "$program.exe" | head -1)
  wine "$exe" "$@" </dev/null
fi
