# Sourced by the end-to-end scripts once they have made $root: a virtual screen with a window
# manager, the waits for a program's window and its end, and the cleanup of both.

pids=()
fail() { echo "FAIL: $*"; exit 1; }
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT

# Xvfb picks a free display itself, so runs side by side never share one; without -noreset
# it resets when its last client leaves, and the next one (the window manager) cannot connect.
start_screen() {
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$root/display" >/dev/null 2>&1 & pids+=($!)
  for _ in $(seq 200); do [ -s "$root/display" ] && break; sleep 0.05; done
  local display=":$(head -1 "$root/display")"
  [ "$display" != ":" ] || fail "Xvfb did not start"
  export DISPLAY=$display
  openbox >/dev/null 2>&1 & pids+=($!)
  # The window manager is ready once it lists window activation among what it supports.
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break
    sleep 0.05
  done
}

# Waits for the window titled "Jotcrate" and for the load (its file work is done once the data
# file is there; typing before would meet a read-only editor), then activates it: $window.
wait_window() {
  window=$(timeout "$1" xdotool search --sync --onlyvisible --name '^Jotcrate$' | head -1) || fail "no window"
  for _ in $(seq 300); do [ -s "$root/app/Jotcrate.jcd" ] && break; sleep 0.05; done
  sleep 1
  xdotool windowactivate --sync "$window"
}

wait_exit() {
  for _ in $(seq 300); do kill -0 "$1" 2>/dev/null || { wait "$1"; return $?; }; sleep 0.1; done
  fail "process $1 did not end"
}

# ALT+F4 through the window manager; pressed again if the first press met the window
# manager still busy with the window.
close_window() {
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$window" key alt+F4
    for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || return 0; sleep 0.1; done
  done
}
