#!/usr/bin/env bash
# Two real users made for the test: a portable copy in a sticky folder every user may write to
# (as /tmp is), where the other user plants a link named like the record dump that leads to the
# user's own notes, and then a pipe. The user's `jotcrate -d` must refuse both, say why, and
# leave the notes, the link and the pipe as they were; with no runtime folder, the instance lock
# must still be taken, in the user's own cache. Needs root and useradd; exits 77 (skipped)
# without them. Everything happens in a folder the test made.
#   tests/hostile/two-users.sh PROGRAM
set -euo pipefail
program=$1
if [ "$(id -u)" != 0 ] || ! command -v useradd >/dev/null || ! command -v setpriv >/dev/null; then
  echo "two users are needed, and only root can make them: skipped"
  exit 77
fi
victim=jcvictim$$
attacker=jcattack$$
work=$(mktemp -d /tmp/jotcrate-hostile-XXXXXX)
cleanup() {
  userdel "$victim" 2>/dev/null || true
  userdel "$attacker" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
useradd --no-create-home --user-group --shell /usr/sbin/nologin "$victim"
useradd --no-create-home --user-group --shell /usr/sbin/nologin "$attacker"
chmod 0755 "$work"
home=$work/home
shared=$work/shared
mkdir "$home" "$shared"
chown "$victim:" "$home"
chmod 0700 "$home"
chmod 1777 "$shared"
as() { local user=$1; shift; setpriv --reuid="$user" --regid="$user" --init-groups "$@"; }

as "$victim" sh -c "printf 'my own notes' > '$home/notes.txt'; chmod 600 '$home/notes.txt'"
install -o "$victim" -g "$victim" -m 0755 "$program" "$shared/jotcrate"
as "$victim" sh -c "head -c 32001 /dev/zero > '$shared/Jotcrate.jcd'"
failed=0
fail() { echo "FAILED: $*"; failed=1; }

dump() {
  as "$victim" env -i HOME="$home" PATH=/usr/bin:/bin "$shared/jotcrate" -d >"$work/out" 2>&1
}

as "$attacker" ln -s "$home/notes.txt" "$shared/record-dump.txt"
if dump; then fail "the dump was written through another user's link"; fi
grep -q "another user" "$work/out" || fail "the refusal does not say why: $(cat "$work/out")"
[ "$(cat "$home/notes.txt")" = "my own notes" ] || fail "the user's notes changed"
[ "$(stat -c %U "$shared/record-dump.txt")" = "$attacker" ] && [ -L "$shared/record-dump.txt" ] ||
  fail "the planted link was replaced"
ls "$shared" | grep -q '\.tmp' && fail "a temporary file was left behind"
# With no runtime folder the lock went to the user's own cache, made user-only.
lock=$home/.cache/jotcrate-instance
[ -d "$lock" ] && [ "$(stat -c %a:%U "$lock")" = "700:$victim" ] || fail "no private lock folder in the cache"

rm "$shared/record-dump.txt"
as "$attacker" mkfifo -m 0666 "$shared/record-dump.txt"
if dump; then fail "the dump replaced another user's pipe"; fi
[ -p "$shared/record-dump.txt" ] || fail "the pipe was replaced"

cat "$work/out"
[ "$failed" = 0 ] && echo "two users: every planted file refused"
exit "$failed"
