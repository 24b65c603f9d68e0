#!/usr/bin/env bash
# orbit-patrol-xscreensaver-setup on the files a user may have. Each row
# names a starting file and what must hold afterwards: the exit status, a
# word of the message, and how the new file relates to the old one.
#
#   setup_test.sh SETUP_COMMAND DATA_DIR
set -uo pipefail
setup=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL [$case]: $*"; failures=$((failures + 1)); }

# A small system list: three hacks, one disabled, last line without a
# continuation backslash, as in the app-defaults file.
defaults=$work/XScreenSaver
printf '%s\n' '! comment' '*programs:								      \' \
  '				maze --root				    \n\' \
  '-				qix --root				    \n\' \
  '  GL: 				gears --root				    \n' '' '*fade: True' > "$defaults"
ours='  GL: 				"Orbit Patrol"  orbit-patrol --root		    \n\'

entries() {   # programs: entries of a file, in order, one a line
  awk '/^[*]?programs:/ {on = 1; next} on && /\\$/ || on {print; if ($0 !~ /\\$/) on = 0}' "$1" |
    sed -n 's/^[- \t]*\(GL:\)\{0,1\}[ \t]*\("[^"]*"\)\{0,1\}[ \t]*\([a-z0-9-]*\).*/\3/p' | grep .
}

# Starting files.
make_case() {
  local f=$1
  case $case in
    no-file) ;;
    settings-written) cp "$data/settings-written.xscreensaver" "$f" ;;
    already-listed)
      sed 's/^\(\t*\)maze --root\(.*\)$/-  GL: orbit-patrol --root \\n\\\n\1maze --root\2/' \
        "$data/settings-written.xscreensaver" > "$f" ;;
    programs-missing) printf 'timeout:\t0:05:00\nlock:\t\tFalse' > "$f" ;;   # no final newline
    unwritable) cp "$data/settings-written.xscreensaver" "$f"; chmod 444 "$f" ;;
    two-lists) cat "$data/settings-written.xscreensaver" "$data/settings-written.xscreensaver" > "$f" ;;
    unterminated) printf 'programs:\t\\\n  maze --root \\n\\\n' > "$f" ;;
    one-line) printf 'lock: False\nprograms: maze --root\n' > "$f" ;;
    symlink)
      cp "$data/settings-written.xscreensaver" "$work/$case/real"
      ln -s real "$f" ;;
  esac
}

# case | exit status | word in the output | expected change
rows=(
  "no-file          0 added    from-defaults"
  "settings-written 0 added    one-line"
  "already-listed   0 already  none"
  "programs-missing 0 added    appended"
  "unwritable       1 writable none"
  "two-lists        1 more     none"
  "unterminated     1 end      none"
  "one-line         1 one      none"
  "symlink          0 added    one-line"
)
for row in "${rows[@]}"; do
  read -r case want_status word change <<< "$row"
  mkdir -p "$work/$case"
  file=$work/$case/.xscreensaver
  make_case "$file"
  before=$work/$case.before
  if [[ -e "$file" ]]; then cp -p "$file" "$before"; fi
  mode_before=$(stat -L -c %a "$file" 2>/dev/null)
  output=$(HOME=$work/$case "$setup" --defaults "$defaults" 2>&1)
  status=$?
  [[ $status -eq $want_status ]] || fail "exit status $status, expected $want_status: $output"
  grep -qi -- "$word" <<< "$output" || fail "no \"$word\" in: $output"
  leftovers=$(find "$work/$case" -name '.xscreensaver.orbit-patrol.*')
  [[ -z "$leftovers" ]] || fail "temporary file left: $leftovers"
  backups=$(find "$work/$case" -name '*orbit-patrol-backup*' | wc -l)
  case $change in
    none)
      if [[ -e "$before" ]]; then cmp -s "$before" "$file" || fail "file changed"; fi
      [[ $backups -eq 0 ]] || fail "backup written although nothing changed"
      ;;
    one-line)
      # Exactly our line added, after the last entry; nothing else differs.
      diff=$(diff "$before" "$file" | grep '^[<>]')
      [[ "$diff" == "> $ours" ]] || fail "difference is not the one entry line: $diff"
      [[ "$(entries "$file" | tail -n 1)" == orbit-patrol ]] || fail "entry not placed last"
      [[ $backups -eq 1 ]] && cmp -s "$before" "$(find "$work/$case" -name '*orbit-patrol-backup*')" ||
        fail "no backup with the old bytes"
      [[ "$(stat -c %a "$(readlink -f "$file")")" == "$mode_before" ]] || fail "permissions changed"
      ;;
    appended)
      head -c "$(stat -c %s "$before")" "$file" | cmp -s - "$before" || fail "old bytes not kept at the start"
      [[ "$(entries "$file" | tr '\n' ' ')" == "maze qix orbit-patrol gears " ]] ||
        fail "list is not the system list plus ours: $(entries "$file" | tr '\n' ' ')"
      ;;
    from-defaults)
      [[ "$(entries "$file" | tr '\n' ' ')" == "maze qix orbit-patrol gears " ]] ||
        fail "list is not the system list plus ours: $(entries "$file" | tr '\n' ' ')"
      grep -q "^-.*qix --root" "$file" || fail "disabled hack not kept disabled"
      [[ $backups -eq 0 ]] || fail "backup of a file that did not exist"
      ;;
  esac
  if [[ $case == symlink ]]; then
    [[ -L "$file" ]] || fail "the link was replaced by a file"
  fi
  # A second run changes nothing.
  if [[ $want_status -eq 0 ]]; then
    cp -p "$file" "$work/$case.after"
    again=$(HOME=$work/$case "$setup" --defaults "$defaults" 2>&1) || fail "second run failed: $again"
    cmp -s "$work/$case.after" "$file" || fail "second run changed the file"
    grep -q already <<< "$again" || fail "second run did not say so: $again"
  fi
done

# The real system list, when installed: every hack in it is kept.
if [[ -r /etc/X11/app-defaults/XScreenSaver ]]; then
  case=system-defaults
  mkdir -p "$work/$case"
  HOME=$work/$case "$setup" > /dev/null 2>&1 || fail "exit status $?"
  want=$(( $(entries /etc/X11/app-defaults/XScreenSaver | wc -l) + 1 ))
  [[ $(entries "$work/$case/.xscreensaver" | wc -l) -eq $want ]] || fail "not every system hack kept"
fi

[[ $failures -eq 0 ]] && echo "all ${#rows[@]} cases passed"
exit $((failures > 0))
