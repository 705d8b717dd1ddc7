#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it for a bounded time on the
# committed seed corpus: the path from a picture file's bytes to the lights.
#
#   scripts/fuzz.sh [SECONDS]       default 60
#
# New inputs go to build/fuzz/corpus (the committed fuzz/corpus is only read);
# a crash or a broken invariant leaves its input in build/fuzz/artifacts and
# makes this script fail. Replay one with build/fuzz/fuzz/picture_fuzzer FILE.
# fuzz/README.md says what the target checks.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
build=build/fuzz
jobs=${JOBS:-2}

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLIGHTMATRIX_FUZZ=ON -DLIGHTMATRIX_TESTS=OFF -DLIGHTMATRIX_LINUX_PROGRAM=OFF >/dev/null
cmake --build "$build" -j "$jobs" --target picture_fuzzer

mkdir -p "$build/corpus" "$build/artifacts"
"$build/fuzz/picture_fuzzer" \
    -max_total_time="$seconds" -max_len=65536 -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/" \
    "$build/corpus" fuzz/corpus
