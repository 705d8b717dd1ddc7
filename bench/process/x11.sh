#!/usr/bin/env bash
# The X11 screen saver as a whole process, full screen in a private Xvfb, side
# by side with the references that show what this machine charges, all in the
# same X server and the same run:
#   - the X server alone (idle);
#   - the screen saver, and the screen saver asleep under the server's own;
#   - the floor program (lightmatrix_x11_floor), the least X11 program that
#     shows 100 new squares a second: waking for each one (100 wakes a
#     second), and waking once a frame (60 a second) for those then due;
#   - the bare loop (lightmatrix_bare_loop), which only sleeps to a deadline,
#     with no X at all, at 100 and at 60 wakes a second: it runs from start to
#     end and is measured over every window beside the others.
# Optionally a screen saver to compare with (another build, such as the one
# before a change) runs at the same time as the screen saver, over the same
# window, in a second Xvfb of its own, so that the machine's load, which
# changes from one window to the next, is the same for both.
#
# Each is measured over a window of SECONDS by the scheduler's count
# (/proc/PID/task/*/schedstat): CPU as % of one core and wake-ups a second
# (timeslices run), with the X server's over the same window. The screen
# saver's lighting ticks a second come from its own count and clock, written
# through LIGHTMATRIX_STATS when it exits; also its resident memory and the
# time from start to its first frame.
#
#   bench/process/x11.sh LIGHTMATRIX_BINARY RESULT_FILE [SECONDS] [WxH] [FLOOR_BINARY]
#                        [BARE_LOOP_BINARY] [BASELINE_BINARY]
#
# Writes key=value lines to RESULT_FILE.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

binary=$1
result=$2
seconds=${3:-30}
size=${4:-1920x1080}
floor=${5:-}
bare=${6:-}
baseline=${7:-}
settle=2
idle_seconds=10

work=$(mktemp -d)
cleanups+=("rm -rf '$work'")
figures="$work/figures"
# Each screen saver holds a lock in its own runtime directory, so that it
# neither meets nor blocks another instance on this machine.
mkdir -m 700 "$work/runtime" "$work/runtime-baseline"
export XDG_RUNTIME_DIR="$work/runtime"

base_entries=()
if [ -n "$baseline" ]; then
    start_xvfb "$size"
    base_display=$DISPLAY
    base_xvfb=$xvfb_pid
    base_entries=("baseline_xserver:$base_xvfb")
fi
start_xvfb "$size"
start_bare_loops "$bare"

# Starts a screen saver (name, program, display, runtime directory); sets pid.
start_saver() {
    DISPLAY=$3 XDG_RUNTIME_DIR=$4 LIGHTMATRIX_STATS="$work/$1.stats" "$2" \
        >"$work/$1.out" 2>"$work/$1.err" &
    pid=$!
    started_pids+=("$pid")
}

# Ends a screen saver (name, pid, display) as a user would, with a key press;
# prints how it ended and its run figures with the prefix NAME_.
end_saver() {
    local ended gone status=0
    ended=$(now_ms)
    DISPLAY=$3 xdotool key space
    if ! wait_gone "$2" 10; then
        echo "the screen saver ($1) did not end on a key press" >&2
        kill "$2"
    fi
    gone=$(now_ms)
    wait "$2" || status=$?
    echo "${1}_exit_after_input_ms=$(( gone - ended ))"
    echo "${1}_exit_status=$status"
    run_figures "${1}_" "$work/$1.stats"
}

# The X servers on their own, with the bare loops beside them.
measure_window idle "$idle_seconds" "${base_entries[@]}" >>"$figures"

# A first run on each server, ended after its first frame. On an Xvfb just
# started, the first client's first full-screen paint costs the server about
# 30 ms of page faults (copy-on-write pages of its framebuffer), which a
# display in use does not pay; that run's first frame is reported as the
# cold one.
start_saver cold "$binary" "$DISPLAY" "$work/runtime"
cold=$pid
if [ -n "$baseline" ]; then
    start_saver baseline_cold "$baseline" "$base_display" "$work/runtime-baseline"
    base_cold=$pid
fi
sleep 1
end_saver cold "$cold" "$DISPLAY" >"$work/cold.figures"
[ -n "$baseline" ] && end_saver baseline_cold "$base_cold" "$base_display" >/dev/null

# The floor at a number of wakes a second, over as long a window.
floor_run() {
    local name=$1 rate=$2 floor_pid
    "$floor" $(( seconds + settle + 1 )) "$rate" &
    floor_pid=$!
    started_pids+=("$floor_pid")
    sleep "$settle"
    measure_window "$name" "$seconds" ":$floor_pid"
    wait "$floor_pid" || true
}

{
    echo "build=$binary"
    echo "screen=$size"
    echo "seconds=$seconds"
    echo "refresh_rate_reported=$(xrandr 2>/dev/null | awk '/\*/ { for (i = 2; i <= NF; ++i) if ($i ~ /\*/) { sub(/[*+]+/, "", $i); print $i; exit } }')"

    # The screen saver, and beside it the one to compare with.
    start_saver saver "$binary" "$DISPLAY" "$work/runtime"
    saver=$pid
    entries=(":$saver")
    if [ -n "$baseline" ]; then
        echo "baseline_build=$baseline"
        start_saver baseline "$baseline" "$base_display" "$work/runtime-baseline"
        base_saver=$pid
        entries+=("baseline:$base_saver" "${base_entries[@]}")
    fi
    sleep "$settle"
    kill -0 "$saver" || { echo "the screen saver ended early:" >&2; cat "$work/saver.err" >&2; exit 1; }
    measure_window saver "$seconds" "${entries[@]}"
    echo "saver_rss_kb=$(status_kb "$saver" VmRSS)"
    # Asleep: the server's own screen saver on, its window over the saver's
    # (noblank), which the saver learns from VisibilityNotify and
    # MIT-SCREEN-SAVER alike.
    xset s noblank
    xset s activate
    sleep 1
    measure_window asleep "$seconds" ":$saver"
    xset s reset
    echo "saver_hwm_kb=$(status_kb "$saver" VmHWM)"
    end_saver saver "$saver" "$DISPLAY"
    if [ -n "$baseline" ]; then
        echo "baseline_rss_kb=$(status_kb "$base_saver" VmRSS)"
        end_saver baseline "$base_saver" "$base_display"
    fi
    echo "first_frame_ms_cold=$(stat_value "$work/cold.stats" first_frame_ms 2>/dev/null || true)"

    if [ -n "$floor" ]; then
        floor_run floor100 100
        floor_run floor60 60
    fi
} >>"$figures"
cp "$figures" "$result"
cat "$result"
