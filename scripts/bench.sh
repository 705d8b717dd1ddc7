#!/usr/bin/env bash
# The benchmark command. Builds the release preset and measures, against the
# project's targets:
#   - the operations on the in-memory platform (Google Benchmark, medians of 15
#     runs) and their instruction counts (callgrind);
#   - the soak: 24 simulated hours, 8,640,000 lighting ticks and 240 clearings,
#     with memory flat from the first hour to the last;
#   - when the X11 program builds: the whole process for 30 s at full screen in
#     Xvfb, and a valgrind memcheck run;
#   - when a Windows build is there (or can be made with mingw-w64): the whole
#     process under Wine in Xvfb.
# The figures replace the results section of docs/performance.md; the raw
# outputs stay in BUILD/bench-results.
#
#   scripts/bench.sh                 everything
#   BUILD=build/mine scripts/bench.sh   another build directory (default build/release)
#   MINGW_BUILD=build/mingw          where lightmatrix.scr is (built there when missing)
#   SECONDS_MEASURED=30              the whole-process window
#   COMMIT=abc1234                   the commit measured, outside a git checkout
#
# Exits 1 when the soak or the memcheck fails; targets that are missed are
# reported in the results, not treated as failures of the command.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD:-build/release}
mingw=${MINGW_BUILD:-build/mingw}
measured=${SECONDS_MEASURED:-30}
jobs=${JOBS:-2}
out="$build/bench-results"

scripts/install-deps.sh

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
# The code measured; COMMIT names it when this runs outside a git checkout.
commit=${COMMIT:-$(git rev-parse --short HEAD 2>/dev/null || echo unknown)}
if git rev-parse --git-dir >/dev/null 2>&1 && [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    commit="$commit with uncommitted changes"
fi
echo "== building $build (release preset)"
cmake --preset release -B "$build" >/dev/null
cmake --build "$build" -j "$jobs" --target lightmatrix_bench lightmatrix_soak lightmatrix_instructions
x11="$build/src/platform/x11/lightmatrix"
if ! cmake --build "$build" -j "$jobs" --target lightmatrix; then
    echo "the X11 program does not build: its process benchmarks are skipped" >&2
    rm -f "$x11"
fi
scr="$mingw/lightmatrix.scr"
if [ ! -x "$scr" ] && command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    echo "== building $mingw (mingw preset)"
    { cmake --preset mingw -B "$mingw" >/dev/null && cmake --build "$mingw" -j "$jobs"; } ||
        echo "the Windows build does not build: its process benchmarks are skipped" >&2
fi

rm -rf "$out"
mkdir -p "$out"
failed=0

echo "== benchmarks"
"$build/bench/lightmatrix_bench" --benchmark_out="$out/bench.json" --benchmark_out_format=json |
    tee "$out/bench.txt"

echo "== instruction counts (callgrind)"
instructions() {
    valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out/callgrind.$1" \
        "$build/bench/lightmatrix_instructions" "$1" "$2" 2>/dev/null
    awk -v n="$2" '/^totals:/ { printf "%.0f", $2 / n }' "$out/callgrind.$1"
}
ir_tick=$(instructions tick 100000)
ir_clear=$(instructions clear 5)
ir_start=$(instructions start 3)
printf 'tick %s\nclear %s\nstart %s\n' "$ir_tick" "$ir_clear" "$ir_start" | tee "$out/instructions.txt"

echo "== soak: 24 simulated hours"
if ! "$build/bench/lightmatrix_soak" 24 | tee "$out/soak.txt"; then failed=1; fi

x11_status="not measured: the X11 program is not built"
if [ -x "$x11" ]; then
    echo "== the X11 program, ${measured} s at full screen in Xvfb"
    if bench/process/x11.sh "$x11" "$out/x11.txt" "$measured" 1920x1080 \
        "$build/bench/lightmatrix_x11_floor"; then x11_status=measured
    else x11_status="failed: see $out"; fi
    echo "== the X11 program under valgrind memcheck"
    if bench/process/memcheck.sh "$x11" "$out/memcheck.txt" 5; then memcheck_status=passed
    else memcheck_status=FAILED; failed=1; fi
else
    memcheck_status="not run: the X11 program is not built"
fi

wine_status="not measured: no lightmatrix.scr in $mingw"
if [ -x "$scr" ] || [ -f "$scr" ]; then
    echo "== the Windows program under Wine, ${measured} s at full screen in Xvfb"
    if bench/process/wine.sh "$scr" "$out/wine.txt" "$measured" 1920x1080 "$build/wineprefix-bench"; then
        wine_status=measured
    else wine_status="failed: see $out"; fi
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- The results section -------------------------------------------------
median() {  # benchmark name, field (real_time or cpu_time)
    jq -r --arg n "$1" --arg f "$2" \
        '.benchmarks[] | select((.run_name | split("/")[0]) == $n and .aggregate_name == "median") | "\(.[$f]) \(.time_unit)"' \
        "$out/bench.json" | awk '
        function f(u) { return u == "ns" ? 1 : u == "us" ? 1e3 : u == "ms" ? 1e6 : 1e9 }
        { ns = $1 * f($2)
          if (ns < 1e3) printf "%.3g ns", ns
          else if (ns < 1e6) printf "%.3g µs", ns / 1e3
          else if (ns < 1e9) printf "%.3g ms", ns / 1e6
          else printf "%.3g s", ns / 1e9 }'
}
median_in() {  # name, unit wanted (ns, us, ms): the CPU-time median as a number
    jq -r --arg n "$1" '.benchmarks[] | select((.run_name | split("/")[0]) == $n and .aggregate_name == "median") | "\(.cpu_time) \(.time_unit)"' \
        "$out/bench.json" | awk -v want="$2" '
        function f(u) { return u == "ns" ? 1 : u == "us" ? 1e3 : u == "ms" ? 1e6 : 1e9 }
        { printf "%.6g", $1 * f($2) / f(want) }'
}
verdict() {  # value, limit, "below" or "atleast"
    awk -v v="$1" -v l="$2" -v how="$3" 'BEGIN {
        if (v == "") { print "not measured"; exit }
        ok = how == "below" ? v + 0 < l + 0 : v + 0 >= l + 0
        print ok ? "met" : "**missed**" }'
}
value() { [ -f "$2" ] && sed -n "s/^$1=//p" "$2" | head -n1 || true; }

