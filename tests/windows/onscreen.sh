#!/usr/bin/env bash
# Runs a Windows test program (GoogleTest) under Wine on a virtual screen of its own (windows
# need a display).
#   onscreen.sh PROGRAM.exe [ARGS...]
# A crash fails the run even where Wine ends the process with status 0: only a program that
# ran to its end writes the XML report. Wine's crash dialog is off, so nothing waits for a click.
set -euo pipefail
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
root=$(mktemp -d /tmp/jotcrate-winetest-XXXXXX)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$root/display" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait 2>/dev/null; rm -rf "$root"' EXIT
for _ in $(seq 200); do [ -s "$root/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$root/display")"
"$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
status=0
report="Z:${root//\//\\}\\report.xml"  # the Unix path as Wine's Z: drive names it
"$wine" "$@" "--gtest_output=xml:$report" || status=$?
if [ "$status" -eq 0 ] && [ ! -s "$root/report.xml" ]; then
  echo "onscreen.sh: $1 ended without its report: it crashed or was killed" >&2
  status=1
fi
exit "$status"
