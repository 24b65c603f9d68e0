#!/usr/bin/env bash
# Runs a command inside a headless sway session with two outputs (HEADLESS-1
# 800x600 at 0,0 and HEADLESS-2 640x480 at 800,0). sway refuses to run as
# root, so as root the session and the command run as the throwaway system
# user orbit-wayland (made here when missing). The command gets
# WAYLAND_DISPLAY (an absolute path, so a child's own XDG_RUNTIME_DIR does not
# hide it) and SWAYSOCK, and no DISPLAY; the session's XWayland display, when
# it has one, is in ORBIT_XWAYLAND_DISPLAY.
#
# Exit status: the command's, or 77 (CTest's skip) with the reason printed
# when the compositor cannot start here.
#
#   wayland-session.sh COMMAND [ARGS...]
set -uo pipefail
for tool in sway swaymsg wtype grim; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (tools/install-deps.sh)"; exit 77; }
done

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  if ! id orbit-wayland >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin orbit-wayland ||
      { echo "SKIP: cannot create the user orbit-wayland for sway"; exit 77; }
  fi
  as_user=(runuser -u orbit-wayland --)
fi

runtime=$(mktemp -d /tmp/orbit-wayland.XXXXXX)
chmod 700 "$runtime"
[ ${#as_user[@]} -eq 0 ] || chown orbit-wayland: "$runtime"
# No key repeat: on a busy machine a release that comes late would repeat a
# key the test pressed once.
printf 'output HEADLESS-1 resolution 800x600 position 0 0\ninput * repeat_delay 30000\ninput * repeat_rate 1\n' \
  > "$runtime/sway.conf"
session=(env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1)

"${as_user[@]}" "${session[@]}" sway -c "$runtime/sway.conf" > "$runtime/sway.log" 2>&1 &
sway_pid=$!
cleanup() {
  kill "$sway_pid" 2>/dev/null
  wait "$sway_pid" 2>/dev/null
  rm -rf "$runtime"
}
trap cleanup EXIT

socket=""
for _ in $(seq 100); do
  socket=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -1)
  [ -n "$socket" ] && [ -S "$runtime/wayland-1" ] && break
  kill -0 "$sway_pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$socket" ] || [ ! -S "$runtime/wayland-1" ]; then
  echo "SKIP: headless sway did not start:"
  tail -5 "$runtime/sway.log"
  exit 77
fi
session+=(SWAYSOCK="$socket" WAYLAND_DISPLAY="$runtime/wayland-1")
# XWayland starts on demand on a display whose lock file names sway's process.
xwayland=""
for _ in $(seq 30); do
  for lock in /tmp/.X*-lock; do
    pid=$(tr -dc '0-9' < "$lock" 2>/dev/null)
    if [ -n "$pid" ] && [ -r "/proc/$pid/environ" ] &&
      tr '\0' '\n' < "/proc/$pid/environ" | grep -qx "XDG_RUNTIME_DIR=$runtime"; then
      number=${lock#/tmp/.X}
      xwayland=":${number%-lock}"
    fi
  done
  [ -n "$xwayland" ] && break
  sleep 0.1
done
[ -n "$xwayland" ] && session+=(ORBIT_XWAYLAND_DISPLAY="$xwayland")
"${as_user[@]}" "${session[@]}" swaymsg -q create_output
"${as_user[@]}" "${session[@]}" swaymsg -q output HEADLESS-2 resolution 640x480 position 800 0
"${as_user[@]}" "${session[@]}" "$@"
