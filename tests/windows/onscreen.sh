#!/usr/bin/env bash
# Runs a Windows program under Wine on a virtual screen of its own (windows need a display).
#   onscreen.sh PROGRAM.exe [ARGS...]
set -euo pipefail
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
root=$(mktemp -d /tmp/jotcrate-winetest-XXXXXX)
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$root/display" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null; wait 2>/dev/null; rm -rf "$root"' EXIT
for _ in $(seq 200); do [ -s "$root/display" ] && break; sleep 0.05; done
DISPLAY=":$(head -1 "$root/display")" "$wine" "$@"
