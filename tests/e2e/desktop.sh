#!/usr/bin/env bash
# End-to-end tests of the real program on a virtual screen with a window manager (the window
# library it loads is the third argument):
#   desktop.sh PROGRAM typing           type into a record, close, read it back with -d
#   desktop.sh PROGRAM second-instance  a second start brings the minimised window back; -d beside it dumps
#   desktop.sh PROGRAM salvage          a cut data file is salvaged on Yes, the cut one kept
#   desktop.sh PROGRAM changed-elsewhere  the data file replaced by rename or rewritten in place
#                                       while the program runs, with and without an edit pending
#   desktop.sh PROGRAM window-menu      the program's window menu by ALT+MINUS and by a right-click,
#                                       where the window manager keeps ALT+SPACE
#   desktop.sh PROGRAM display-lost     the display goes away with an edit pending: the text is
#                                       kept in a recovery file
#   desktop.sh PROGRAM terminated       SIGTERM, SIGHUP or SIGINT with a box, a menu, a dialog or
#                                       a requester open: the typed text is saved or kept, at once
#   desktop.sh PROGRAM journal          typed text never saved survives SIGKILL: the next start
#                                       offers it back, Yes into its record, No into a recovery file
#   desktop.sh PROGRAM move-size        the window menu's Move and Size by the arrow keys: ENTER
#                                       keeps the new place, ESC puts the window back
#   desktop.sh PROGRAM on-top           with On Top, the help window, Find in All Records and a
#                                       question open above the main window
#   desktop.sh PROGRAM fit-screen       at twice and three times the scale, every window opens within the screen
# Each run has its own folder, HOME and XDG_RUNTIME_DIR.
set -euo pipefail
program=$1
scenario=$2
for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps --test)"; exit 1; }
done

root=$(mktemp -d /tmp/jotcrate-e2e-XXXXXX)
. "$(dirname "$0")/screen.sh"
mkdir -p "$root/home" "$root/run" "$root/app"
chmod 700 "$root/run"
cp "$program" "$root/app/jotcrate"
cp "$3" "$root/app/"
start_screen
export HOME=$root/home XDG_RUNTIME_DIR=$root/run

start_program() {
  "$root/app/jotcrate" >"$root/out.txt" 2>&1 & app=$!
  pids+=($app)
  wait_window 10
}

dump() { env -u DISPLAY "$root/app/jotcrate" -d && cat "$root/app/record-dump.txt"; }

