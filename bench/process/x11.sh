#!/usr/bin/env bash
# The X11 screen saver as a whole process, full screen in a private Xvfb:
# its own CPU and the X server's CPU over a measured window, lighting ticks per
# second, resident memory, and the time from start to the first frame.
#
#   bench/process/x11.sh LIGHTMATRIX_BINARY RESULT_FILE [SECONDS] [WxH] [FLOOR_BINARY]
#
# Writes key=value lines to RESULT_FILE. The program reports ticks, run time
# and its first frame through LIGHTMATRIX_STATS when it exits. FLOOR_BINARY
# (lightmatrix_x11_floor) is the least X11 program that shows a new square
# every 10 ms; its CPU over the same time is the floor the machine sets.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

binary=$1
result=$2
seconds=${3:-30}
size=${4:-1920x1080}
floor=${5:-}
settle=2

work=$(mktemp -d)
cleanups+=("rm -rf '$work'")
start_xvfb "$size"

# The X server on its own, for comparison.
idle_x=$(xserver_idle_percent)

# A first run, ended after its first frame. On an Xvfb just started, the first
# client's first full-screen paint costs the server about 30 ms of page faults
# (copy-on-write pages of its framebuffer), which a display in use does not
# pay; that run's first frame is reported as the cold one.
LIGHTMATRIX_STATS="$work/cold" "$binary" >/dev/null 2>"$work/cold_err" &
cold=$!
started_pids+=("$cold")
sleep 1
xdotool key space
wait_gone "$cold" 10 || kill "$cold"
wait "$cold" || true

stats="$work/stats"
LIGHTMATRIX_STATS="$stats" "$binary" >"$work/out" 2>"$work/err" &
saver=$!
started_pids+=("$saver")
sleep "$settle"
kill -0 "$saver" || { echo "the screen saver ended early:" >&2; cat "$work/err" >&2; exit 1; }

t0=$(now_ms)
s0=$(cpu_ticks "$saver"); sn0=$(cpu_ns "$saver")
x0=$(cpu_ticks "$xvfb_pid"); xn0=$(cpu_ns "$xvfb_pid")
sleep "$seconds"
t1=$(now_ms)
s1=$(cpu_ticks "$saver"); sn1=$(cpu_ns "$saver")
x1=$(cpu_ticks "$xvfb_pid"); xn1=$(cpu_ns "$xvfb_pid")
rss=$(status_kb "$saver" VmRSS)
hwm=$(status_kb "$saver" VmHWM)

# End it as a user would: a key press.
ended=$(now_ms)
xdotool key space
if ! wait_gone "$saver" 10; then
    echo "the screen saver did not end on a key press" >&2
    kill "$saver"
fi
gone=$(now_ms)
status=0
wait "$saver" || status=$?

ms=$(( t1 - t0 ))

# The floor: the least X11 program that does what the saver shows, over as
# long a time, on the same server.
floor_cpu="" floor_x=""
if [ -n "$floor" ]; then
    "$floor" $(( seconds + settle + 1 )) &
    floor_pid=$!
    started_pids+=("$floor_pid")
    sleep "$settle"
    f0=$(cpu_ns "$floor_pid"); fx0=$(cpu_ns "$xvfb_pid"); ft0=$(now_ms)
    sleep "$seconds"
    f1=$(cpu_ns "$floor_pid"); fx1=$(cpu_ns "$xvfb_pid"); ft1=$(now_ms)
    wait "$floor_pid" || true
    floor_cpu=$(percent_of_core_ns "$([ -n "$f0" ] && echo $(( f1 - f0 )))" $(( ft1 - ft0 )))
    floor_x=$(percent_of_core_ns "$([ -n "$fx0" ] && echo $(( fx1 - fx0 )))" $(( ft1 - ft0 )))
fi
read_run_figures "$stats"
{
    echo "build=$binary"
    echo "screen=$size"
    echo "measured_ms=$ms"
    echo "saver_cpu_percent=$(percent_of_core $(( s1 - s0 )) "$ms")"
    echo "saver_cpu_percent_schedstat=$(percent_of_core_ns "$([ -n "$sn0" ] && echo $(( sn1 - sn0 )))" "$ms")"
    echo "xserver_cpu_percent=$(percent_of_core $(( x1 - x0 )) "$ms")"
    echo "xserver_cpu_percent_schedstat=$(percent_of_core_ns "$([ -n "$xn0" ] && echo $(( xn1 - xn0 )))" "$ms")"
    echo "xserver_idle_cpu_percent=$idle_x"
    echo "ticks=$ticks"
    echo "run_ms=$run_ms"
    tick_rates
    echo "exit_after_input_ms=$(( gone - ended ))"
    echo "rss_kb=$rss"
    echo "hwm_kb=$hwm"
    echo "first_frame_ms=$first"
    echo "first_frame_ms_cold=$(stat_value "$work/cold" first_frame_ms 2>/dev/null || true)"
    echo "floor_cpu_percent_schedstat=$floor_cpu"
    echo "floor_xserver_cpu_percent_schedstat=$floor_x"
    echo "exit_status=$status"
} >"$result"
cat "$result"
