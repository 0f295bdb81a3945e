#!/usr/bin/env bash
# The Windows program end to end under Wine, on a virtual screen with a window manager:
#   windows.sh JOTCRATE_EXE LINUX_JOTCRATE WINEPREFIX
# In a fresh folder it starts, shows its window and the starter records; typed text survives
# ALT+F4 and a restart; -d writes the dump, byte for byte the one the Linux build writes from
# the same data file, and beside the running window too; the end of the session keeps what was
# typed; a second start brings the minimised first back.
set -euo pipefail
exe=$1
linux=$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
for tool in "$wine" Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps --windows)"; exit 1; }
done

root=$(mktemp -d /tmp/jotcrate-wine-XXXXXX)
. "$(dirname "$0")/screen.sh"
mkdir -p "$root/app" "$root/linux" "$root/run"
chmod 700 "$root/run"
cp "$exe" "$root/app/jotcrate.exe"
start_screen
# A new prefix is made once (a minute on a busy machine); later runs reuse it.
"$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot"

# A first start in a new prefix beside the other Wine suites took more than a minute once.
start_program() {
  (cd "$root/app" && exec "$wine" jotcrate.exe) >"$root/out.txt" 2>&1 & app=$!
  pids+=($app)
  wait_window 180
}

dump() { (cd "$root/app" && "$wine" jotcrate.exe -d) && cat "$root/app/record-dump.txt"; }

start_program
[ "$(stat -c %s "$root/app/Jotcrate.jcd")" -eq $((9 * 32001)) ] || fail "no starter file"
xdotool type --delay 25 'Hello from Wine'
xdotool key Return
close_window
wait_exit "$app" || fail "exit status $?"
dump | grep -q $'^Hello from Wine\r$' || fail "typed text not stored: $(dump | head -5)"

# What the first run stored is there after a restart, and more is added to it.
start_program
xdotool key ctrl+End
xdotool type --delay 25 ' and again'
close_window
wait_exit "$app" || fail "exit status $?"
dump | grep -q ' and again' || fail "text typed after a restart not stored"

# The same data file dumped by both builds: identical bytes (with a record of each encoding).
printf 'Caf\xc3\xa9 \xe2\x82\xac UTF-8\r\nline two' >"$root/utf8.txt"
printf 'Caf\xe9 1252' >"$root/cp1252.txt"
for text in "$root/utf8.txt" "$root/cp1252.txt"; do
  printf '\0' >>"$root/app/Jotcrate.jcd"
  od -An -v -tu1 "$text" | tr -s ' ' '\n' | grep -v '^$' | while read -r byte; do
    printf "\\$(printf '%03o' $(((256 - byte) % 256)))"
  done >>"$root/app/Jotcrate.jcd"
  head -c $((32000 - $(stat -c %s "$text"))) /dev/zero >>"$root/app/Jotcrate.jcd"
done
dump >/dev/null || fail "dump"
cp "$root/app/Jotcrate.jcd" "$linux" "$root/linux/"
(cd "$root/linux" && env -u DISPLAY XDG_RUNTIME_DIR="$root/run" "./$(basename "$linux")" -d) || fail "Linux dump"
cmp "$root/app/record-dump.txt" "$root/linux/record-dump.txt" || fail "the two dumps differ"

# The end of the session (WM_QUERYENDSESSION, WM_ENDSESSION) with nothing open, with the
# context menu open, and with a question open: the program ends and what was typed is in the
# data file or a recovery file.
windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
for state in nothing context-menu question; do
  start_program
  text="Typed before the session ended with $state open"
  xdotool type --delay 25 "$text"
  before=$(windows)
  case $state in
    context-menu) xdotool mousemove --window "$window" 200 200 click 3 ;;
    question) xdotool key alt+d ;;
  esac
  if [ $state != nothing ]; then
    for _ in $(seq 100); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
    [ "$(windows)" -gt "$before" ] || fail "nothing opened for $state"
  fi
  "$wine" wineboot --end-session || fail "wineboot --end-session"
  wait_exit "$app" || fail "exit status $? at the end of the session with $state open"
  { dump; cat "$root"/app/Jotcrate-unsaved-*.txt 2>/dev/null || true; } | grep -q "$text" ||
    fail "the text typed before the session ended with $state open is lost"
done