tick_us=$(median_in BM_LightingTick us)
clear_ms=$(median_in BM_ClearAllLit ms)
start_ms=$(median_in BM_StartWithFirstFrame ms)
soak_counts=$(grep -E '^ticks ' "$out/soak.txt" || true)
soak_memory=$(grep -E '^memory ' "$out/soak.txt" || true)
soak_first=$(awk '$1 == 1 { print }' "$out/soak.txt")
soak_last=$(awk '$1 == 24 { print }' "$out/soak.txt")

cpu_model=$(lscpu | sed -n 's/^Model name: *//p' | head -n1)
{
    echo "## Results"
    echo
    echo "Measured by \`scripts/bench.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'), commit $commit."
    echo
    echo "- Machine: $cpu_model, $(nproc) cores, $(free -g | awk '/^Mem:/ { print $2 }') GB;" \
        "$(. /etc/os-release && echo "$PRETTY_NAME"), Linux $(uname -r)."
    echo "- Compiler: $(c++ --version | head -n1); Google Benchmark $(dpkg-query -W -f='${Version}' libbenchmark-dev 2>/dev/null);" \
        "$(valgrind --version); Xvfb $(dpkg-query -W -f='${Version}' xvfb 2>/dev/null); $(wine --version 2>/dev/null)."
    echo "- Load average (1, 5, 15 min) before: $load_before; after: $load_after. The machine is shared:" \
        "timings are noisy, so the medians are CPU time and the instruction counts do not depend on load."
    echo
    echo "### Operations on the in-memory platform"
    echo
    echo "| Operation | Median wall | Median CPU | Instructions | Target | |"
    echo "|---|---|---|---|---|---|"
    echo "| Lighting tick with the repaint of its cell | $(median BM_LightingTick real_time) | $(median BM_LightingTick cpu_time) | $ir_tick | < 2 µs | $(verdict "$tick_us" 2 below) |"
    echo "| \`clear\` of a fully lit matrix with the repaint of the whole matrix | $(median BM_ClearAllLit real_time) | $(median BM_ClearAllLit cpu_time) | $ir_clear | < 1 ms | $(verdict "$clear_ms" 1 below) |"
    echo "| Start-up: \`createLights\` and the first full frame (800 × 600) | $(median BM_StartWithFirstFrame real_time) | $(median BM_StartWithFirstFrame cpu_time) | $ir_start | | |"
    echo "| A full repaint of the window (800 × 600, matrix lit) | $(median BM_FullRepaint real_time) | $(median BM_FullRepaint cpu_time) | | | |"
    echo
    echo "### Soak: 24 simulated hours on the in-memory platform"
    echo
    echo '```'
    echo "$(head -n1 "$out/soak.txt")"
    echo "$soak_first"
    echo "$soak_last"
    echo
    echo "$soak_counts"
    echo "$soak_memory"
    echo '```'
    echo
    echo "### Whole processes, ${measured} s at full screen (1920 × 1080) in Xvfb"
    echo
    echo "X11 build: $x11_status. Windows build under Wine: $wine_status."
    echo
    x="$out/x11.txt"
    w="$out/wine.txt"
    echo "| Measure | X11 build | Windows build under Wine | Target (X11) | |"
    echo "|---|---|---|---|---|"
    echo "| The saver's own CPU, % of one core (by the scheduler's count) | $(value saver_cpu_percent "$x") ($(value saver_cpu_percent_schedstat "$x")) | $(value saver_cpu_percent "$w") (wineserver $(value wineserver_cpu_percent "$w"), Wine's other processes $(value wine_other_cpu_percent "$w")) | < 0.3 | $(verdict "$(value saver_cpu_percent "$x")" 0.3 below) |"
    echo "| The X server's CPU, % of one core | $(value xserver_cpu_percent "$x") (idle $(value xserver_idle_cpu_percent "$x")) | $(value xserver_cpu_percent "$w") (idle $(value xserver_idle_cpu_percent "$w")) | < 1 | $(verdict "$(value xserver_cpu_percent "$x")" 1 below) |"
    echo "| Lighting ticks per second, from the first frame to the end of the run by the program's clock (over its whole run) | $(value ticks_per_second "$x") ($(value ticks_per_second_by_run_ms "$x")) | $(value ticks_per_second "$w") ($(value ticks_per_second_by_run_ms "$w")) | ≥ 99 | $(verdict "$(value ticks_per_second "$x")" 99 atleast) |"
    echo "| Resident memory (VmRSS / VmHWM), MB | $(awk -v a="$(value rss_kb "$x")" -v b="$(value hwm_kb "$x")" 'BEGIN { if (a != "") printf "%.1f / %.1f", a / 1024, b / 1024 }') | $(awk -v a="$(value rss_kb "$w")" -v b="$(value hwm_kb "$w")" 'BEGIN { if (a != "") printf "%.1f / %.1f", a / 1024, b / 1024 }') | < 12 | $(verdict "$(awk -v a="$(value rss_kb "$x")" 'BEGIN { if (a != "") print a / 1024 }')" 12 below) |"
    echo "| The floor: the least X11 program showing a new square every 10 ms, its CPU and the X server's (scheduler's count) | $(value floor_cpu_percent_schedstat "$x"); X server $(value floor_xserver_cpu_percent_schedstat "$x") | | | |"
    echo "| Start to first frame, ms (the first client of a just-started Xvfb) | $(value first_frame_ms "$x") ($(value first_frame_ms_cold "$x")) | $(value first_frame_ms "$w") | < 50 | $(verdict "$(value first_frame_ms "$x")" 50 below) |"
    echo
    echo "### valgrind memcheck of the X11 build (5 s in Xvfb, ended by a key press)"
    echo
    echo "Result: $memcheck_status."
    if [ -f "$out/memcheck.txt" ]; then
        echo
        echo '```'
        grep -E '^(ticks|exit_status|errors|definitely|indirectly|possibly|still)' "$out/memcheck.txt"
        echo '```'
    fi
} >"$out/results.md"

# Replace the results section of docs/performance.md (from "## Results" to the
# end of the file), keeping everything above it.
doc=docs/performance.md
if [ -f "$doc" ]; then
    awk '/^## Results$/ { exit } { print }' "$doc" >"$out/performance.md"
else
    printf '# Performance\n\n' >"$out/performance.md"
fi
cat "$out/results.md" >>"$out/performance.md"
cp "$out/performance.md" "$doc"
echo "== results written to $doc"
exit "$failed"
