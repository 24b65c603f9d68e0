#!/usr/bin/env bash
# Whole-program scene benchmark on one Xvfb screen (1280x720x24, Mesa llvmpipe):
# the screensaver (orbit-patrol /s, built-in scene, default 10 ms timer), the
# clear-and-swap floor (bench/tools/clear-swap-floor, 10 ms period) and, when
# installed, XScreenSaver's glplanet (-root -mode globe -delay 10000), one after
# the other, RUNS runs of SECONDS_PER_RUN seconds each. Frames are the swaps
# counted by the LD_PRELOAD shim bench/tools/libswap-counter.so, the same for
# every program. Per run:
#   start-up    script's launch to the return of the first buffer swap (ms)
#   fps         swaps after the first / time between first and last swap
#   cpu/frame   user + sys of the whole process over the run / swaps (ms)
#   peak RSS    VmHWM just before the program is stopped (MiB)
# Prints each run and the medians, the ratios to the floor, and the load
# average before and after (the figures mean little on a busy machine).
#
# MONITORS=N makes the screen N times as wide, split into N RandR monitors of
# 1280x720: the saver then draws one window per monitor, every swap of any of
# them counts as a frame, and CPU per frame stays the cost of one monitor's
# picture (N frames per timer period).
#
#   ORBIT_BUILD_DIR  build folder (default: build)   RUNS (3)   SECONDS_PER_RUN (20)   MONITORS (1)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBIT_BUILD_DIR:-$root/build}
runs=${RUNS:-3}
seconds=${SECONDS_PER_RUN:-20}
shim=$build/bench/tools/libswap-counter.so
floor=$build/bench/tools/clear-swap-floor
saver=${ORBIT_SAVER:-$build/orbit-patrol}
[ -x "$saver" ] || [ ! -x "$build/app/orbit-patrol" ] || saver=$build/app/orbit-patrol
glplanet=$(command -v glplanet || true)
[ -z "$glplanet" ] && [ -x /usr/libexec/xscreensaver/glplanet ] && glplanet=/usr/libexec/xscreensaver/glplanet

for need in "$shim" "$floor"; do
  [ -e "$need" ] || { echo "missing $need: build the targets swap-counter and clear-swap-floor" >&2; exit 1; }
done

work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
monitors=${MONITORS:-1}
# -noreset: the monitors must outlive the xrandr clients that set them.
Xvfb "$display" -screen 0 $((1280 * monitors))x720x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
if [ "$monitors" -gt 1 ]; then
  for i in $(seq 0 $((monitors - 1))); do
    output=none
    [ "$i" -eq 0 ] && output=screen
    xrandr --setmonitor "bench$i" "1280/340x720/190+$((1280 * i))+0" "$output" >/dev/null
  done
  echo "monitors: $(xrandr --listmonitors | head -1)"
fi
# The saver reads its settings from here: none, so every default applies.
export XDG_CONFIG_HOME=$work/config
ticks=$(getconf CLK_TCK)

# measure NAME RUN COMMAND... : one run, one line "name run startup fps cpu rss".
measure() {
  local name=$1 run=$2; shift 2
  local counter=$work/$name.$run.swaps
  local start
  start=$(date +%s%N)
  SWAP_COUNTER_FILE=$counter LD_PRELOAD=$shim "$@" >/dev/null 2>&1 &
  local pid=$!
  sleep "$seconds"
  local stat rss
  stat=$(cut -d' ' -f14,15 "/proc/$pid/stat" 2>/dev/null || echo "0 0")
  rss=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  python3 - "$name" "$run" "$counter" "$start" "$stat" "$rss" "$ticks" <<'PY'
import struct, sys
name, run, path, start, stat, rss, ticks = sys.argv[1:]
try:
    swaps, first, last = struct.unpack("<Qqq", open(path, "rb").read(24))
except (OSError, struct.error):
    swaps, first, last = 0, 0, 0
utime, stime = (int(v) for v in stat.split())
cpu_ms = (utime + stime) * 1000.0 / int(ticks)
startup = (first - int(start)) / 1e6 if swaps else float("nan")
fps = (swaps - 1) / ((last - first) / 1e9) if swaps > 1 and last > first else 0.0
per_frame = cpu_ms / swaps if swaps else float("nan")
print(f"{name} {run} {startup:.1f} {fps:.1f} {per_frame:.2f} {int(rss) / 1024:.1f}")
PY
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
results=$work/results
: > "$results"
programs=(floor)
[ -x "$saver" ] && programs+=(saver) || echo "note: $saver not built; measuring without it" >&2
[ -n "$glplanet" ] && programs+=(glplanet) || echo "note: glplanet not installed (xscreensaver-gl); measuring without it" >&2
for run in $(seq "$runs"); do
  for program in "${programs[@]}"; do
    case $program in
      floor) measure floor "$run" "$floor" 10 ;;
      saver) measure saver "$run" "$saver" /s ;;
      glplanet) measure glplanet "$run" "$glplanet" -root -mode globe -delay 10000 ;;
    esac | tee -a "$results"
  done
done

echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$results" <<'PY'
import statistics, sys
rows = {}
for line in open(sys.argv[1]):
    name, run, *values = line.split()
    rows.setdefault(name, []).append([float(v) for v in values])
med = {name: [statistics.median(col) for col in zip(*values)] for name, values in rows.items()}
print()
print(f"{'program':10} {'start-up ms':>12} {'frames/s':>9} {'CPU ms/frame':>13} {'peak RSS MiB':>13}   (medians of {len(next(iter(rows.values())))} runs)")
for name, (startup, fps, cpu, rss) in med.items():
    print(f"{name:10} {startup:12.1f} {fps:9.1f} {cpu:13.2f} {rss:13.1f}")
if "floor" in med:
    base = med["floor"]
    for name, values in med.items():
        if name != "floor":
            print(f"{name}: CPU per frame {values[2] / base[2]:.2f} x the floor's, start-up {values[0] / base[0]:.2f} x")
PY
