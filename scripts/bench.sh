#!/usr/bin/env bash
# The benchmark command. Builds the release preset and measures, against the
# project's targets:
#   - the operations on the in-memory platform (Google Benchmark, medians of 15
#     runs) and their instruction counts (callgrind), and the catch-up after
#     a minute, an hour, eight hours and a week unseen (medians of 5);
#   - the soak: 24 simulated hours, 8,640,000 lighting ticks and 240 clearings,
#     with memory flat from the first hour to the last; then the same day with
#     the wakes paced by a 60 Hz display;
#   - when the X11 program builds, in one Xvfb and one run: the X11 program,
#     the floor program (100 and 60 wakes a second) and the bare loop (100 and
#     60 wakes a second, no X) for 30 s each at full screen, their CPU and
#     wake-ups by the scheduler's count, and a valgrind memcheck run;
#   - when a Windows build is there (or can be made with mingw-w64): the whole
#     process under Wine in Xvfb, measured the same way.
# The figures replace the results section of docs/performance.md; the raw
# outputs stay in BUILD/bench-results.
#
#   scripts/bench.sh                 everything
#   BUILD=build/mine scripts/bench.sh   another build directory (default build/release)
#   MINGW_BUILD=build/mingw          where lightmatrix.scr is built (brought up to date
#                                    there when mingw-w64 is installed)
#   SECONDS_MEASURED=30              each whole-process window
#   BASELINE=REVISION                also measure the programs built from that git
#                                    revision (the code before a change), at the same
#                                    time as the saver, each on an X server (and Wine
#                                    prefix) of its own; built in BUILD/baseline
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
cmake --build "$build" -j "$jobs" --target lightmatrix_bench lightmatrix_soak lightmatrix_instructions \
    lightmatrix_x11_floor lightmatrix_bare_loop
x11="$build/lightmatrix"
if ! cmake --build "$build" -j "$jobs" --target lightmatrix; then
    echo "the X11 program does not build: its process benchmarks are skipped" >&2
    rm -f "$x11"
fi
scr="$mingw/lightmatrix.scr"
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
    echo "== building $mingw (mingw preset)"
    { cmake --preset mingw -B "$mingw" >/dev/null && cmake --build "$mingw" -j "$jobs"; } ||
        echo "the Windows build does not build: its process benchmarks are skipped" >&2
fi

# The programs before a change, built from a git revision's files (read with
# git archive; the working tree is left alone), once per revision.
baseline_x11="" baseline_scr="" baseline_name=""
if [ -n "${BASELINE:-}" ]; then
    rev=$(git rev-parse --verify "$BASELINE^{commit}")
    baseline_name=$(git rev-parse --short "$rev")
    base="$build/baseline/$rev"
    if [ ! -f "$base/src/CMakeLists.txt" ]; then
        rm -rf "$base"
        mkdir -p "$base/src"
        git archive "$rev" | tar -x -C "$base/src"
    fi
    echo "== building the programs of $baseline_name in $base"
    cmake -S "$base/src" -B "$base/x11" -DCMAKE_BUILD_TYPE=Release -DLIGHTMATRIX_TESTS=OFF >/dev/null &&
        cmake --build "$base/x11" -j "$jobs" --target lightmatrix &&
        for baseline_x11 in "$base/x11/lightmatrix" "$base/x11/src/platform/x11/lightmatrix"; do
            [ -x "$baseline_x11" ] && break
        done ||
        echo "the X11 program of $baseline_name does not build" >&2
    if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
        (cd "$base/src" && cmake --preset mingw -B "$base/mingw" >/dev/null &&
            cmake --build "$base/mingw" -j "$jobs" --target lightmatrix_scr) &&
            baseline_scr="$base/mingw/lightmatrix.scr" ||
            echo "the Windows program of $baseline_name does not build" >&2
    fi
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
ir_second=$(instructions second 20)
printf 'tick %s\nclear %s\nstart %s\nsecond %s\n' "$ir_tick" "$ir_clear" "$ir_start" "$ir_second" |
    tee "$out/instructions.txt"

