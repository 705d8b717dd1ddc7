#!/usr/bin/env bash
# The Windows screen saver (lightmatrix.scr /s) under Wine as a whole process,
# full screen in a private Xvfb: the CPU of the saver's own process, of the
# prefix's wineserver and of Wine's other processes of that prefix, and of
# the X server; lighting ticks per second; resident memory; start to first
# frame.
#
#   bench/process/wine.sh LIGHTMATRIX_SCR RESULT_FILE [SECONDS] [WxH] [PREFIX]
#
# PREFIX is the Wine prefix to use (made with wineboot when missing; default
# build/wineprefix-bench). Writes key=value lines to RESULT_FILE.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

scr=$(realpath "$1")
result=$2
seconds=${3:-30}
size=${4:-1920x1080}
prefix=$(realpath -m "${5:-build/wineprefix-bench}")
settle=3

work=$(mktemp -d)
cleanups+=("rm -rf '$work'")
start_xvfb "$size"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanups+=("WINEPREFIX='$prefix' wineserver -k")

if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1
fi
wineboot >/dev/null 2>&1 || true

# The processes of this prefix (wineserver, explorer, services, ...), by the
# WINEPREFIX in their environment.
prefix_pids() {
    local d
    for d in /proc/[0-9]*; do
        { tr '\0' '\n' <"$d/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$prefix" && echo "${d#/proc/}"
    done
}
comm_of() { cat "/proc/$1/comm" 2>/dev/null; }
sum_ticks() {
    local total=0 pid
    for pid in "$@"; do total=$(( total + $(cpu_ticks "$pid") )); done
    echo "$total"
}

idle_x=$(xserver_idle_percent)

stats="$work/stats"
LIGHTMATRIX_STATS="$(winepath -w "$stats")" wine "$scr" /s >"$work/out" 2>"$work/err" &
launcher=$!
started_pids+=("$launcher")
sleep "$settle"

# The saver's own process is the one Wine runs lightmatrix.scr in.
saver=""
for pid in $(prefix_pids); do
    case "$(comm_of "$pid")" in lightmatrix.scr*) saver=$pid ;; esac
done
[ -n "$saver" ] || { echo "lightmatrix.scr is not running under Wine" >&2; cat "$work/err" >&2; exit 1; }
server=""
others=()
for pid in $(prefix_pids); do
    [ "$pid" = "$saver" ] && continue
    case "$(comm_of "$pid")" in
        wineserver*) server=$pid ;;
        *) others+=("$pid") ;;
    esac
done

t0=$(now_ms)
s0=$(cpu_ticks "$saver"); w0=$(cpu_ticks "$server"); o0=$(sum_ticks "${others[@]}")
x0=$(cpu_ticks "$xvfb_pid")
sleep "$seconds"
t1=$(now_ms)
s1=$(cpu_ticks "$saver"); w1=$(cpu_ticks "$server"); o1=$(sum_ticks "${others[@]}")
x1=$(cpu_ticks "$xvfb_pid")
rss=$(status_kb "$saver" VmRSS)
hwm=$(status_kb "$saver" VmHWM)
other_names=$(for pid in "${others[@]}"; do comm_of "$pid"; done | sort | tr '\n' ' ')

# End it as a user would: a click on the full-screen window, then, if that
# did not end it, a key press; as a last resort a signal (no stats then).
ended=$(now_ms)
xdotool mousemove 100 100 click 1
ended_by=click
if ! wait_gone "$saver" 10; then
    ended=$(now_ms)
    xdotool key space
    ended_by=key
    if ! wait_gone "$saver" 10; then
        echo "the screen saver did not end on a click or a key press" >&2
        ended_by="nothing: killed"
        kill "$saver" 2>/dev/null || true
    fi
fi
gone=$(now_ms)
status=0
wait "$launcher" || status=$?

ms=$(( t1 - t0 ))
read_run_figures "$stats"
{
    echo "build=$scr"
    echo "screen=$size"
    echo "measured_ms=$ms"
    echo "saver_cpu_percent=$(percent_of_core $(( s1 - s0 )) "$ms")"
    echo "wineserver_cpu_percent=$(percent_of_core $(( w1 - w0 )) "$ms")"
    echo "wine_other_cpu_percent=$(percent_of_core $(( o1 - o0 )) "$ms")"
    echo "wine_other_processes=$other_names"
    echo "xserver_cpu_percent=$(percent_of_core $(( x1 - x0 )) "$ms")"
    echo "xserver_idle_cpu_percent=$idle_x"
    echo "ticks=$ticks"
    echo "run_ms=$run_ms"
    echo "first_frame_ms=$first"
    tick_rates
    echo "exit_after_input_ms=$(( gone - ended ))"
    echo "rss_kb=$rss"
    echo "hwm_kb=$hwm"
    echo "ended_by=$ended_by"
    echo "exit_status=$status"
} >"$result"
cat "$result"
