#!/usr/bin/env bash
# Builds the Linux screen saver and starts it. On a desktop, Wayland or X11, it
# runs full screen until a key or a mouse button is pressed. Where there is no
# display it runs for a few seconds in a private Xvfb and saves a screenshot
# instead.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset app >/dev/null
cmake --build --preset app -j "$(nproc)"
saver=build/app/lightmatrix

if [ -n "${WAYLAND_DISPLAY:-}" ] || { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
    exec "$saver" "$@"
fi

shot=${LIGHTMATRIX_SCREENSHOT:-lightmatrix-screenshot.png}
echo "No display: running lightmatrix for 5 seconds in a private Xvfb."
exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
# A private display gets a private instance lock too.
private_dir=$(mktemp -d)
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null || true; rm -rf "$private_dir"' EXIT
read -r -t 20 number <&3
export DISPLAY=":$number"
export XDG_RUNTIME_DIR="$private_dir"
"$saver" "$@" &
saver_pid=$!
sleep 5
import -window root "$shot"
xdotool key space
status=0
wait "$saver_pid" || status=$?
echo "Screenshot of the running screen saver: $shot (lightmatrix exited with status $status)"
exit "$status"
