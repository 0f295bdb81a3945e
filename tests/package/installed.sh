#!/usr/bin/env bash
# The Debian package as a user meets it. Installed with apt-get and checked with the desktop
# entry and AppStream validators; then an unprivileged user made for the test runs it on a
# virtual screen: the starter file appears in that user's data folder, typed text survives a
# restart, -d writes the dump there, a second start brings the first back, and nothing is
# written under /usr. The package and the user are removed afterwards.
#   tests/package/installed.sh build-package/jotcrate_VERSION_ARCH.deb
# Needs root (or sudo without a password): without, or when a package of this name is
# installed already (not ours to replace), it is skipped with status 77.
set -euo pipefail
fail() { echo "FAIL: $*"; exit 1; }

# The user's part, run as that user with a fresh HOME.
if [ "${1:-}" = "--as-user" ]; then
  root=$(mktemp -d /tmp/jotcrate-user-XXXXXX)
  mkdir -m 700 "$root/run"
  pids=()
  trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; wait 2>/dev/null || true; rm -rf "$root"' EXIT
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$root/display" >/dev/null 2>&1 & pids+=($!)
  for _ in $(seq 200); do [ -s "$root/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -1 "$root/display")" XDG_RUNTIME_DIR=$root/run
  openbox >/dev/null 2>&1 & pids+=($!)
  for _ in $(seq 200); do xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW && break; sleep 0.05; done
  data=$HOME/.local/share/jotcrate

  start() {
    jotcrate >"$root/out.txt" 2>&1 & app=$!
    pids+=($app)
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Jotcrate$' | head -1) || fail "no window: $(cat "$root/out.txt")"
    for _ in $(seq 200); do [ -s "$data/Jotcrate.jcd" ] && break; sleep 0.05; done
    # The load runs beside the window and shows the records just after the file is read.
    sleep 1
    xdotool windowactivate --sync "$window"
  }
  close() {
    for _ in 1 2 3; do
      xdotool windowactivate --sync "$window" key alt+F4
      for _ in $(seq 30); do kill -0 "$app" 2>/dev/null || { wait "$app"; return $?; }; sleep 0.1; done
    done
    fail "the window did not close"
  }
  dumped() { env -u DISPLAY jotcrate -d && grep -q "$1" "$data/record-dump.txt"; }

  start
  [ -s "$data/Jotcrate.jcd" ] || fail "no starter file in $data"
  [ "$(stat -c %a "$data")" = 700 ] || fail "$data is not user-only: $(stat -c %a "$data")"
  xdotool type --delay 15 'Typed in the installed copy'
  xdotool key Return
  close || fail "exit status $?"
  dumped 'Typed in the installed copy' || fail "typed text not in the dump: $(head -5 "$data/record-dump.txt")"

  start
  xdotool windowminimize --sync "$window"
  timeout 10 jotcrate || fail "the second start did not exit 0"
  for _ in $(seq 50); do [[ $(xprop -id "$window" _NET_WM_STATE) != *HIDDEN* ]] && break; sleep 0.1; done
  [[ $(xprop -id "$window" _NET_WM_STATE) != *HIDDEN* ]] || fail "the second start did not bring the first back"
  close || fail "exit status $?"
  dumped 'Typed in the installed copy' || fail "typed text lost at the restart"
  stray=$(cd "$HOME" && find . -path ./.cache -prune -o -type f -print | grep -v '^\./\.local/share/jotcrate/' | grep -v '^\./\.' || true)
  [ -z "$stray" ] || fail "files outside the data folder: $stray"
  echo "user run passed"
  exit 0
fi

package=$(realpath "$1")
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo -n true 2>/dev/null || { echo "needs root or sudo without a password: skipped"; exit 77; }
  sudo=(sudo -n)
fi
if dpkg-query -W -f='${Status}' jotcrate 2>/dev/null | grep -q "install ok installed"; then
  echo "a jotcrate package is installed already: skipped"
  exit 77
fi
user=jctest$$
work=$(mktemp -d /tmp/jotcrate-package-XXXXXX)
chmod 755 "$work"
cp "$0" "$work/installed.sh"
chmod 755 "$work/installed.sh"
cleanup() {
  "${sudo[@]}" pkill -KILL -u "$user" 2>/dev/null || true
  "${sudo[@]}" userdel -r "$user" 2>/dev/null || true
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get remove -y -qq jotcrate >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "$package" >/dev/null || fail "apt-get install"
desktop-file-validate /usr/share/applications/org.jotcrate.Jotcrate.desktop || fail "desktop entry"
appstreamcli validate --no-net /usr/share/metainfo/org.jotcrate.Jotcrate.metainfo.xml >/dev/null || fail "AppStream metadata"
[ "$(command -v jotcrate)" = /usr/bin/jotcrate ] || fail "jotcrate is not on the PATH"
jotcrate --version | grep -q '^Jotcrate ' || fail "--version"
[ -s /usr/share/man/man1/jotcrate.1.gz ] || fail "no manual page"
"${sudo[@]}" useradd -m -s /bin/bash "$user"
touch "$work/marker"
"${sudo[@]}" runuser -u "$user" -- env -i PATH=/usr/bin:/bin HOME="/home/$user" "$work/installed.sh" --as-user
written=$(find /usr -newer "$work/marker" ! -type d 2>/dev/null || true)
[ -z "$written" ] || fail "written under /usr: $written"
echo "installed package passed"
