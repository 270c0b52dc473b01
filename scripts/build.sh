#!/usr/bin/env bash
# Builds the plugin and the host simulator (nothing else: the tests and the
# release zips are scripts/test.sh's and `cmake --build build`'s) and runs the
# main job: the plugin loaded into the host simulator with the shipped
# Orrisbane.ini. Pass extra arguments to the simulator, e.g. --late.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" = 0 ] && scripts/setup.sh
source scripts/wine-env.sh
cmake -S . -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target Orrisbane orrisbane-sim
wine build/sim/orrisbane-sim.exe session --dll "Z:$PWD/build/Orrisbane.dll" --ini "Z:$PWD/dist/Orrisbane.ini" "$@" </dev/null