# The window menu by a right-click on a button, then Move in the system's keyboard mode: the
# arrows move the window, ENTER keeps it there; ALT+MINUS, then X maximises.
start_program
place() { xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}'; }
start=$(place)
before=$(windows)
xdotool mousemove --window "$window" 20 20 click 3
for _ in $(seq 100); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
[ "$(windows)" -gt "$before" ] || fail "no window menu after a right-click on a button"
xdotool key m
# The mode starts in its own time: RIGHT until the window follows.
for _ in $(seq 50); do xdotool key Right; [ "$(place)" != "$start" ] && break; sleep 0.1; done
xdotool key Return
read -r x0 y0 <<<"$start"
read -r x1 y1 <<<"$(place)"
((x1 > x0 && y1 == y0)) || fail "a right-click, M and RIGHT moved the window from $start to $x1 $y1"
xdotool key alt+minus
for _ in $(seq 100); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
xdotool key x
for _ in $(seq 100); do [[ $(xprop -id "$window" _NET_WM_STATE) == *MAXIMIZED_VERT* ]] && break; sleep 0.1; done
[[ $(xprop -id "$window" _NET_WM_STATE) == *MAXIMIZED_VERT* ]] || fail "ALT+MINUS, X did not maximise"
close_window
wait_exit "$app" || fail "exit status $?"

# -d beside the running window dumps what it saved and leaves the window be; an unknown option
# is refused with status 2.
start_program
xdotool windowminimize --sync "$window"
rm -f "$root/app/record-dump.txt"
dump | grep -q ' and again' || fail "-d beside the running window wrote no dump"
[[ $(xprop -id "$window" _NET_WM_STATE) == *HIDDEN* ]] || fail "-d brought the running window back"
status=0
(cd "$root/app" && "$wine" jotcrate.exe -x) >/dev/null 2>&1 || status=$?
[ $status -eq 2 ] || fail "an unknown option gave status $status, not 2"

# A second start brings the minimised first back, and ends.
(cd "$root/app" && timeout 60 "$wine" jotcrate.exe) || fail "second instance did not exit 0"
for _ in $(seq 100); do
  [[ $(xprop -id "$window" _NET_WM_STATE 2>/dev/null) != *HIDDEN* ]] && break
  sleep 0.1
done
[[ $(xprop -id "$window" _NET_WM_STATE) != *HIDDEN* ]] || fail "first instance stayed minimised"
kill -0 "$app" || fail "first instance ended"
close_window
wait_exit "$app" || fail "exit status $?"

# Text typed and never saved survives a kill: the journal, written about a second after the
# last key, is offered back at the next start, and Yes puts the text into its record.
journal=$root/app/Jotcrate.jcd-journal
start_program
text="Typed under Wine before the kill"
xdotool type --delay 25 "$text"
for _ in $(seq 150); do [ -s "$journal" ] && break; sleep 0.1; done
[ -s "$journal" ] || fail "no journal after a pause in typing"
kill -KILL "$app"
wait "$app" 2>/dev/null || true
for _ in $(seq 100); do dump >/dev/null 2>&1 && break; sleep 0.1; done  # once the killed one's lock is gone
! dump | grep -q "$text" || fail "the text was in the data file before its save point"
(cd "$root/app" && exec "$wine" jotcrate.exe) >"$root/out.txt" 2>&1 & app=$!
pids+=($app)
for _ in $(seq 300); do
  [ "$(xdotool search --onlyvisible --name '^Jotcrate$' 2>/dev/null | wc -l)" -ge 2 ] && break
  sleep 0.1
done
[ "$(xdotool search --onlyvisible --name '^Jotcrate$' | wc -l)" -ge 2 ] || fail "no question about the journal"
xdotool key alt+y
for _ in $(seq 100); do [ ! -e "$journal" ] && break; sleep 0.1; done
[ ! -e "$journal" ] || fail "the journal stayed after Yes"
window=$(xdotool search --onlyvisible --name '^Jotcrate$' | head -1)
close_window
wait_exit "$app" || fail "exit status $?"
dump | grep -q "$text" || fail "Yes did not put the text back: $(dump | head -3)"

# A data file that is a symbolic link stays one, written where it points. Wine shows a Unix
# link as the file it leads to, without a reparse point: the file's own path tells.
mv "$root/app/Jotcrate.jcd" "$root/linked.jcd"
ln -s "$root/linked.jcd" "$root/app/Jotcrate.jcd"
start_program
text="Typed into a linked data file"
xdotool type --delay 25 "$text"
close_window
wait_exit "$app" || fail "exit status $?"
[ -L "$root/app/Jotcrate.jcd" ] || fail "the data file link was replaced by a file"
dump | grep -q "$text" || fail "the text typed into a linked data file is not where the link points"

echo "PASS"
