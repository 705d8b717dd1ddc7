#!/usr/bin/env bash
# The Windows screen saver (lightmatrix.scr /s) under Wine as a whole process,
# full screen in a private Xvfb, measured as bench/process/x11.sh measures the
# X11 one: over a window of SECONDS, by the scheduler's count
# (/proc/PID/task/*/schedstat), the CPU (% of one core) and wake-ups a second
# (timeslices run) of the saver's own process, of the prefix's wineserver
# (which carries the program's messages and timers), of Wine's other
# processes of that prefix and of the X server, with the bare loop
# (lightmatrix_bare_loop, 100 and 60 wakes a second, no X) beside them over
# the same window; lighting ticks a second by the program's own count and
# clock; resident memory; start to first frame. Optionally a second
# lightmatrix.scr (another build, such as the one before a change) runs at the
# same time, over the same window, in a second Xvfb and a Wine prefix of its
# own, and is measured the same way.
#
#   bench/process/wine.sh LIGHTMATRIX_SCR RESULT_FILE [SECONDS] [WxH] [PREFIX]
#                         [BARE_LOOP_BINARY] [BASELINE_SCR]
#
# PREFIX is the Wine prefix to use (made with wineboot when missing; default
# build/wineprefix-bench); the one to compare with uses PREFIX-baseline.
# Writes key=value lines to RESULT_FILE.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

scr=$(realpath "$1")
result=$2
seconds=${3:-30}
size=${4:-1920x1080}
prefix=$(realpath -m "${5:-build/wineprefix-bench}")
bare=${6:-}
baseline=${7:+$(realpath "$7")}
base_prefix="$prefix-baseline"
settle=3
idle_seconds=10

work=$(mktemp -d)
cleanups+=("rm -rf '$work'")
figures="$work/figures"
if [ -n "$baseline" ]; then
    start_xvfb "$size"
    base_display=$DISPLAY
    base_xvfb=$xvfb_pid
fi
start_xvfb "$size"
# Started before WINEPREFIX is set, so that they are not taken for Wine's.
start_bare_loops "$bare"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Makes a prefix ready (wineboot -i when it is missing) and ends its
# wineserver when the script ends.
prepare_prefix() {
    cleanups+=("WINEPREFIX='$1' wineserver -k")
    if [ ! -f "$1/system.reg" ]; then
        mkdir -p "$1"
        WINEPREFIX=$1 wineboot -i >/dev/null 2>&1
    fi
    WINEPREFIX=$1 wineboot >/dev/null 2>&1 || true
}
prepare_prefix "$prefix"
[ -n "$baseline" ] && prepare_prefix "$base_prefix"

# The processes of a prefix (wineserver, explorer, services, ...), by the
# WINEPREFIX in their environment.
prefix_pids() {
    local d
    for d in /proc/[0-9]*; do
        { tr '\0' '\n' <"$d/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$1" && echo "${d#/proc/}"
    done
    return 0
}
comm_of() { cat "/proc/$1/comm" 2>/dev/null; }

# Of a prefix, sets saver (the process Wine runs lightmatrix.scr in), server
# (wineserver) and others (Wine's other processes, comma-separated).
find_wine_processes() {
    local pid
    saver="" server="" others=""
    for pid in $(prefix_pids "$1"); do
        case "$(comm_of "$pid")" in
            lightmatrix.scr*) saver=$pid ;;
            wineserver*) server=$pid ;;
            *) others+="${others:+,}$pid" ;;
        esac
    done
}

# Starts a screen saver (name, program, display, prefix); sets launcher.
start_saver() {
    DISPLAY=$3 WINEPREFIX=$4 LIGHTMATRIX_STATS="$(WINEPREFIX=$4 winepath -w "$work/$1.stats")" \
        wine "$2" /s >"$work/$1.out" 2>"$work/$1.err" &
    launcher=$!
    started_pids+=("$launcher")
}

# Ends a screen saver (name, its process, its launcher, display) as a user
# would: a click on the full-screen window, then, if that did not end it, a
# key press; as a last resort a signal (no run figures then). Prints how it
# ended and its run figures with the prefix NAME_.
end_saver() {
    local ended gone ended_by=click status=0
    ended=$(now_ms)
    DISPLAY=$4 xdotool mousemove 100 100 click 1
    if ! wait_gone "$2" 10; then
        ended=$(now_ms)
        DISPLAY=$4 xdotool key space
        ended_by=key
        if ! wait_gone "$2" 10; then
            echo "the screen saver ($1) did not end on a click or a key press" >&2
            ended_by="nothing: killed"
            kill "$2" 2>/dev/null || true
        fi
    fi
    gone=$(now_ms)
    wait "$3" || status=$?
    echo "${1}_exit_after_input_ms=$(( gone - ended ))"
    echo "${1}_ended_by=$ended_by"
    echo "${1}_exit_status=$status"
    run_figures "${1}_" "$work/$1.stats"
}

# The X servers with nothing of ours running.
idle_entries=()
[ -n "$baseline" ] && idle_entries=("baseline_xserver:$base_xvfb")
measure_window idle "$idle_seconds" "${idle_entries[@]}" >>"$figures"

{
    echo "build=$scr"
    echo "screen=$size"
    echo "seconds=$seconds"
    start_saver saver "$scr" "$DISPLAY" "$prefix"
    main_launcher=$launcher
    if [ -n "$baseline" ]; then
        echo "baseline_build=$baseline"
        start_saver baseline "$baseline" "$base_display" "$base_prefix"
        base_launcher=$launcher
    fi
    sleep "$settle"

    find_wine_processes "$prefix"
    [ -n "$saver" ] || { echo "lightmatrix.scr is not running under Wine" >&2; cat "$work/saver.err" >&2; exit 1; }
    main_saver=$saver
    entries=(":$saver" "wineserver:$server" "wine_other:$others")
    echo "saver_wine_other_processes=$(for pid in ${others//,/ }; do comm_of "$pid"; done | sort | tr '\n' ' ')"
    if [ -n "$baseline" ]; then
        find_wine_processes "$base_prefix"
        [ -n "$saver" ] || { echo "the lightmatrix.scr to compare with is not running under Wine" >&2; cat "$work/baseline.err" >&2; exit 1; }
        base_saver=$saver
        entries+=("baseline:$saver" "baseline_wineserver:$server" "baseline_wine_other:$others"
            "baseline_xserver:$base_xvfb")
    fi

    measure_window saver "$seconds" "${entries[@]}"
    echo "saver_threads=$(ls "/proc/$main_saver/task" | wc -l)"
    echo "saver_rss_kb=$(status_kb "$main_saver" VmRSS)"
    echo "saver_hwm_kb=$(status_kb "$main_saver" VmHWM)"
    if [ -n "$baseline" ]; then
        echo "baseline_rss_kb=$(status_kb "$base_saver" VmRSS)"
        end_saver baseline "$base_saver" "$base_launcher" "$base_display"
    fi
    end_saver saver "$main_saver" "$main_launcher" "$DISPLAY"
} >>"$figures"
cp "$figures" "$result"
cat "$result"
