#!/usr/bin/env bash
# Installs what is missing, builds Orbit Patrol (Release) and starts the
# screensaver full screen on its built-in scene. Without a display it runs it
# under Xvfb for a few seconds instead and saves a screenshot.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"

build=${ORBIT_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j"$(nproc)" --target orbit-patrol

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting the screensaver: move the mouse or press a key to end it."
  exec "$build/orbit-patrol" /s
fi

shot="$root/screenshot.png"
echo "No display found: running the screensaver under Xvfb for 5 seconds."
xvfb-run -a -s "-screen 0 1280x720x24 -nolisten tcp" bash -c '
  "$1" /s &
  pid=$!
  sleep 5
  import -window root "$2"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' _ "$build/orbit-patrol" "$shot"
echo "Screenshot written to $shot"