# One slot of ASCII text, as the data file stores it: a mark, each byte negated, zeros.
slot() {
  local text=$1 i code
  printf '\0'
  for ((i = 0; i < ${#text}; i++)); do
    code=$(printf '%d' "'${text:i:1}")
    printf "\\$(printf '%03o' $(((256 - code) % 256)))"
  done
  head -c $((32000 - ${#text})) /dev/zero
}

# Waits until the program shows n windows of its title (the main window, and a message box).
wait_windows() {
  for _ in $(seq 100); do
    [ "$(xdotool search --onlyvisible --name '^Jotcrate$' 2>/dev/null | wc -l)" -eq "$1" ] && return 0
    sleep 0.1
  done
  fail "expected $1 windows"
}

case $scenario in
  typing)
    start_program
    xdotool type --delay 15 'Hello from e2e'
    xdotool key Return
    close_window
    wait_exit "$app" || fail "exit status $?"
    [ -f "$root/app/Jotcrate.ini" ] || fail "no settings file"
    dump | grep -q $'^Hello from e2e\r$' || fail "typed text not stored: $(dump | head -5)"
    dump | grep -q $'^Record 1\r$' || fail "the rest of the record was lost"
    # A second run shows what the first stored, and adds a record with ALT+A.
    start_program
    xdotool key alt+a
    xdotool type --delay 15 'Added '
    close_window
    wait_exit "$app" || fail "exit status $?"
    dump | grep -q 'Added New record' || fail "added record missing"
    # A logout ends the program with SIGTERM: what was typed is saved as at a close.
    start_program
    xdotool type --delay 15 'Before logout '
    kill -TERM "$app"
    wait_exit "$app" || fail "exit status $? after SIGTERM"
    dump | grep -q 'Before logout' || fail "text typed before SIGTERM lost"
    ;;
  second-instance)
    start_program
    xdotool windowminimize --sync "$window"
    timeout 5 "$root/app/jotcrate" || fail "second instance did not exit 0"
    for _ in $(seq 50); do
      xdotool search --onlyvisible --name '^Jotcrate$' >/dev/null 2>&1 && state=$(xprop -id "$window" _NET_WM_STATE) &&
        [[ $state != *HIDDEN* ]] && break
      sleep 0.1
    done
    [[ $(xprop -id "$window" _NET_WM_STATE) != *HIDDEN* ]] || fail "first instance stayed minimised"
    kill -0 "$app" || fail "first instance ended"
    # -d beside it dumps the data file as saved, and leaves the window minimised.
    xdotool windowminimize --sync "$window"
    timeout 20 "$root/app/jotcrate" -d 2>"$root/second.err" || fail "-d beside the window exited $?: $(cat "$root/second.err")"
    grep -q $'^Record 1\r$' "$root/app/record-dump.txt" || fail "-d beside the window wrote no dump"
    [[ $(xprop -id "$window" _NET_WM_STATE) == *HIDDEN* ]] || fail "-d brought the window back"
    close_window
    wait_exit "$app" || fail "exit status $?"
    ;;
  salvage)
    start_program
    close_window
    wait_exit "$app" || fail "exit status $?"
    truncate -s +300 "$root/app/Jotcrate.jcd"
    cp "$root/app/Jotcrate.jcd" "$root/cut.jcd"
    "$root/app/jotcrate" >"$root/out.txt" 2>&1 & app=$!
    pids+=($app)
    wait_windows 2  # the question, over the main window; it has the focus
    xdotool key alt+y
    for _ in $(seq 100); do compgen -G "$root/app/Jotcrate-damaged-*.jcd" >/dev/null && break; sleep 0.1; done
    wait_windows 2  # the notice of where the cut file went
    xdotool key Return
    wait_windows 1
    window=$(xdotool search --onlyvisible --name '^Jotcrate$' | head -1)
    close_window
    wait_exit "$app" || fail "exit status $?"
    kept=("$root"/app/Jotcrate-damaged-*.jcd)
    [ -f "${kept[0]}" ] || fail "the cut file was not kept"
    cmp -s "${kept[0]}" "$root/cut.jcd" || fail "the kept file differs from the cut one"
    [ "$(stat -c %s "$root/app/Jotcrate.jcd")" -eq $((9 * 32001)) ] || fail "the data file is not its whole slots"
    dump | grep -q $'^Record 9\r$' || fail "a salvaged record is missing"
    ;;
  changed-elsewhere)
    start_program
    close_window
    wait_exit "$app" || fail "exit status $?"
    cp "$root/app/Jotcrate.jcd" "$root/mine.jcd"
    { slot "Theirs"; cat "$root/mine.jcd"; } >"$root/theirs.jcd"
    for how in rename in-place; do
      for edit in yes no; do
        cp "$root/mine.jcd" "$root/app/Jotcrate.jcd"
        rm -f "$root"/app/Jotcrate-unsaved-*.txt
        start_program
        [ $edit = no ] || xdotool type --delay 15 'Typed here'
        if [ $how = rename ]; then
          cp "$root/theirs.jcd" "$root/app/incoming" && mv -f "$root/app/incoming" "$root/app/Jotcrate.jcd"
        else
          cat "$root/theirs.jcd" >"$root/app/Jotcrate.jcd"
        fi
        if [ $edit = yes ]; then
          xdotool key alt+r
          wait_windows 2  # the notice: another program changed the file, the text kept
          xdotool key Return
          wait_windows 1
        fi
        close_window
        wait_exit "$app" || fail "exit status $? ($how, edit $edit)"
        cmp -s "$root/theirs.jcd" "$root/app/Jotcrate.jcd" || fail "the other program's file was written into ($how, edit $edit)"
        if [ $edit = yes ]; then
          grep -q 'Typed here' "$root"/app/Jotcrate-unsaved-*.txt || fail "typed text not kept ($how)"
        else
          ! compgen -G "$root/app/Jotcrate-unsaved-*.txt" >/dev/null || fail "a recovery file without an edit ($how)"
        fi
      done
    done
    ;;
  window-menu)
    # A tooltip would be a window of the program too; with tips off, a new one is the menu.
    printf '[Options]\r\nHide Tooltips=1\r\n' >"$root/app/Jotcrate.ini"
    start_program
    state() { xprop -id "$window" _NET_WM_STATE; }
    windows() { xdotool search --onlyvisible --class jotcrate 2>/dev/null | wc -l; }
    # Opens the menu by the given route, waits for it, and picks an item by its mnemonic.
    pick() {
      local before
      before=$(windows)
      "$@"
      for _ in $(seq 50); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
      [ "$(windows)" -gt "$before" ] || fail "no menu after: $*"
      xdotool key "$item"
    }
    item=x pick xdotool key alt+minus
    for _ in $(seq 50); do [[ $(state) == *MAXIMIZED_VERT* ]] && break; sleep 0.1; done
    [[ $(state) == *MAXIMIZED_VERT* ]] || fail "ALT+MINUS, X did not maximise"
    item=r pick xdotool mousemove --window "$window" 264 20 click 3
    for _ in $(seq 50); do [[ $(state) != *MAXIMIZED_VERT* ]] && break; sleep 0.1; done
    [[ $(state) != *MAXIMIZED_VERT* ]] || fail "a right-click, R did not restore"
    item=n pick xdotool mousemove --window "$window" 20 20 click 3
    for _ in $(seq 50); do [[ $(state) == *HIDDEN* ]] && break; sleep 0.1; done
    [[ $(state) == *HIDDEN* ]] || fail "a right-click on a button, N did not minimise"
    xdotool windowactivate --sync "$window"
    close_window
    wait_exit "$app" || fail "exit status $?"
    ;;
  display-lost)
    start_program
    xdotool type --delay 15 'Typed before the display went'
    sleep 0.5
    kill -KILL "${pids[0]}"
    wait_exit "$app" && status=0 || status=$?
    [ "$status" = 1 ] || fail "exit status $status: $(cat "$root/out.txt")"
    kept=$(ls "$root/app"/Jotcrate-unsaved-*.txt 2>/dev/null | head -1)
    [ -n "$kept" ] || fail "no recovery file: $(ls "$root/app")"
    grep -q 'Typed before the display went' "$kept" || fail "recovery file without the text: $(cat "$kept")"
    # Again with the program's folder on a full disk (a small file system of its own, where the
    # test may mount one): the text goes to the home folder.
    full=$root/full
    mkdir -p "$full"
    if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=64m,mode=0700 tmpfs "$full"; then
      trap 'umount -l "$full"; cleanup' EXIT
      cp "$root"/app/* "$full/" && rm -f "$full"/Jotcrate-unsaved-*.txt
      head -c 100M /dev/zero >"$full/filler" 2>/dev/null || true
      rm -f "$root/display"
      start_screen
      "$full/jotcrate" >"$root/out.txt" 2>&1 & app=$!
      pids+=($app)
      window=$(timeout 10 xdotool search --sync --onlyvisible --name '^Jotcrate$' | head -1) || fail "no window"
      sleep 1
      xdotool windowactivate --sync "$window"
      xdotool type --delay 15 'Typed onto a full disk'
      sleep 0.5
      kill -KILL "${pids[-3]}"
      wait_exit "$app" && status=0 || status=$?
      [ "$status" = 1 ] || fail "exit status $status on a full disk: $(cat "$root/out.txt")"
      grep -q 'Typed onto a full disk' "$HOME"/Jotcrate-unsaved-*.txt || fail "no recovery file in the home folder"
    fi
    ;;
  terminated)
    printf '[Options]\r\nHide Tooltips=1\r\n' >"$root/app/Jotcrate.ini"
    windows() { xdotool search --onlyvisible --class jotcrate 2>/dev/null | wc -l; }
    signals=(TERM HUP INT)
    n=0
    for state in question notice context-menu window-menu options find undelete; do
      rm -f "$root"/app/Jotcrate-unsaved-*.txt
      start_program
      if [ $state = undelete ]; then
        xdotool key alt+d
        wait_windows 2
        xdotool key alt+y
        wait_windows 1
      fi
      text="Typed before the end with $state open"
      xdotool type --delay 15 "$text"
      before=$(windows)
      case $state in
        question) xdotool key alt+d ;;
        notice | undelete) xdotool key alt+u ;;  # with nothing deleted, a notice says so
        context-menu) xdotool mousemove --window "$window" 200 200 click 3 ;;
        window-menu) xdotool key alt+minus ;;
        options) xdotool key alt+o ;;
        find) xdotool key ctrl+f ;;
      esac
      for _ in $(seq 100); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
      [ "$(windows)" -gt "$before" ] || fail "nothing opened for $state"
      # A logout's SIGTERM, a closed terminal's SIGHUP, CTRL+C's SIGINT, in turn.
      signal=${signals[n++ % 3]}
      kill -"$signal" "$app"
      wait_exit "$app" || fail "exit status $? after SIG$signal with $state open"
      { dump; cat "$root"/app/Jotcrate-unsaved-*.txt 2>/dev/null || true; } | grep -q "$text" ||
        fail "the text typed before SIG$signal with $state open is lost"
    done
    ;;
  journal)
    journal=$root/app/Jotcrate.jcd-journal
    # Starts the program over a journal: the question comes over the main window, with the focus.
    start_asked() {
      "$root/app/jotcrate" >"$root/out.txt" 2>&1 & app=$!
      pids+=($app)
      wait_windows 2
    }
    for answer in yes no; do
      start_program
      text="Typed before the kill ($answer)"
      xdotool type --delay 15 "$text"
      # Written about a second after the last key.
      for _ in $(seq 100); do [ -s "$journal" ] && break; sleep 0.1; done
      [ -s "$journal" ] || fail "no journal after a pause in typing"
      kill -KILL "$app"
      wait "$app" 2>/dev/null || true
      ! dump | grep -q "$text" || fail "the text was in the data file before its save point"
      [ -s "$journal" ] || fail "the dump touched the journal"
      start_asked
      xdotool key "alt+${answer:0:1}"
      if [ $answer = no ]; then
        for _ in $(seq 100); do compgen -G "$root/app/Jotcrate-unsaved-*.txt" >/dev/null && break; sleep 0.1; done
        wait_windows 2  # the notice naming the recovery file
        xdotool key Return
      fi
      wait_windows 1
      [ ! -e "$journal" ] || fail "the journal stayed after $answer"
      window=$(xdotool search --onlyvisible --name '^Jotcrate$' | head -1)
      close_window
      wait_exit "$app" || fail "exit status $? after $answer"
      [ ! -e "$journal" ] || fail "a journal after a close"
    done
    dump | grep -q $'^Typed before the kill (yes)Record 1\r$' || fail "Yes did not put the text back: $(dump | head -3)"
    ! dump | grep -q 'kill (no)' || fail "No saved the text into the data file"
    grep -q 'Typed before the kill (no)' "$root"/app/Jotcrate-unsaved-*.txt || fail "No kept no recovery file"
    ;;
  move-size)
    # A tooltip would be a window of the program too; with tips off, a new one is the menu.
    printf '[Options]\r\nHide Tooltips=1\r\n' >"$root/app/Jotcrate.ini"
    start_program
    windows() { xdotool search --onlyvisible --class jotcrate 2>/dev/null | wc -l; }
    # The client's place and size on the screen: "x y width height".
    place() { xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
      /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}'; }
    # ALT+MINUS, then the item's letter once the menu is there and again once it is gone.
    menu() {
      local before
      before=$(windows)
      xdotool key alt+minus
      for _ in $(seq 50); do [ "$(windows)" -gt "$before" ] && break; sleep 0.1; done
      [ "$(windows)" -gt "$before" ] || fail "no window menu"
      xdotool key "$1"
      for _ in $(seq 50); do [ "$(windows)" -eq "$before" ] && break; sleep 0.1; done
    }
    # Waits until the window stands at the place given.
    wait_place() {
      for _ in $(seq 50); do [ "$(place)" = "$1" ] && return 0; sleep 0.1; done
      fail "$2: at $(place), not $1"
    }
    read -r x y w h <<<"$(place)"
    menu m
    xdotool key Right Right Down
    wait_place "$((x + 16)) $((y + 8)) $w $h" "ALT+MINUS, M, RIGHT RIGHT DOWN"
    xdotool key Return
    xdotool key Right  # the mode is over: this goes to the editor
    menu m
    xdotool key Left Up Up
    wait_place "$((x + 8)) $((y - 8)) $w $h" "ALT+MINUS, M, LEFT UP UP"
    xdotool key Escape
    wait_place "$((x + 16)) $((y + 8)) $w $h" "ESC after a move"
    # Size: the first arrow picks the edge, the next ones move it.
    menu s
    xdotool key Right Right Right Down Down
    wait_place "$((x + 16)) $((y + 8)) $((w + 16)) $((h + 8))" "ALT+MINUS, S, RIGHT x3 DOWN x2"
    xdotool key Return
    close_window
    wait_exit "$app" || fail "exit status $?"
    ;;
  on-top)
    printf '[Options]\r\nOn Top=1\r\nHide Tooltips=1\r\n' >"$root/app/Jotcrate.ini"
    start_program
    [[ $(xprop -id "$window" _NET_WM_STATE) == *ABOVE* ]] || fail "On Top did not keep the window above"
    # Whether the window of that title is above the main window in the window manager's order.
    above_main() {
      local stacking id below=1
      stacking=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //; s/,//g')
      for id in $stacking; do
        [ $((id)) = $((window)) ] && { below=0; continue; }
        [ "$(xprop -id "$id" WM_NAME 2>/dev/null | cut -d'"' -f2)" = "$1" ] && [ $below = 0 ] && return 0
      done
      return 1
    }
    wait_above() {
      for _ in $(seq 50); do above_main "$1" && return 0; sleep 0.1; done
      fail "$1 opened below the On Top main window: $(xprop -root _NET_CLIENT_LIST_STACKING)"
    }
    xdotool key F1
    wait_above "Jotcrate Help"
    xdotool windowactivate --sync "$window" key ctrl+shift+f
    wait_above "Find in All Records"
    xdotool key Escape
    xdotool windowactivate --sync "$window" key alt+d
    wait_windows 2
    wait_above "Jotcrate"  # the question, titled like the program
    import -window root "$root/shot.png" 2>/dev/null || true
    xdotool key Escape
    wait_windows 1
    close_window
    wait_exit "$app" || fail "exit status $?"
    ;;
  fit-screen)
    # Frame and all, within the 1280 x 800 screen, at twice and three times the size.
    within() {
      local id extents left right top bottom x y w h
      id=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1\$" | head -1) || fail "no window $1"
      for _ in $(seq 50); do extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | grep -o '[0-9, ]*$') && [ -n "$extents" ] && break; sleep 0.1; done
      IFS=', ' read -r left right top bottom <<<"$extents"
      read -r x y w h <<<"$(xwininfo -id "$id" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
        /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')"
      ((x - left >= 0 && y - top >= 0 && x + w + right <= 1280 && y + h + bottom <= 800)) ||
        fail "$1 at $x,$y ${w}x$h (frame $extents) is past the screen at scale $QT_SCALE_FACTOR"
    }
    for scale in 2 3; do
      export QT_SCALE_FACTOR=$scale
      start_program
      within Jotcrate
      xdotool key F1
      within "Jotcrate Help"
      xdotool windowactivate --sync "$window" key ctrl+shift+f
      within "Find in All Records"
      xdotool key Escape
      xdotool windowactivate --sync "$window" key alt+o
      within Options
      xdotool key Escape
      close_window
      wait_exit "$app" || fail "exit status $?"
    done
    ;;
  *) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