echo "== soak: 24 simulated hours"
if ! "$build/bench/lightmatrix_soak" 24 | tee "$out/soak.txt"; then failed=1; fi
echo "== soak: 24 simulated hours, the wakes paced by a 60 Hz display"
if ! "$build/bench/lightmatrix_soak" 24 60 | tee "$out/soak60.txt"; then failed=1; fi

x11_status="not measured: the X11 program is not built"
if [ -x "$x11" ]; then
    echo "== the X11 program, ${measured} s at full screen in Xvfb"
    if bench/process/x11.sh "$x11" "$out/x11.txt" "$measured" 1920x1080 \
        "$build/bench/lightmatrix_x11_floor" "$build/bench/lightmatrix_bare_loop" "$baseline_x11"; then
        x11_status=measured
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
    if bench/process/wine.sh "$scr" "$out/wine.txt" "$measured" 1920x1080 "$build/wineprefix-bench" \
        "$build/bench/lightmatrix_bare_loop" "$baseline_scr"; then
        wine_status=measured
    else wine_status="failed: see $out"; fi
fi
wayland_status="not measured: the Linux program is not built, or sway is missing"
if [ -x "$x11" ] && command -v sway >/dev/null; then
    echo "== the Wayland program, ${measured} s under headless sway, beside the X11 one in Xvfb"
    if bench/process/wayland.sh "$x11" "$out/wayland.txt" "$measured" 1920x1080; then
        wayland_status=measured
    else wayland_status="failed: see $out"; fi
fi
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- The results section -------------------------------------------------
median() {  # benchmark name, field (real_time or cpu_time)
    jq -r --arg n "$1" --arg f "$2" \
        '.benchmarks[] | select((.run_name == $n or (.run_name | startswith($n + "/"))) and .aggregate_name == "median") | "\(.[$f]) \(.time_unit)"' \
        "$out/bench.json" | awk '
        function f(u) { return u == "ns" ? 1 : u == "us" ? 1e3 : u == "ms" ? 1e6 : 1e9 }
        { ns = $1 * f($2)
          if (ns < 1e3) printf "%.3g ns", ns
          else if (ns < 1e6) printf "%.3g µs", ns / 1e3
          else if (ns < 1e9) printf "%.3g ms", ns / 1e6
          else printf "%.3g s", ns / 1e9 }'
}
median_in() {  # name, unit wanted (ns, us, ms): the CPU-time median as a number
    jq -r --arg n "$1" '.benchmarks[] | select((.run_name == $n or (.run_name | startswith($n + "/"))) and .aggregate_name == "median") | "\(.cpu_time) \(.time_unit)"' \
        "$out/bench.json" | awk -v want="$2" '
        function f(u) { return u == "ns" ? 1 : u == "us" ? 1e3 : u == "ms" ? 1e6 : 1e9 }
        { printf "%.6g", $1 * f($2) / f(want) }'
}
verdict() {  # value, limit, "below", "atmost" or "atleast"; or value, low, "within", high
    awk -v v="$1" -v l="$2" -v how="$3" -v h="${4:-}" 'BEGIN {
        if (v == "" || l == "") { print "not measured"; exit }
        if (how == "below") ok = v + 0 < l + 0
        else if (how == "atmost") ok = v + 0 <= l + 0
        else if (how == "atleast") ok = v + 0 >= l + 0
        else ok = v + 0 >= l + 0 && v + 0 <= h + 0
        print ok ? "met" : "**missed**" }'
}
value() { [ -f "$2" ] && sed -n "s/^$1=//p" "$2" | head -n1 || true; }
mb() { awk -v a="$1" -v b="$2" 'BEGIN { if (a != "") printf "%.1f / %.1f", a / 1024, b / 1024 }'; }
# A CPU figure of a window (file, window, key) with its ratio to the bare
# 100 Hz loop's over that window.
cpu_and_ratio() {
    awk -v a="$(value "$3" "$1")" -v b="$(value "${2}_bare100_cpu_percent" "$1")" \
        'BEGIN { if (a != "" && a > 0 && b > 0) printf "%s (×%.2f)", a, a / b; else print a }'
}
# A row of the whole-process tables: label, file, the key prefix of the
# process's figures (empty: none), the window's name, the key prefix of its
# run figures (empty: none; gives the lighting ticks a second) and that of
# its X server's figures (empty: none). CPU figures are followed by their
# ratio to the bare 100 Hz loop's over the same window.
process_row() {
    local label=$1 f=$2 p=$3 w=$4 run=$5 xs=$6 cpu="" wakes="" split="" waited="" ticks="" xcpu="" xwakes=""
    if [ -n "$p" ]; then
        cpu=$(cpu_and_ratio "$f" "$w" "${p}_cpu_percent")
        wakes=$(value "${p}_wakes_per_second" "$f")
        split="$(value "${p}_voluntary_per_second" "$f") / $(value "${p}_involuntary_per_second" "$f")"
        waited=$(value "${p}_waited_ms_per_second" "$f")
    fi
    [ -n "$run" ] && ticks=$(value "${run}_ticks_per_second" "$f")
    if [ -n "$xs" ]; then
        xcpu=$(cpu_and_ratio "$f" "$w" "${xs}_cpu_percent")
        xwakes=$(value "${xs}_wakes_per_second" "$f")
    fi
    echo "| $label | $cpu | $wakes | $split | $waited | $ticks | $xcpu | $xwakes |"
}
# How busy the machine's CPUs were over every window of a file.
machine_busy() {
    sed -n 's/^\([a-z0-9]*\)_machine_busy_percent=\(.*\)/\1 \2 %/p' "$1" | paste -sd, - | sed 's/,/, /g'
}
# The bare 100 Hz loop over every window of a file: "CPU range; wake-up range".
bare_spread() {
    sed -n 's/^\([a-z0-9]*\)_bare100_\(cpu_percent\|wakes_per_second\)=\(.*\)/\2 \3/p' "$1" |
        awk '$2 != "" { n[$1]++; if (n[$1] == 1 || $2 < lo[$1]) lo[$1] = $2; if (n[$1] == 1 || $2 > hi[$1]) hi[$1] = $2 }
             END { if (n["cpu_percent"]) printf "%s to %s %% of a core, %s to %s wake-ups a second, over %d windows",
                       lo["cpu_percent"], hi["cpu_percent"], lo["wakes_per_second"], hi["wakes_per_second"], n["cpu_percent"] }'
}

