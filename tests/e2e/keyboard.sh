#!/usr/bin/env bash
# The real program walked by keyboard alone on a virtual screen, as a screen-reader user would:
#   keyboard.sh PROGRAM LIBRARY
# focus.py presses the keys of every window and reads the focused control over AT-SPI on a
# private session bus of this run. Skips (77) without the screen, the bus or the AT-SPI bindings.
set -euo pipefail
program=$1
library=$2
for tool in Xvfb openbox xdotool xprop dbus-run-session /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps --test)"; exit 77; }
done
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  { echo "missing the AT-SPI bindings for Python (scripts/install-deps --test)"; exit 77; }
# The accessibility bus and its registry come from the session bus, which is this run's own.
if [ -z "${JOTCRATE_PRIVATE_BUS:-}" ]; then
  JOTCRATE_PRIVATE_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

root=$(mktemp -d /tmp/jotcrate-keyboard-XXXXXX)
. "$(dirname "$0")/screen.sh"
mkdir -p "$root/home" "$root/run" "$root/app"
chmod 700 "$root/run"
cp "$program" "$root/app/jotcrate"
cp "$library" "$root/app/"
start_screen
export HOME=$root/home XDG_RUNTIME_DIR=$root/run QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The registry up first, so that the program finds it when it starts.
/usr/bin/python3 -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi; Atspi.get_desktop(0).get_child_count()'

"$root/app/jotcrate" >"$root/out.txt" 2>&1 & app=$!
pids+=($app)
wait_window 10
timeout 100 /usr/bin/python3 "$(dirname "$0")/focus.py" || fail "keyboard walk (program said: $(head -c 400 "$root/out.txt"))"
close_window
wait_exit "$app" || fail "exit status $?"
