# Helpers for the whole-process measurements; sourced by the scripts beside it.
# Every process these scripts start is remembered by its pid and ended by that
# pid when the script exits, also on failure.

started_pids=()
cleanups=()

cleanup() {
    local c pid
    for c in "${cleanups[@]}"; do eval "$c" || true; done
    for pid in "${started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    sleep 0.2
    for pid in "${started_pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
}
trap cleanup EXIT

# Starts a private Xvfb of the given size; sets xvfb_pid and DISPLAY.
start_xvfb() {
    local size=$1 fd_file
    fd_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fd_file" 2>/dev/null &
    xvfb_pid=$!
    started_pids+=("$xvfb_pid")
    for _ in $(seq 100); do
        [ -s "$fd_file" ] && break
        sleep 0.1
    done
    [ -s "$fd_file" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n1 "$fd_file")"
    rm -f "$fd_file"
}

# CPU time of a process so far, in clock ticks (utime + stime of /proc/PID/stat).
cpu_ticks() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
    # The command name may hold blanks: the fields we want follow its ")".
    set -- ${stat##*) }
    echo $(( ${12} + ${13} ))
}

# CPU time in nanoseconds from the scheduler (/proc/PID/schedstat), finer
# than clock ticks; empty where the kernel does not provide it.
cpu_ns() {
    local first
    read -r first _ <"/proc/$1/schedstat" 2>/dev/null && echo "$first"
}

# A field in kB from /proc/PID/status (VmRSS, VmHWM).
status_kb() {
    awk -v f="$2:" '$1 == f { print $2 }' "/proc/$1/status" 2>/dev/null
}

# A key=value from a stats file.
stat_value() {
    # The Windows program writes its figures with CRLF line ends.
    tr -d '\r' <"$1" | sed -n "s/^$2=//p" | head -n1
}

# Percent of one core: ticks over a wall time in milliseconds.
percent_of_core() {
    awk -v t="$1" -v hz="$(getconf CLK_TCK)" -v ms="$2" 'BEGIN { printf "%.3f", t / hz * 100000 / ms }'
}
percent_of_core_ns() {
    awk -v ns="$1" -v ms="$2" 'BEGIN { if (ns == "") print ""; else printf "%.3f", ns / 10000 / ms }'
}

now_ms() {
    date +%s%3N
}

# Waits up to $2 seconds for process $1 to end; true if it did.
wait_gone() {
    local pid=$1 limit=$(( $2 * 10 ))
    for _ in $(seq "$limit"); do
        kill -0 "$pid" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}

# The X server's CPU over 5 s with nothing of ours running, % of one core.
xserver_idle_percent() {
    local before after
    before=$(cpu_ticks "$xvfb_pid")
    sleep 5
    after=$(cpu_ticks "$xvfb_pid")
    percent_of_core $(( after - before )) 5000
}

# Sets ticks, run_ms and first from a program's run figures (empty if absent).
read_run_figures() {
    ticks=$(stat_value "$1" ticks 2>/dev/null || true)
    run_ms=$(stat_value "$1" run_ms 2>/dev/null || true)
    first=$(stat_value "$1" first_frame_ms 2>/dev/null || true)
}

# The tick rates from those figures: from the first frame (the timers tick
# once the load step is done) to the end of the run, both by the program's
# own clock; and over the whole run.
tick_rates() {
    echo "ticks_per_second=$(awk -v t="$ticks" -v ms="$run_ms" -v f="$first" 'BEGIN { if (t != "" && f >= 0 && ms - f > 0) printf "%.2f", t * 1000 / (ms - f) }')"
    echo "ticks_per_second_by_run_ms=$(awk -v t="$ticks" -v ms="$run_ms" 'BEGIN { if (ms > 0) printf "%.2f", t * 1000 / ms }')"
}