tick_us=$(median_in BM_LightingTick us)
clear_ms=$(median_in BM_ClearAllLit ms)
start_ms=$(median_in BM_StartWithFirstFrame ms)
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
    echo "| A second of the program's own work on a 60 Hz display: 60 wakes, 100 lighting ticks, a repaint a wake | $(median BM_SecondAt60Hz real_time) | $(median BM_SecondAt60Hz cpu_time) | $ir_second | | |"
    echo "| Seen again after 1 minute unseen: 6,000 lighting ticks caught up, one repaint | $(median BM_CatchUp/60 real_time) | $(median BM_CatchUp/60 cpu_time) | | | |"
    echo "| Seen again after 1 hour unseen: 10 clearings and 360,000 lighting ticks fell due, the last clearing and the 5,900 ticks after it run | $(median BM_CatchUp/3600 real_time) | $(median BM_CatchUp/3600 cpu_time) | | | |"
    echo "| Seen again after 8 hours unseen: 80 clearings and 2,880,000 lighting ticks fell due | $(median BM_CatchUp/28800 real_time) | $(median BM_CatchUp/28800 cpu_time) | | < 0.5 s | $(verdict "$(median_in BM_CatchUp/28800 ms)" 500 below) |"
    echo "| Seen again after a week unseen: 1,680 clearings and 60,480,000 lighting ticks fell due | $(median BM_CatchUp/604800 real_time) | $(median BM_CatchUp/604800 cpu_time) | | < 10 ms | $(verdict "$(median_in BM_CatchUp/604800 ms)" 10 below) |"
    echo "| Seen again after a week and 5 min 57 s unseen, 2 s before a clearing: the last clearing and 35,700 lighting ticks run | $(median BM_CatchUp/605157 real_time) | $(median BM_CatchUp/605157 cpu_time) | | < 10 ms | $(verdict "$(median_in BM_CatchUp/605157 ms)" 10 below) |"
    echo
    echo "### Soak: 24 simulated hours on the in-memory platform"
    echo
    echo "A wake at every deadline (the counts must be exact):"
    echo
    echo '```'
    sed -n '2p' "$out/soak.txt"
    echo "$soak_first"
    echo "$soak_last"
    echo
    grep -E '^(ticks|memory|[0-9.]+ lighting)' "$out/soak.txt"
    echo '```'
    echo
    echo "The wakes paced by a display of 60 frames a second, as the real loops wake:"
    echo
    echo '```'
    sed -n '2p' "$out/soak60.txt"
    awk '$1 == 1 || $1 == 24' "$out/soak60.txt"
    echo
    grep -E '^(ticks|memory|[0-9.]+ lighting)' "$out/soak60.txt"
    echo '```'
    echo
    x="$out/x11.txt"
    w="$out/wine.txt"
    echo "### Whole processes, ${measured} s at full screen (1920 × 1080) in Xvfb"
    echo
    echo "X11 build: $x11_status. Windows build under Wine: $wine_status." \
        "Refresh rate Xvfb reports through RandR: $(value refresh_rate_reported "$x") (none), so" \
        "the programs wake at most 60 times a second."
    echo
    echo "The screen saver, the floor program at 100 and at 60 wakes a second, and the bare loops" \
        "at 100 and 60 wakes a second (no X) run in one Xvfb and one run: each program alone on" \
        "the server for its own ${measured} s window; the bare loops from start to end, measured" \
        "over every window. The build before the change, when measured, runs at the same time as" \
        "the screen saver, over the same window, on an Xvfb (and for Wine a prefix) of its own, so" \
        "that both meet the same load. CPU is % of one core and wake-ups are timeslices run a" \
        "second, both by the scheduler's count (\`/proc/PID/task/*/schedstat\`, which also gives" \
        "the time spent ready but waiting for a CPU); in brackets after a CPU figure, its ratio to" \
        "the bare 100 Hz loop's over the same window. Beside the wake-ups, the context switches a" \
        "second of \`/proc/PID/task/*/status\`: after a sleep / taken off the CPU while still" \
        "running. Lighting ticks a second are the program's own count from its first frame to" \
        "the end of its run, by its own clock."
    echo
    echo "| Process | CPU, % of one core | Wake-ups a second | Sleeps / preemptions a second | Waited for a CPU, ms a second | Lighting ticks a second | X server CPU, % | X server wake-ups a second |"
    echo "|---|---|---|---|---|---|---|---|"
    process_row "X server alone ($(awk -v m="$(value idle_ms "$x")" 'BEGIN { printf "%.0f", m / 1000 }') s)" "$x" "" idle "" idle_xserver
    process_row "**X11 screen saver**" "$x" saver saver saver saver_xserver
    process_row "X11 screen saver asleep, the server's own screen saver over it" "$x" asleep asleep "" asleep_xserver
    if [ -n "$(value baseline_build "$x")" ]; then
        process_row "X11 screen saver before the change ($baseline_name), same window, own Xvfb" "$x" saver_baseline saver baseline saver_baseline_xserver
    fi
    process_row "Bare loop, 100 wakes a second, over the saver's window" "$x" saver_bare100 saver "" ""
    process_row "Bare loop, 60 wakes a second, over the saver's window" "$x" saver_bare60 saver "" ""
    process_row "Floor, 100 wakes a second (a square each)" "$x" floor100 floor100 "" floor100_xserver
    process_row "Floor, 60 wakes a second (the squares then due)" "$x" floor60 floor60 "" floor60_xserver
    echo
    echo "The bare 100 Hz loop over every window of the X11 run: $(bare_spread "$x")." \
        "How busy the machine's $(nproc) CPUs were, anyone's processes, over each window: $(machine_busy "$x")."
    echo
    echo "| Process, Windows build under Wine | CPU, % of one core | Wake-ups a second | Sleeps / preemptions a second | Waited for a CPU, ms a second | Lighting ticks a second | X server CPU, % | X server wake-ups a second |"
    echo "|---|---|---|---|---|---|---|---|"
    process_row "X server alone ($(awk -v m="$(value idle_ms "$w")" 'BEGIN { printf "%.0f", m / 1000 }') s)" "$w" "" idle "" idle_xserver
    process_row "**\`lightmatrix.scr\`, the saver's process**" "$w" saver saver saver saver_xserver
    process_row "\`wineserver\`" "$w" saver_wineserver saver "" ""
    echo "| Wine's other processes ($(value saver_wine_other_processes "$w" | sed 's/ *$//')), CPU by clock ticks | $(value saver_wine_other_cpu_percent_by_ticks "$w") | | | | | | |"
    if [ -n "$(value baseline_build "$w")" ]; then
        process_row "\`lightmatrix.scr\` before the change ($baseline_name), same window, own Xvfb and prefix" "$w" saver_baseline saver baseline saver_baseline_xserver
        process_row "its \`wineserver\`" "$w" saver_baseline_wineserver saver "" ""
    fi
    process_row "Bare loop, 100 wakes a second, over the saver's window" "$w" saver_bare100 saver "" ""
    process_row "Bare loop, 60 wakes a second, over the saver's window" "$w" saver_bare60 saver "" ""
    echo
    echo "The bare 100 Hz loop over every window of the Wine run: $(bare_spread "$w")." \
        "How busy the machine's $(nproc) CPUs were over each window: $(machine_busy "$w")."
    echo
    xb=$(value saver_baseline_xserver_cpu_percent "$x")
    wb=$(value saver_baseline_xserver_cpu_percent "$w")
    echo "| Target | X11 build | | Windows build under Wine | |"
    echo "|---|---|---|---|---|"
    echo "| The X11 saver's CPU ≤ 1.2 × the floor's at 60 wakes a second | $(value saver_cpu_percent "$x") against $(value floor60_cpu_percent "$x") (×$(awk -v a="$(value saver_cpu_percent "$x")" -v b="$(value floor60_cpu_percent "$x")" 'BEGIN { if (b > 0) printf "%.2f", a / b }')) | $(verdict "$(awk -v a="$(value saver_cpu_percent "$x")" -v b="$(value floor60_cpu_percent "$x")" 'BEGIN { if (b > 0) printf "%.4f", a / b }')" 1.2 atmost) | | |"
    echo "| Asleep, wake-ups ≤ 1 a second | $(value asleep_wakes_per_second "$x") | $(verdict "$(value asleep_wakes_per_second "$x")" 1 atmost) | (not measured: Wine tells no display state) | |"
    echo "| The saver's wake-ups ≤ 61 a second | $(value saver_wakes_per_second "$x") | $(verdict "$(value saver_wakes_per_second "$x")" 61 atmost) | $(value saver_wakes_per_second "$w") (\`wineserver\` $(value saver_wineserver_wakes_per_second "$w")) | $(verdict "$(value saver_wakes_per_second "$w")" 61 atmost) |"
    echo "| The saver's CPU below the bare 100 Hz loop's over the same window | $(value saver_cpu_percent "$x") against $(value saver_bare100_cpu_percent "$x") | $(verdict "$(value saver_cpu_percent "$x")" "$(value saver_bare100_cpu_percent "$x")" below) | $(value saver_cpu_percent "$w") against $(value saver_bare100_cpu_percent "$w") (\`wineserver\` $(value saver_wineserver_cpu_percent "$w")) | $(verdict "$(value saver_cpu_percent "$w")" "$(value saver_bare100_cpu_percent "$w")" below) |"
    echo "| Lighting ticks 100 ± 1 a second (the program's count and clock) | $(value saver_ticks_per_second "$x") | $(verdict "$(value saver_ticks_per_second "$x")" 99 within 101) | $(value saver_ticks_per_second "$w") | $(verdict "$(value saver_ticks_per_second "$w")" 99 within 101) |"
    echo "| The X server's CPU no higher than before the change (the same window, each build on its own Xvfb; in brackets, times the bare 100 Hz loop's) | $(cpu_and_ratio "$x" saver saver_xserver_cpu_percent) against $(cpu_and_ratio "$x" saver saver_baseline_xserver_cpu_percent) | $(verdict "$(value saver_xserver_cpu_percent "$x")" "$xb" atmost) | $(cpu_and_ratio "$w" saver saver_xserver_cpu_percent) against $(cpu_and_ratio "$w" saver saver_baseline_xserver_cpu_percent) | $(verdict "$(value saver_xserver_cpu_percent "$w")" "$wb" atmost) |"
    echo "| The X server's CPU < 1 % of a core | $(value saver_xserver_cpu_percent "$x") | $(verdict "$(value saver_xserver_cpu_percent "$x")" 1 below) | $(value saver_xserver_cpu_percent "$w") | $(verdict "$(value saver_xserver_cpu_percent "$w")" 1 below) |"
    echo "| Resident memory (VmRSS / VmHWM) < 12 MB | $(mb "$(value saver_rss_kb "$x")" "$(value saver_hwm_kb "$x")") | $(verdict "$(awk -v a="$(value saver_rss_kb "$x")" 'BEGIN { if (a != "") print a / 1024 }')" 12 below) | $(mb "$(value saver_rss_kb "$w")" "$(value saver_hwm_kb "$w")") | (Wine's) |"
    echo "| Start to first frame < 50 ms (the first client of a just-started Xvfb) | $(value saver_first_frame_ms "$x") ($(value first_frame_ms_cold "$x")) | $(verdict "$(value saver_first_frame_ms "$x")" 50 below) | $(value saver_first_frame_ms "$w") | (Wine's) |"
    echo
    l="$out/wayland.txt"
    echo "### The Wayland build under headless sway, beside the X11 build in Xvfb"
    echo
    echo "$wayland_status. The same program, ${measured} s full screen at 1920 × 1080 on each," \
        "both over the same window: on Wayland under sway (headless, pixman, its output at 60" \
        "frames a second), and on X11 in an Xvfb. Figures as above."
    echo
    echo "| Process | CPU, % of one core | Wake-ups a second | Sleeps / preemptions a second | Waited for a CPU, ms a second | Lighting ticks a second | Display server CPU, % | Display server wake-ups a second |"
    echo "|---|---|---|---|---|---|---|---|"
    process_row "**Wayland screen saver**, and sway" "$l" run_wayland run wayland run_compositor
    process_row "X11 screen saver, and Xvfb" "$l" run_x11 run x11 run_xserver
    process_row "Wayland screen saver asleep, and headless weston, its output asleep" "$l" asleep_wayland asleep "" asleep_compositor
    process_row "Idle watcher (\`--idle 600\`) waiting under sway" "$l" waiting_wayland waiting "" ""
    process_row "Idle watcher (\`--idle 600\`) waiting in Xvfb, and Xvfb" "$l" waiting_x11 waiting "" waiting_xserver
    echo
    echo "| Target, Wayland build | | |"
    echo "|---|---|---|"
    echo "| Wake-ups after a sleep ≤ 60 a second, the output's refresh rate | $(value run_wayland_voluntary_per_second "$l") | $(verdict "$(value run_wayland_voluntary_per_second "$l")" 60 atmost) |"
    echo "| Lighting ticks 100 ± 1 a second (the program's count and clock) | $(value wayland_ticks_per_second "$l") | $(verdict "$(value wayland_ticks_per_second "$l")" 99 within 101) |"
    echo "| Asleep (no frame callbacks), wake-ups ≤ 1 a second | $(value asleep_wayland_wakes_per_second "$l") | $(verdict "$(value asleep_wayland_wakes_per_second "$l")" 1 atmost) |"
    echo "| The idle watcher waiting makes no wake-up (Wayland / X11) | $(value waiting_wayland_wakes_per_second "$l") / $(value waiting_x11_wakes_per_second "$l") | $(verdict "$(awk -v a="$(value waiting_wayland_wakes_per_second "$l")" -v b="$(value waiting_x11_wakes_per_second "$l")" 'BEGIN { if (a != "" && b != "") print (a > b ? a : b) }')" 0 atmost) |"
    echo "| The idle watcher's resident memory (Wayland / X11), MB | $(mb "$(value waiting_wayland_rss_kb "$l")" "$(value waiting_x11_rss_kb "$l")") | |"
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
