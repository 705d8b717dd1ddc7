#!/usr/bin/env bash
# The Wayland screen saver as a whole process, full screen under a private
# headless sway, side by side with the same program on X11 in a private Xvfb
# of the same size, both over the same window: CPU as % of one core and
# wake-ups a second (timeslices run) by the scheduler's count, the
# compositor's and the X server's beside them, and each program's lighting
# ticks a second from its own count and clock (LIGHTMATRIX_STATS, written when
# SIGTERM ends it). Then the idle watcher, `lightmatrix --idle 600`, waiting
# under the same sway and in the same Xvfb, where nothing goes idle: its
# wake-ups and memory. Then the Wayland program asleep, under a headless
# weston whose output has gone to sleep. sway refuses to run as root: as root, the
# compositors and the Wayland program run as the user nobody.
#
#   bench/process/wayland.sh LIGHTMATRIX_BINARY RESULT_FILE [SECONDS] [WxH]
#
# Writes key=value lines to RESULT_FILE.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

binary=$1
result=$2
seconds=${3:-30}
size=${4:-1920x1080}
settle=2

work=$(mktemp -d)
cleanups+=("rm -rf '$work'")
chmod 755 "$work"
mkdir -m 700 "$work/wayland" "$work/x11"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
    chown 65534:65534 "$work/wayland"
    as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
# A copy that the user running sway may run.
cp "$binary" "$work/wayland/lightmatrix"
[ ${#as_user[@]} -gt 0 ] && chown 65534:65534 "$work/wayland/lightmatrix"
printf 'xwayland disable\noutput HEADLESS-1 mode %s\n' "$size" >"$work/sway.conf"
chmod 644 "$work/sway.conf"
wayland_env=(env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/wayland" WAYLAND_DISPLAY=wayland-1
    SWAYSOCK="$work/wayland/sway.sock" HOME="$work/wayland")

"${as_user[@]}" "${wayland_env[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman \
    WLR_LIBINPUT_NO_DEVICES=1 sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway=$!
started_pids+=("$sway")
wait_for_socket "$work/wayland/wayland-1" sway "$work/sway.log"
start_xvfb "$size"

"${as_user[@]}" "${wayland_env[@]}" LIGHTMATRIX_STATS="$work/wayland/stats" \
    "$work/wayland/lightmatrix" >"$work/wayland.out" 2>"$work/wayland.err" &
wayland=$!
started_pids+=("$wayland")
XDG_RUNTIME_DIR="$work/x11" LIGHTMATRIX_STATS="$work/x11.stats" "$binary" \
    >"$work/x11.out" 2>"$work/x11.err" &
x11=$!
started_pids+=("$x11")
sleep "$settle"
for pid in "$wayland" "$x11"; do
    kill -0 "$pid" || { echo "a screen saver ended early:" >&2; cat "$work"/*.err >&2; exit 1; }
done

{
    echo "build=$binary"
    echo "screen=$size"
    echo "seconds=$seconds"
    measure_window run "$seconds" "wayland:$wayland" "x11:$x11" "compositor:$sway"
    kill -TERM "$wayland" "$x11"
    status=0
    wait "$wayland" || status=$?
    echo "wayland_exit_status=$status"
    status=0
    wait "$x11" || status=$?
    echo "x11_exit_status=$status"
    run_figures wayland_ "$work/wayland/stats"
    run_figures x11_ "$work/x11.stats"

    # The idle watcher, waiting: the session is not idle for its 600 s.
    "${as_user[@]}" "${wayland_env[@]}" "$work/wayland/lightmatrix" --idle 600 \
        >"$work/watcher.out" 2>"$work/watcher.err" &
    watcher=$!
    started_pids+=("$watcher")
    env -u WAYLAND_DISPLAY "$binary" --idle 600 >"$work/watcher_x11.out" 2>"$work/watcher_x11.err" &
    watcher_x11=$!
    started_pids+=("$watcher_x11")
    sleep "$settle"
    for pid in "$watcher" "$watcher_x11"; do
        kill -0 "$pid" || { echo "an idle watcher ended early:" >&2; cat "$work"/watcher*.err >&2; exit 1; }
    done
    measure_window waiting "$seconds" "wayland:$watcher" "x11:$watcher_x11"
    echo "waiting_wayland_rss_kb=$(status_kb "$watcher" VmRSS)"
    echo "waiting_x11_rss_kb=$(status_kb "$watcher_x11" VmRSS)"
    kill -TERM "$watcher" "$watcher_x11"
    for which in wayland:"$watcher" x11:"$watcher_x11"; do
        status=0
        wait "${which#*:}" || status=$?
        echo "waiting_${which%%:*}_exit_status=$status"
    done

    # Asleep: headless weston with an idle time of 1 s puts its output to
    # sleep (no seat, no input ever wakes it) and sends no frame callbacks.
    mkdir -m 700 "$work/weston"
    [ ${#as_user[@]} -gt 0 ] && chown 65534:65534 "$work/weston"
    weston_env=(env -i PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/weston" WAYLAND_DISPLAY=wayland-2
        HOME="$work/weston")
    "${as_user[@]}" "${weston_env[@]}" weston --backend=headless-backend.so --use-pixman \
        --socket=wayland-2 --no-config --idle-time=1 --width="${size%x*}" --height="${size#*x}" \
        >"$work/weston.log" 2>&1 &
    weston=$!
    started_pids+=("$weston")
    wait_for_socket "$work/weston/wayland-2" weston "$work/weston.log"
    "${as_user[@]}" "${weston_env[@]}" "$work/wayland/lightmatrix" >"$work/asleep.out" 2>"$work/asleep.err" &
    asleep=$!
    started_pids+=("$asleep")
    sleep $(( settle + 3 ))
    kill -0 "$asleep" || { echo "the screen saver under weston ended early:" >&2; cat "$work/asleep.err" >&2; exit 1; }
    measure_window asleep "$seconds" "wayland:$asleep" "compositor:$weston"
    kill -TERM "$asleep"
    status=0
    wait "$asleep" || status=$?
    echo "asleep_exit_status=$status"
} >"$result"
cat "$result"
