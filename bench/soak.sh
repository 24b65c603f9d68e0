#!/usr/bin/env bash
# Soak run: nothing may grow or stall over a long run. Not run by CI.
#
#  1. orbit-patrol-inspect render --frames 200000 --size 320x240 (headless EGL),
#     with a census line every 1000 frames (--census-every).
#  2. orbit-patrol /s for SOAK_SECONDS (600) on Xvfb (640x480x24) at Timer=1,
#     settings in a temporary XDG_CONFIG_HOME, the shot sound on SDL's dummy
#     driver, ended by SIGTERM. ORBIT_PATROL_TICK_LOG records every tick and
#     ORBIT_PATROL_GL_NAMES a census line every 1000 ticks.
#
# A census line is "frame N rss_kib K textures T lists L": resident memory and
# the live GL texture and display-list names in the program's context.
# Checks, for each run:
#   - RSS at the census after the first 1000 frames and at the last one within 2 MiB
#   - the numbers of live texture and list names the same in every census
#   - (/s only) no gap between ticks over 50 ms after the first second
# Prints the figures and PASS/FAIL per check; exits 1 when a check fails.
#
#   ORBIT_BUILD_DIR (build)  SOAK_SECONDS (600)  INSPECT_FRAMES (200000)  KEEP=1 keeps the logs
#   SOAK_PARTS ("inspect saver"): run only one of the two, e.g. both at once in two shells
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBIT_BUILD_DIR:-$root/build}
seconds=${SOAK_SECONDS:-600}
frames=${INSPECT_FRAMES:-200000}
saver=$build/orbit-patrol
inspect=$build/tools/orbit-patrol-inspect
for need in "$saver" "$inspect"; do
  [ -x "$need" ] || { echo "missing $need: build orbit-patrol and orbit-patrol-inspect" >&2; exit 1; }
done
command -v xvfb-run >/dev/null || { echo "xvfb-run is needed" >&2; exit 1; }

work=$(mktemp -d)
[ "${KEEP:-0}" = 1 ] && echo "logs in $work" || trap 'rm -rf "$work"' EXIT
failed=0
# Copies, so that a rebuild during the run does not change what is measured.
cp "$saver" "$inspect" "$work/"
saver=$work/orbit-patrol
inspect=$work/orbit-patrol-inspect

# census FILE LABEL: the RSS and name checks over one run's census lines.
census() {
  awk -v label="$2" '
    $1 == "frame" { n++; rss[n] = $4; tex[n] = $6; lst[n] = $8; frame[n] = $2 }
    END {
      if (n < 2) { printf "%s: FAIL only %d census lines\n", label, n; exit 1 }
      bad = 0; minT = maxT = tex[1]; minL = maxL = lst[1]
      for (i = 2; i <= n; i++) {
        if (tex[i] < minT) minT = tex[i]; if (tex[i] > maxT) maxT = tex[i]
        if (lst[i] < minL) minL = lst[i]; if (lst[i] > maxL) maxL = lst[i]
      }
      d = rss[n] - rss[1]
      printf "%s: RSS %d KiB at frame %d, %d KiB at frame %d (change %+d KiB): %s\n", label, rss[1], frame[1],
             rss[n], frame[n], d, (d <= 2048 && d >= -2048) ? "PASS" : "FAIL"
      if (d > 2048 || d < -2048) bad = 1
      printf "%s: live texture names %d..%d, list names %d..%d over %d censuses: %s\n", label, minT, maxT, minL,
             maxL, n, (minT == maxT && minL == maxL) ? "PASS" : "FAIL"
      if (minT != maxT || minL != maxL) bad = 1
      exit bad
    }' "$1"
}

parts=${SOAK_PARTS:-inspect saver}
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
if [[ " $parts " == *" inspect "* ]]; then
echo "== orbit-patrol-inspect render --frames $frames --size 320x240"
start=$(date +%s)
"$inspect" render --frames "$frames" --size 320x240 --census-every 1000 -o "$work/last.png" 2>"$work/inspect.log" ||
  { echo "inspect: FAIL exit status $?"; failed=1; }
echo "inspect: $(( $(date +%s) - start )) s for $frames frames"
census "$work/inspect.log" inspect || failed=1
fi

if [[ " $parts " == *" saver "* ]]; then

echo "== orbit-patrol /s for $seconds s at Timer=1 on Xvfb"
mkdir -p "$work/config/Torvo" "$work/runtime"
chmod 700 "$work/runtime"
: >"$work/saver.log"
printf '[Options]\nTimer=1\n' >"$work/config/Torvo/orbit-patrol.ini"
cp "$work/config/Torvo/orbit-patrol.ini" "$work/settings-before.ini"
status=0
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" ORBIT_PATROL_TICK_LOG="$work/ticks.log" ORBIT_PATROL_GL_NAMES="$work/saver.log" \
  SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 640x480x24 -nolisten tcp -noreset" bash -c '
    "$1" /s 2>"$3" & pid=$!
    sleep "$2"
    kill -TERM "$pid"
    wait "$pid"' soak "$saver" "$seconds" "$work/saver.stderr" || status=$?
[ "$status" = 0 ] && echo "saver: ended with status 0 on SIGTERM: PASS" || { echo "saver: FAIL status $status"; failed=1; }
cmp -s "$work/settings-before.ini" "$work/config/Torvo/orbit-patrol.ini" && echo "saver: settings file untouched: PASS" ||
  { echo "saver: FAIL the settings file changed"; failed=1; }
[ -s "$work/saver.stderr" ] && { echo "saver: stderr:"; head -5 "$work/saver.stderr"; }
census "$work/saver.log" saver || failed=1
awk '
  NR == 1 { first = $1 }
  NR > 1 && $1 - first > 1000000 { gap = $1 - last; if (gap > worst) { worst = gap; at = ($1 - first) / 1e6 } if (gap > 50000) over++ }
  { last = $1; n++ }
  END {
    span = (last - first) / 1e6
    printf "saver: %d ticks in %.1f s (%.0f per s); longest gap after the first second %.1f ms at %.1f s, %d over 50 ms: %s\n",
           n, span, n / (span > 0 ? span : 1), worst / 1000, at, over, over == 0 ? "PASS" : "FAIL"
    exit over != 0
  }' "$work/ticks.log" || failed=1
fi

echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $failed
