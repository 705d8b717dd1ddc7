#!/usr/bin/env bash
# Installs what the build needs, builds the Windows screen saver with mingw-w64
# and the Linux build with sanitizers, and runs every test: unit tests on the
# in-memory platform, the X11 build in Xvfb and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)

cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

cmake --preset debug -DLIGHTMATRIX_WINDOWS_BUILD="$PWD/build/mingw" >/dev/null
cmake --build --preset debug -j "$jobs"

ctest --preset debug -j "$jobs"
