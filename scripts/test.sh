#!/usr/bin/env bash
# Installs what the build needs, builds the Windows screen saver with mingw-w64
# and the optimised X11 build and packages them (build/packages), builds the
# Linux build with sanitizers and the web page with emscripten, and runs every
# test: unit tests on the in-memory platform, the X11 build in Xvfb, the
# Windows build under Wine, the packages, and the page in headless Chromium.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
jobs=$(nproc)
export CMAKE_BUILD_PARALLEL_LEVEL=$jobs

cmake --workflow --preset zip
cmake --workflow --preset deb

cmake --workflow --preset web

cmake --preset debug -DLIGHTMATRIX_WINDOWS_BUILD="$PWD/build/mingw" \
    -DLIGHTMATRIX_PACKAGES="$PWD/build/packages" -DLIGHTMATRIX_WEB_BUILD="$PWD/build/web" >/dev/null
cmake --build --preset debug -j "$jobs"

ctest --preset debug -j "$jobs"
