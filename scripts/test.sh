#!/usr/bin/env bash
# Runs the whole test suite: the cross-built tests under Wine, then the
# portable parts natively (including the ThreadSanitizer build).
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" = 0 ] && scripts/setup.sh
source scripts/wine-env.sh
cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
cmake -S . -B build-native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-native
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="-fsanitize=thread -g" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
cmake --build build-tsan
status=0
ctest --test-dir build-native --output-on-failure || status=1
ctest --test-dir build-tsan --output-on-failure || status=1
ctest --test-dir build --output-on-failure || status=1
exit $status
