#!/usr/bin/env bash
# The real XScreenSaver daemon with a ~/.xscreensaver made by the setup
# command: -activate starts "orbit-patrol --root" and -deactivate ends it.
# The daemon refuses to run as root, so the test makes a throwaway user, and
# it brings its own Xvfb so that user may connect. Every wait is bounded;
# the whole test takes well under a minute. Exits 77 (skipped) when not root
# or when XScreenSaver or Xvfb is missing.
#
#   daemon_test.sh PROGRAM SETUP_COMMAND
set -uo pipefail
program=$1
setup=$2
for tool in useradd userdel Xvfb xscreensaver xscreensaver-command; do
  command -v "$tool" > /dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
[[ $(id -u) -eq 0 ]] || { echo "skipped: making a user needs root"; exit 77; }

user=orbit-xss-$$
base=$(mktemp -d)
chmod 755 "$base"
home=$base/home
xvfb=
daemon_log=$base/daemon.log
cleanup() {
  if [[ -n "$xvfb" ]]; then
    su -s /bin/sh "$user" -c "DISPLAY=:$display xscreensaver-command -exit" > /dev/null 2>&1
  fi
  local pids
  pids=$(pgrep -u "$user")
  [[ -z "$pids" ]] || kill -KILL $pids 2> /dev/null
  [[ -z "$xvfb" ]] || kill "$xvfb" 2> /dev/null
  userdel -r "$user" > /dev/null 2>&1
  rm -rf "$base"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*"
  echo "--- daemon log (end)"; tail -n 20 "$daemon_log" 2> /dev/null
  exit 1
}
# wait_for SECONDS COMMAND...: true once COMMAND succeeds within the time.
wait_for() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < end)) || return 1
    sleep 0.2
  done
}

useradd -M -d "$home" -s /bin/sh "$user" || fail "useradd"
mkdir -p "$home/bin"
cp "$program" "$home/bin/orbit-patrol"
cp "$setup" "$home/bin/orbit-patrol-xscreensaver-setup"
chown -R "$user:" "$home"
as_user() { su -s /bin/sh "$user" -c "cd && HOME=$home PATH=$home/bin:/usr/bin:/bin DISPLAY=:$display $1"; }

exec 3> "$base/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset > "$base/xvfb.log" 2>&1 &
xvfb=$!
exec 3>&-
wait_for 10 test -s "$base/display" || fail "Xvfb did not start"
display=$(cat "$base/display")

as_user orbit-patrol-xscreensaver-setup > /dev/null || fail "setup command"
# Make our hack the one -activate runs: "one" mode, selecting its index
# among all listed hacks (disabled ones count).
index=$(awk '/^programs:/ {on = 1; next}
             on { if ($0 ~ /orbit-patrol/) {print n; exit}; n++; if ($0 !~ /\\$/) exit }' "$home/.xscreensaver")
[[ -n "$index" ]] || fail "no orbit-patrol entry in the new ~/.xscreensaver"
printf 'mode:\t\tone\nselected:\t%s\n' "$index" >> "$home/.xscreensaver"

as_user "xscreensaver --no-splash --verbose" > "$daemon_log" 2>&1 &
wait_for 15 as_user "xscreensaver-command -time" > /dev/null 2>&1 || fail "the daemon did not answer"

hack_running() { pgrep -u "$user" -x orbit-patrol > /dev/null; }
hack_running && fail "the hack runs before activation"
as_user "xscreensaver-command -activate" > /dev/null 2>&1 || fail "xscreensaver-command -activate"
wait_for 15 hack_running || fail "orbit-patrol did not start after -activate"
pid=$(pgrep -u "$user" -x orbit-patrol | head -n 1)
tr '\0' ' ' < "/proc/$pid/cmdline" | grep -q -- '--root' || fail "the hack was not given --root"
sleep 2
hack_running || fail "orbit-patrol ended by itself while active"

as_user "xscreensaver-command -deactivate" > /dev/null 2>&1 || fail "xscreensaver-command -deactivate"
wait_for 10 eval '! hack_running' || fail "orbit-patrol still runs after -deactivate"
echo "ok: -activate ran orbit-patrol --root (pid $pid), -deactivate ended it"
