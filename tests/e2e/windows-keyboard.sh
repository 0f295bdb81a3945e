#!/usr/bin/env bash
# The Windows program walked by keyboard alone under Wine, on a virtual screen with a window
# manager:  windows-keyboard.sh JOTCRATE_EXE FOCUS_PROBE_EXE WINEPREFIX
# After each key the probe reads the focused control of the foreground window (its class and
# text) until it is the one expected: CTRL+TAB and CTRL+SHIFT+TAB in the main window, TAB and
# SHIFT+TAB in the options dialog and in find in all records, TAB in the find dialog.
set -euo pipefail
exe=$1
probe=$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
for tool in "$wine" Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/install-deps --windows)"; exit 77; }
done

root=$(mktemp -d /tmp/jotcrate-wine-keys-XXXXXX)
. "$(dirname "$0")/screen.sh"
mkdir -p "$root/app"
cp "$exe" "$root/app/jotcrate.exe"
cp "$probe" "$root/focus_probe.exe"
start_screen
# A new prefix is made once (a minute on a busy machine); later runs reuse it.
"$wine" wineboot -i >/dev/null 2>&1 || fail "wineboot"

(cd "$root/app" && exec "$wine" jotcrate.exe) >"$root/out.txt" 2>&1 & app=$!
pids+=($app)
wait_window 180

expect() { "$wine" "$root/focus_probe.exe" "$1" || fail "after $2"; }
key() {
  xdotool key --clearmodifiers "$1"
  expect "$2" "$1"
}

expect "RICHEDIT50W:" start
key ctrl+Tab "Button:Add"
key ctrl+Tab "Button:Delete"
key ctrl+shift+Tab "Button:Add"
key ctrl+shift+Tab "RICHEDIT50W:"
key ctrl+shift+Tab "ComboBox:"
key alt+e "RICHEDIT50W:"

key alt+o "Button:Apply"
key Tab "Button:Cancel"
key Tab "Button:Wordwrap"
key Tab "Button:On Top"
key shift+Tab "Button:Wordwrap"
key ctrl+shift+Tab "Button:Cancel"
key Escape "RICHEDIT50W:"

key ctrl+shift+f "Edit:"
key Tab "Button:Match case"
key Tab "Button:Whole word"
key Tab "ListBox:"
key shift+Tab "Button:Whole word"
key Escape "RICHEDIT50W:"

key ctrl+f "Edit:"
key Tab "Button:Match"
key Escape "RICHEDIT50W:"

close_window
wait_exit "$app" || fail "exit status $?"
echo "PASS"
