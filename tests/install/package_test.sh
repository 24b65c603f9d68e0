#!/usr/bin/env bash
# Checks a built orbit-patrol .deb without touching the system: it holds
# exactly the expected files under /usr, its control fields name the real
# libraries and XScreenSaver, lintian finds no error or warning, and dpkg
# installs it into a throwaway root and removes it again without leaving a
# file behind.
#
#   package_test.sh PACKAGE.deb
set -uo pipefail
deb=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

grep -v '^#' "$here/expected-files.txt" | sed 's|^|usr/|' | sort > "$work/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort > "$work/contents"
diff "$work/expected" "$work/contents" > "$work/diff" || fail "package contents differ (< expected, > found): $(cat "$work/diff")"

field() { dpkg-deb -f "$deb" "$1"; }
name=$(basename "$deb")
[[ "$name" == "$(field Package)_$(field Version)_$(field Architecture).deb" ]] || fail "file name $name"
# field | a word it must hold
rows=(
  "Section x11"
  "Recommends xscreensaver"
  "Depends libqt6gui6"
  "Depends libsdl2-2.0-0"
  "Depends libglu1-mesa"
  "Depends qt6-qpa-plugins"
  "Depends qt6-wayland"
)
for row in "${rows[@]}"; do
  read -r key word <<< "$row"
  grep -qw -- "$word" <<< "$(field "$key")" || fail "$key has no $word: $(field "$key")"
done
[[ $(field Description | wc -l) -gt 5 ]] || fail "description has no long text"

if command -v lintian > /dev/null; then
  lintian --fail-on error,warning "$deb" 2>&1 | grep -v 'running with root privileges' > "$work/lintian"
  [[ ${PIPESTATUS[0]} -eq 0 ]] || fail "lintian: $(cat "$work/lintian")"
else
  fail "lintian is not installed"
fi

# Install into an empty root with its own dpkg database (the libraries are
# not there, hence --force-depends), then remove.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
dpkg_root() { dpkg --root="$root" --force-depends --force-not-root --log=/dev/null "$@" > "$work/dpkg.log" 2>&1; }
dpkg_root -i "$deb" || fail "dpkg -i: $(cat "$work/dpkg.log")"
[[ "$(readlink -f "$root/usr/libexec/xscreensaver/orbit-patrol")" == "$root/usr/bin/orbit-patrol" ]] ||
  fail "installed hack link does not reach /usr/bin/orbit-patrol"
dpkg_root -r orbit-patrol || fail "dpkg -r: $(cat "$work/dpkg.log")"
left=$(find "$root" -path "$root/var" -prune -o -print | grep -v "^$root\$")
[[ -z "$left" ]] || fail "left behind after removal: $left"

[[ $failures -eq 0 ]] && echo "package checks passed: $name"
exit $((failures > 0))
