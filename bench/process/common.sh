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

# Waits up to 10 s for a compositor (name) to make its socket (path); fails
# with its log (file) shown when it does not.
wait_for_socket() {
    for _ in $(seq 100); do
        [ -S "$1" ] && return 0
        sleep 0.1
    done
    echo "$2 did not start" >&2
    cat "$3" >&2
    return 1
}

# The scheduler's figures of a process so far, summed over its threads:
# "CPU_NS SLICES VOLUNTARY INVOLUNTARY TICKS WAIT_NS". CPU_NS, WAIT_NS and
# SLICES are the three numbers of /proc/PID/task/TID/schedstat: nanoseconds on
# a CPU, nanoseconds waiting on a runqueue for one (ready to run, the CPUs
# busy), and timeslices run, that is times the thread was put on a CPU, which
# counts its wake-ups. VOLUNTARY and INVOLUNTARY are the thread's context switches of
# /proc/PID/task/TID/status: the times it went to sleep, and the times it was
# taken off a CPU while it could still run (preemption). These count the
# threads alive when read; a thread that ends takes its figures with it.
# TICKS is utime + stime of /proc/PID/stat in clock ticks, coarser but kept
# for the whole process, ended threads included. Several pids, joined by
# commas, are added up. Empty when a process has gone.
sched_figures() {
    local pid t cpu=0 slices=0 voluntary=0 involuntary=0 ticks=0 waited=0 schedstat status stat
    local sleeps=$'\n''voluntary_ctxt_switches:[[:space:]]*([0-9]+)'
    local preempted='nonvoluntary_ctxt_switches:[[:space:]]*([0-9]+)'
    for pid in ${1//,/ }; do
        { stat=$(<"/proc/$pid/stat"); } 2>/dev/null || { echo; return; }
        # The command name may hold blanks: the fields wanted follow its ")".
        read -r -a stat <<<"${stat##*) }"
        ticks=$(( ticks + stat[11] + stat[12] ))
        for t in /proc/"$pid"/task/*; do
            # Each file read whole, in one go: read line by line, a file of
            # /proc is made again at every seek and its lines can shift.
            { schedstat=$(<"$t/schedstat") && status=$(<"$t/status"); } 2>/dev/null || continue
            read -r -a schedstat <<<"$schedstat"
            cpu=$(( cpu + schedstat[0] ))
            waited=$(( waited + schedstat[1] ))
            slices=$(( slices + schedstat[2] ))
            [[ $status =~ $sleeps ]] && voluntary=$(( voluntary + BASH_REMATCH[1] ))
            [[ $status =~ $preempted ]] && involuntary=$(( involuntary + BASH_REMATCH[1] ))
        done
    done
    echo "$cpu $slices $voluntary $involuntary $ticks $waited"
}

# The bare loops that run beside everything a script measures, as
# "label:pid" entries: started by start_bare_loops, measured in every window.
bare_entries=()

# Starts the bare loop (lightmatrix_bare_loop) at 100 and at 60 wakes a
# second; they run until the script ends.
start_bare_loops() {
    local binary=$1 rate
    [ -n "$binary" ] || return 0
    for rate in 100 60; do
        "$binary" "$rate" &
        started_pids+=("$!")
        bare_entries+=("bare$rate:$!")
    done
}

# The machine's CPU time so far, all CPUs, from the first line of /proc/stat:
# "BUSY IDLE" in clock ticks (idle counts iowait too).
machine_ticks() {
    local cpu user nice system idle iowait irq softirq steal _
    read -r cpu user nice system idle iowait irq softirq steal _ </proc/stat
    echo "$(( user + nice + system + irq + softirq + steal )) $(( idle + iowait ))"
}

# A measured window of SECONDS: the scheduler's figures of the processes
# named by "label:pid[,pid...]" entries, of the X server and of the bare
# loops, at its start and at its end. Prints NAME_ms, NAME_machine_busy_percent
# (how busy the machine's CPUs were, all of them, anyone's processes) and, for
# each entry, NAME[_label]_cpu_percent (% of one core),
# NAME[_label]_wakes_per_second (timeslices), NAME[_label]_voluntary_per_second
# and NAME[_label]_involuntary_per_second, NAME[_label]_waited_ms_per_second
# (on a runqueue), and NAME[_label]_cpu_percent_by_ticks (from /proc/PID/stat,
# ended threads included). An empty label gives NAME_... .
measure_window() {
    local name=$1 seconds=$2
    shift 2
    local entries=("$@" "xserver:$xvfb_pid" "${bare_entries[@]}")
    local -A before after
    local e t0 t1 ms key m0 m1
    for e in "${entries[@]}"; do before[$e]=$(sched_figures "${e#*:}"); done
    m0=$(machine_ticks)
    t0=$(now_ms)
    sleep "$seconds"
    t1=$(now_ms)
    m1=$(machine_ticks)
    for e in "${entries[@]}"; do after[$e]=$(sched_figures "${e#*:}"); done
    ms=$(( t1 - t0 ))
    echo "${name}_ms=$ms"
    awk -v k="$name" -v a="$m0" -v b="$m1" 'BEGIN {
        split(a, x, " "); split(b, y, " ")
        all = (y[1] - x[1]) + (y[2] - x[2])
        if (all > 0) printf "%s_machine_busy_percent=%.1f\n", k, (y[1] - x[1]) * 100 / all }'
    for e in "${entries[@]}"; do
        key=$name${e%%:*}
        [ -n "${e%%:*}" ] && key=${name}_${e%%:*}
        awk -v k="$key" -v a="${before[$e]}" -v b="${after[$e]}" -v ms="$ms" \
            -v hz="$(getconf CLK_TCK)" 'BEGIN {
            n = split(a, x, " "); m = split(b, y, " ")
            if (n < 6 || m < 6 || ms <= 0) {
                printf "%s_cpu_percent=\n%s_wakes_per_second=\n", k, k
                printf "%s_voluntary_per_second=\n%s_involuntary_per_second=\n", k, k
                printf "%s_waited_ms_per_second=\n%s_cpu_percent_by_ticks=\n", k, k
                exit
            }
            printf "%s_cpu_percent=%.3f\n", k, (y[1] - x[1]) / 10000 / ms
            printf "%s_wakes_per_second=%.1f\n", k, (y[2] - x[2]) * 1000 / ms
            printf "%s_voluntary_per_second=%.1f\n", k, (y[3] - x[3]) * 1000 / ms
            printf "%s_involuntary_per_second=%.1f\n", k, (y[4] - x[4]) * 1000 / ms
            printf "%s_waited_ms_per_second=%.2f\n", k, (y[6] - x[6]) / ms / 1000
            printf "%s_cpu_percent_by_ticks=%.3f\n", k, (y[5] - x[5]) / hz * 100000 / ms
        }'
    done
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

# Milliseconds of the wall clock, without a process of its own.
now_ms() {
    local t=${EPOCHREALTIME/[.,]/}
    echo $(( t / 1000 ))
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

# The figures of a program's run, as key=value lines with a prefix: ticks,
# run_ms, first_frame_ms and the tick rates.
run_figures() {
    local prefix=$1
    read_run_figures "$2"
    echo "${prefix}ticks=$ticks"
    echo "${prefix}run_ms=$run_ms"
    echo "${prefix}first_frame_ms=$first"
    tick_rates | sed "s/^/$prefix/"
}
