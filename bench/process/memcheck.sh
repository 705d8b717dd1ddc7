#!/usr/bin/env bash
# The X11 screen saver under valgrind's memcheck for a few seconds, full
# screen in a private Xvfb, ended by a key press as a user would end it. It
# passes when valgrind reports no error and no leaked block (definite,
# indirect or possible), and the program exits with status 0.
#
#   bench/process/memcheck.sh LIGHTMATRIX_BINARY RESULT_FILE [SECONDS]
#
# Writes key=value lines to RESULT_FILE and the valgrind log beside it
# (RESULT_FILE.log); exits 1 when the run does not pass.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/common.sh"

binary=$1
result=$2
seconds=${3:-5}
log="$result.log"

work=$(mktemp -d)
cleanups+=("rm -rf '$work'")
# The program's instance lock in a runtime directory of its own, so that it
# neither meets nor blocks another instance on this machine.
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
start_xvfb 1280x1024

stats="$work/stats"
LIGHTMATRIX_STATS="$stats" valgrind --tool=memcheck --leak-check=full \
    --show-leak-kinds=definite,indirect,possible --errors-for-leak-kinds=definite,indirect,possible \
    --track-origins=yes --error-exitcode=99 --log-file="$log" "$binary" >"$work/out" 2>"$work/err" &
saver=$!
started_pids+=("$saver")

# Under valgrind start-up is slow: wait for the window, then let it run.
for _ in $(seq 300); do
    xdotool search --name '^Form1$' >/dev/null 2>&1 && break
    kill -0 "$saver" 2>/dev/null || break
    sleep 0.1
done
sleep "$seconds"
xdotool key space
if ! wait_gone "$saver" 60; then
    echo "the screen saver did not end on a key press under valgrind" >&2
    kill "$saver" 2>/dev/null || true
fi
status=0
wait "$saver" || status=$?

summary=$(grep -E "ERROR SUMMARY" "$log" | tail -n1 | sed 's/^==[0-9]*== //')
errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9,]*\) errors.*/\1/p' "$log" | tail -n1 | tr -d ,)
leak() { sed -n "s/.*$1: \\([0-9,]*\\) bytes in \\([0-9,]*\\) blocks.*/\\1/p" "$log" | tail -n1 | tr -d ,; }
{
    echo "build=$binary"
    echo "seconds=$seconds"
    echo "ticks=$(stat_value "$stats" ticks 2>/dev/null || true)"
    echo "exit_status=$status"
    echo "errors=${errors:-unknown}"
    echo "definitely_lost_bytes=$(leak 'definitely lost')"
    echo "indirectly_lost_bytes=$(leak 'indirectly lost')"
    echo "possibly_lost_bytes=$(leak 'possibly lost')"
    echo "still_reachable_bytes=$(leak 'still reachable')"
    echo "summary=$summary"
} >"$result"
cat "$result"
# No leak summary at all means every block was freed.
[ "$status" -eq 0 ] && [ "${errors:-1}" -eq 0 ]
