#!/usr/bin/env python3
# Chaos test: random sequences of user actions and outside events run against the real program
# on a virtual screen (Xvfb, openbox, xdotool), checked against a model of every record and
# every recovery file.
#
# Map: the slot coding and the title rules (as the program derives them, to know which record a
# reload shows); the screen and the program's windows; Model, what the data file, the list, the
# editor and the recovery files must hold; Runner, which carries out one step and tells the model;
# the checks made at each settled point (the program gone: data file, recovery files, dump,
# leftovers, and every typed piece of text found somewhere); the generator of steps from a seed;
# the shrinker, which drops steps while the same fault remains; main, with --seed, --seconds,
# --steps and --known.
#
# Each step's parameters are fixed when it is generated, so a list of steps replays exactly; a
# step that does not apply where it lands (typing with the program closed) is skipped.
import argparse
import ctypes
import json
import os
import random
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import traceback

SLOT = 32001
TRIM = b" \t\r\n"
SKIP = 77
STARTER = [b"Record %d\r\n" % n for n in range(1, 10)]
# Words of the first records and the find-in-all terms; no typed piece can spell one of them.
VOCAB = ["Walnut", "Copper", "Lantern", "Orchid", "Pebble", "Saffron", "Tundra", "Velvet", "Marble", "Hollow"]
NON_ASCII = ["ö", "ß", "é", "€", "Ω", "ж", "中", "ñ", "ü"]
# Each gets a free key of its own before the program starts: xdotool would otherwise remap a key
# for each character as it types, and a remap the program has not yet heard of loses the key.
KEYS = {93: "odiaeresis", 97: "ssharp", 103: "eacute", 120: "EuroSign", 132: "Greek_OMEGA", 149: "Cyrillic_zhe",
        154: "U4E2D", 168: "ntilde", 178: "udiaeresis"}
WAIT = 60  # seconds for anything the program must do: the machine is shared and busy


class Fault(Exception):
    """The program did not do what the model says it must."""

    def __init__(self, kind, detail):
        super().__init__(f"{kind}: {detail}")
        self.kind = kind


class Stuck(Exception):
    """The harness itself could not go on (a tool failed): not judged a fault of the program."""


# ---- Slots and titles, as the program codes and derives them ----

def encode_slot(mark, text):
    body = bytes((256 - b) % 256 for b in text)
    return bytes([mark]) + body + bytes(SLOT - 1 - len(body))


def parse_slots(data, partial=False):
    """[mark, text] per whole slot; with partial, of a last slot cut short too."""
    slots = []
    for i in range((len(data) + (SLOT - 1 if partial else 0)) // SLOT):
        raw = data[i * SLOT:(i + 1) * SLOT]
        body = raw[1:]
        end = body.find(0)
        body = body if end < 0 else body[:end]
        slots.append([raw[0], bytes((256 - b) % 256 for b in body)])
    return slots


def file_bytes(slots):
    return b"".join(encode_slot(m, t) for m, t in slots)


def drop_incomplete_tail(b):
    j, n = len(b) - 1, 0
    while j >= 0 and (b[j] & 0xC0) == 0x80 and n < 3:
        j -= 1
        n += 1
    if j < 0:
        return b
    lead = b[j]
    need = 1 if lead < 0x80 else 2 if lead >> 5 == 6 else 3 if lead >> 4 == 14 else 4 if lead >> 3 == 30 else 1
    return b[:j] if len(b) - j < need else b


def cut_title(b):
    return drop_incomplete_tail(b[:48]) if len(b) > 48 else b


def line_of(text, j):
    parts = text.split(b"\r\n")
    return parts[j - 1] if j <= len(parts) else b""


def load_title(text):
    window = cut_title(text)
    for j in (1, 2, 3):
        line = line_of(window, j).strip(TRIM)
        if line:
            return line.decode("utf-8", "replace")
    return "(untitled)"


def save_title(text):
    for j in (1, 2, 3):
        line = cut_title(line_of(text, j).strip(TRIM))
        if line:
            return line.decode("utf-8", "replace")
    return "(untitled)"


def stored(editor_text):
    return editor_text.replace("\n", "\r\n").encode("utf-8")


def shown_text(stored_text):
    return stored_text.decode("utf-8", "replace").replace("\r\n", "\n").replace("\r", "\n")


def normal(text):
    return text.replace("\r\n", "\n")


def journal_text(path):
    """The text of the journal of unsaved typing (four header lines, then the text), or None."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return None
    return data.split(b"\n", 4)[4].decode("utf-8", "replace")


def dump_of(slots):
    spacer = b"\r\n"
    separator = spacer + b"\r\n" + b"-" * 76 + spacer + b"\r\n"
    out = spacer
    for i, (_, text) in enumerate(slots):
        out += text.strip(TRIM)
        out += spacer if (i == len(slots) - 1 and i != 0) else separator
    return out


# ---- Waiting on the kernel for the program's reads of the data file ----

class Reads:
    """Counts the opens of the data file (inotify): a reload opens it to list the titles, then to
    read the record shown, and the window handles nothing else until it is done."""
    IN_OPEN = 0x20
    IN_CLOSE_NOWRITE = 0x10  # watched too: two opens in a row unread would be merged into one

    def __init__(self, path):
        libc = ctypes.CDLL(None, use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0 or libc.inotify_add_watch(self.fd, path.encode(), self.IN_OPEN | self.IN_CLOSE_NOWRITE) < 0:
            raise Stuck("inotify unavailable")
        self.count = 0

    def wait(self, n, seconds):
        end = time.monotonic() + seconds
        while self.count < n and time.monotonic() < end:
            try:
                data = os.read(self.fd, 4096)
            except BlockingIOError:
                time.sleep(0.02)
                continue
            at = 0
            while at + 16 <= len(data):
                _, mask, _, size = struct.unpack_from("iIII", data, at)
                if mask & self.IN_OPEN:
                    self.count += 1
                at += 16 + size
        return self.count >= n

    def close(self):
        os.close(self.fd)


# ---- The virtual screen and the program's windows ----

def run(args, env=None, timeout=WAIT, check=True, data=None):
    try:
        done = subprocess.run(args, env=env, input=data, capture_output=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Stuck(f"{args[0]} took more than {timeout} s")
    if check and done.returncode != 0:
        raise Stuck(f"{' '.join(map(str, args))} failed: {done.stderr.decode(errors='replace').strip()}")
    return done.stdout.decode(errors="replace")


def poll(condition, seconds=WAIT, step=0.05):
    end = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > end:
            return value
        time.sleep(step)


class Screen:
    """Xvfb with openbox; a display number of its own, picked by Xvfb."""

    def __init__(self, root):
        self.root = root
        self.procs = []
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x800x24", "-nolisten", "tcp",
                                      "-noreset"], pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        end = time.monotonic() + WAIT
        while not number.endswith(b"\n") and time.monotonic() < end:
            chunk = os.read(read, 16)
            if not chunk:
                break
            number += chunk
        os.close(read)
        if not number.strip():
            raise Stuck("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.wm = subprocess.Popen(["openbox"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not poll(lambda: "_NET_ACTIVE_WINDOW" in run(["xprop", "-root", "_NET_SUPPORTED"], self.env, check=False)):
            raise Stuck("openbox did not start")
        run(["xmodmap", *[a for code, sym in KEYS.items() for a in ("-e", f"keycode {code} = {sym}")]], self.env)

    def x(self, *args, check=True):
        return run(["xdotool", *map(str, args)], self.env, check=check)

    def windows(self):
        """Visible windows of the program: (id, name)."""
        ids = self.x("search", "--onlyvisible", "--class", "jotcrate", check=False).split()
        found = []
        for i in ids:
            name = run(["xdotool", "getwindowname", i], self.env, check=False).strip()
            found.append((i, name))
        return found

    def size(self, window):
        out = self.x("getwindowgeometry", window, check=False)
        for line in out.splitlines():
            if "Geometry:" in line:
                w, h = line.split()[-1].split("x")
                return int(w), int(h)
        return 0, 0

    def pixels(self, window):
        """The window's client area as (width, height, RGB bytes)."""
        done = subprocess.run(["import", "-window", window, "-depth", "8", "ppm:-"], env=self.env, capture_output=True, timeout=WAIT)
        data = done.stdout
        if done.returncode != 0 or not data.startswith(b"P6"):
            return 0, 0, b""
        fields, at = [], 2
        while len(fields) < 3:
            while data[at:at + 1].isspace():
                at += 1
            start = at
            while not data[at:at + 1].isspace():
                at += 1
            fields.append(int(data[start:at]))
        return fields[0], fields[1], data[at + 1:]

    def dark_in(self, window, x0, y0, x1, y1):
        w, h, rgb = self.pixels(window)
        for y in range(y0, min(y1, h)):
            for x in range(x0, min(x1, w)):
                p = (y * w + x) * 3
                if max(rgb[p:p + 3] or b"\xff") < 90:
                    return True
        return False

    def shot(self, path):
        run(["import", "-window", "root", path], self.env, check=False)

    def kill(self):
        for proc in (self.wm, self.xvfb):
            if proc.poll() is None:
                proc.kill()
            proc.wait()


# ---- The model ----

class Model:
    def __init__(self, slots):
        self.file = slots              # [mark, stored text] per slot: what the data file must hold
        self.cut = None                # the other program's file of no whole number of slots
        self.running = False
        self.list = []                 # slot of each entry of the list
        self.titles = []
        self.shown = 0
        self.editor = ""               # the editor's text, line breaks as "\n"
        self.sel = (0, 0)
        self.focus = "editor"
        self.unsaved = False
        self.wrote = False
        self.deleted = []              # slots this run marked
        self.recovery = []             # what each recovery file must hold
        self.tokens = {}               # typed piece -> "pending" / "saved" / "kept" / excuse
        self.full = False
        self.within = True             # with a cut file: the shown slot still lies wholly in it
        self.damaged = []              # cut files a salvage kept
        self.starters = None           # first slot of the starter records the last Delete brought
        self.starter_first = None      # the first such slot of the run, until the deletions are forgotten

    def load(self):
        self.list = list(range(len(self.file)))
        self.titles = [load_title(t) for _, t in self.file]
        shown = next((i for i, t in enumerate(self.titles) if t.lower() == "default"), 0)
        self.show(shown)
        self.unsaved = self.wrote = False
        self.deleted = []
        self.starters = None
        self.starter_first = None

    def show(self, position):
        self.shown = position
        self.editor = shown_text(self.file[self.list[position]][1])
        self.sel = (0, 0)

    def shown_slot(self):
        return self.list[self.shown]

    def insert(self, text, token):
        a, b = min(self.sel), max(self.sel)
        self.editor = self.editor[:a] + text + self.editor[b:]
        self.sel = (a + len(text), a + len(text))
        self.unsaved = True
        self.tokens[token] = "pending"

    def save(self):
        """A save point with an edit pending, in a whole file: the editor's text into its slot."""
        text = stored(self.editor) if self.editor else b"New record"
        if not self.editor:
            self.editor = "New record"
        # The whole slot is written: a mark an earlier run left on a record listed again goes.
        self.file[self.shown_slot()] = [0, text]
        self.titles[self.shown] = save_title(text)
        self.unsaved = False
        self.wrote = True
        self.settle_tokens("saved")

    def keep(self):
        self.recovery.append(normal(self.editor))
        self.unsaved = False
        self.settle_tokens("kept")

    def settle_tokens(self, state):
        for token, now in self.tokens.items():
            if now == "pending":
                self.tokens[token] = state

    def excuse_missing(self, texts, why):
        """Saved pieces no longer in any of texts are gone by the user's or another program's hand."""
        for token, now in self.tokens.items():
            if now == "saved" and not any(token.encode() in t for t in texts):
                self.tokens[token] = why

    def reload(self):
        """The other program's whole file taken in: the same record by its title, or the first."""
        title = self.titles[self.shown] if self.titles else ""
        self.list = list(range(len(self.file)))
        self.titles = [load_title(t) for _, t in self.file]
        same = next((i for i, t in enumerate(self.titles) if title and t == title), -1)
        if same < 0:
            same = next((i for i, t in enumerate(self.titles) if t.lower() == "default"), 0)
        self.show(same)
        self.unsaved = self.wrote = False
        self.deleted = []
        self.starters = None
        self.starter_first = None

    def compact(self):
        kept = [[0, t] for i, (_, t) in enumerate(self.file) if i not in self.deleted]
        dropped = [t for i, (_, t) in enumerate(self.file) if i in self.deleted]
        if dropped:
            for token, now in self.tokens.items():
                if now == "saved" and any(token.encode() in t for t in dropped) and \
                        not any(token.encode() in t for _, t in kept):
                    self.tokens[token] = "deleted by the user"
        self.file = kept
        self.deleted = []


# ---- Running one sequence ----

class Runner:
    def __init__(self, program, library, steps, seed, initial, log):
        self.program, self.library, self.steps, self.seed = program, library, steps, seed
        self.initial = initial
        self.log = log
        self.events = 0
        self.skipped = 0
        self.proc = None
        self.main = None
        self.screen = None
        self.mounted = False
        self.notes = []

    # -- setting up and taking down --

    def setup(self):
        self.root = tempfile.mkdtemp(prefix="jotcrate-chaos-")
        self.app = os.path.join(self.root, "app")
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.app, mode=0o700)
        os.makedirs(os.path.join(self.root, "run"), mode=0o700)
        os.makedirs(self.home, mode=0o700)
        # A small file system of its own lets a step fill the program's disk; only root can mount one.
        need = os.path.getsize(self.program) + os.path.getsize(self.library)
        if os.geteuid() == 0:
            size = need + 8 * 1024 * 1024
            done = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size},mode=700", "tmpfs", self.app],
                                  capture_output=True)
            self.mounted = done.returncode == 0
        shutil.copy(self.program, os.path.join(self.app, "jotcrate"))
        shutil.copy(self.library, self.app)
        self.data = os.path.join(self.app, "Jotcrate.jcd")
        self.journal = os.path.join(self.app, "Jotcrate.jcd-journal")
        self.journal_left = False  # a killed run's journal, not yet offered back
        with open(os.path.join(self.app, "Jotcrate.ini"), "wb") as f:
            f.write(b"[Options]\r\nHide Tooltips=1\r\n")  # a tooltip would be one more window
        if self.initial is not None:
            with open(self.data, "wb") as f:
                f.write(file_bytes(self.initial))
        self.model = Model([list(s) for s in (self.initial or [[0, t] for t in STARTER])])
        self.env = dict(os.environ, HOME=self.home, XDG_RUNTIME_DIR=os.path.join(self.root, "run"))
        self.screen = Screen(self.root)

    def teardown(self, keep_as=None):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        for proc in getattr(self, "clips", []):
            if proc.poll() is None:
                proc.kill()
        if self.screen:
            self.screen.kill()
        if keep_as:
            shutil.rmtree(keep_as, ignore_errors=True)
            skip = shutil.ignore_patterns("jotcrate", "*.so", "filler", "*.sock")
            for part in ("app", "home"):
                shutil.copytree(os.path.join(self.root, part), os.path.join(keep_as, part), ignore=skip, symlinks=True)
            for name in ("out.txt", "screen.png"):
                if os.path.exists(os.path.join(self.root, name)):
                    shutil.copy(os.path.join(self.root, name), keep_as)
        if self.mounted:
            subprocess.run(["umount", "-l", self.app], capture_output=True)
        shutil.rmtree(self.root, ignore_errors=True)

    # -- the program's windows --

    def boxes(self):
        return [w for w, name in self.screen.windows() if w != self.main and name == "Jotcrate"]

    def named(self, name):
        return [w for w, n in self.screen.windows() if n == name]

    def wait_box(self, what):
        box = poll(lambda: self.boxes())
        if not box:
            raise Fault("no message", f"expected {what}")
        return box[0]

    def answer(self, box, key):
        self.screen.x("windowactivate", "--sync", box, check=False)
        self.screen.x("key", key)
        if not poll(lambda: box not in [w for w, _ in self.screen.windows()]):
            raise Stuck("a message box did not close")

    def dismiss(self, what):
        self.answer(self.wait_box(what), "Return")

    def activate(self):
        self.screen.x("windowactivate", "--sync", self.main)

    def idle_check(self):
        """Nothing the model does not expect is on screen."""
        extra = self.boxes() + self.named("Options") + self.named("Jotcrate Help") + self.named("Find in All Records")
        if extra:
            raise Fault("unexpected window", f"a window the model did not expect is open ({len(extra)})")

    def barrier(self):
        """The window menu opened and closed by a right-click beside the buttons: once it shows,
        every key sent before has been handled, and nothing changes."""
        if not self.running():
            return
        self.idle_check()
        before = len(self.screen.windows())
        self.activate()
        self.screen.x("mousemove", "--window", self.main, 267, 20, "click", 3)
        if not poll(lambda: len(self.screen.windows()) > before, 20):
            self.idle_check()
            raise Stuck("the window menu did not open")
        self.screen.x("key", "Escape")
        if not poll(lambda: len(self.screen.windows()) == before, 20):
            raise Stuck("the window menu did not close")

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    # -- starting and ending --

    def start(self, step):
        m = self.model
        if m.cut is not None and m.full:
            self.free_disk()
        # A journal a killed run left: its text is offered back once the records are shown.
        journaled = journal_text(self.journal)
        self.out = open(os.path.join(self.root, "out.txt"), "ab")
        self.proc = subprocess.Popen([os.path.join(self.app, "jotcrate")], env=dict(self.env, DISPLAY=self.screen.display),
                                     stdout=self.out, stderr=self.out, cwd=self.app)
        main = poll(lambda: [w for w, n in self.screen.windows() if n == "Jotcrate" and self.screen.size(w)[1] >= 290])
        if not main:
            raise Fault("no window", "the main window did not show")
        self.main = main[0]
        if m.cut is not None:
            if len(m.cut) > SLOT:
                box = self.wait_box("the salvage question")
                if step.get("salvage", True):
                    self.answer(box, "alt+y")
                    if not poll(lambda: self.damaged_files()):
                        raise Fault("salvage", "Yes kept no damaged file")
                    self.dismiss("where the damaged file was kept")
                    m.damaged.append(m.cut)
                    m.file = parse_slots(m.cut)
                    m.cut = None
                else:
                    self.answer(box, "alt+n")
                    self.end_exit("the salvage refused", expect_code=None)
                    return
            else:
                self.dismiss("the data-file error")
                self.end_exit("a data file of less than a slot", expect_code=None)
                return
        # Typing before the load ends meets a read-only editor: the Add button's label turns dark
        # once the controls are enabled.
        if not poll(lambda: self.screen.dark_in(self.main, 20, 12, 52, 27)):
            raise Fault("no load", "the controls were never enabled")
        if journaled is not None:
            self.refuse_journal(journaled)
        self.idle_check()
        self.activate()
        m.running = True
        m.load()
        m.focus = "editor"

    def refuse_journal(self, text):
        """The question about a killed run's typing answered No: its text goes to a recovery file."""
        before = len(self.recovery_texts())
        self.answer(self.wait_box("the question about the journal"), "alt+n")
        if not poll(lambda: len(self.recovery_texts()) > before):
            raise Fault("journal", "No kept the journal's text in no recovery file")
        self.dismiss("where the journal's text was kept")
        self.model.recovery.append(normal(text))
        self.journal_left = False
        if os.path.exists(self.journal):
            raise Fault("journal", "the journal stayed after its text was kept")

    def end_exit(self, how, expect_code=0):
        """Waits for the program to end, answering every notice it shows on the way."""
        end = time.monotonic() + 3 * WAIT
        while self.proc.poll() is None:
            if time.monotonic() > end:
                raise Fault("no exit", f"the program did not end after {how}")
            for box in self.boxes():
                self.screen.x("windowactivate", "--sync", box, check=False)
                self.screen.x("key", "Return", check=False)
            time.sleep(0.1)
        code = self.proc.wait()
        self.out.close()
        self.proc = None
        self.main = None
        self.model.running = False
        if expect_code is not None and code != expect_code:
            with open(os.path.join(self.root, "out.txt"), "rb") as f:
                said = f.read().decode(errors="replace").strip().splitlines()[-2:]
            raise Fault("exit status", f"exit status {code} after {how}, not {expect_code}; it said: {' / '.join(said)}")
        self.check_settled(how)

    def close(self, step):
        m = self.model
        if step.get("how") == "button":
            w, _ = self.screen.size(self.main)
            self.activate()
            self.screen.x("mousemove", "--window", self.main, w - 11, -11, "click", 1)
        else:
            self.screen.x("windowactivate", "--sync", self.main, "key", "alt+F4")
        # Pressed again if the first press met the window manager still busy with the window.
        for _ in range(2):
            if poll(lambda: not self.running() or self.boxes() or
                    self.main not in [w for w, _ in self.screen.windows()], 10):
                break
            self.screen.x("windowactivate", "--sync", self.main, "key", "alt+F4", check=False)
        self.closing()
        self.end_exit("a close")

    def closing(self):
        """What the model says a close does: save, keep what cannot be saved, compact."""
        m = self.model
        if m.cut is not None:
            if m.unsaved:
                m.keep()
            return
        if m.unsaved:
            m.save()
        if m.deleted and not m.full:
            m.compact()

    def term(self, step):
        self.barrier()
        self.proc.send_signal(signal.SIGTERM)
        self.closing()
        self.end_exit("SIGTERM")

    def kill(self, step):
        self.barrier()
        self.proc.kill()
        self.proc.wait()
        self.out.close()
        self.proc = None
        self.main = None
        m = self.model
        for token, now in m.tokens.items():
            if now == "pending":
                m.tokens[token] = "typed after the last save point, then SIGKILL"
        m.unsaved = False
        m.running = False
        self.journal_left = os.path.exists(self.journal)
        self.check_settled("SIGKILL")

    def display_lost(self, step):
        self.barrier()
        self.screen.xvfb.kill()
        m = self.model
        if m.unsaved:
            m.keep()
        self.end_exit("the display went away", expect_code=1)
        self.screen.kill()
        self.screen = Screen(self.root)

    # -- the checks of a settled point --

    def damaged_files(self):
        return sorted(n for n in os.listdir(self.app) if n.startswith("Jotcrate-damaged-") and n.endswith(".jcd"))

    def recovery_texts(self):
        texts = []
        for folder in (self.app, self.home):
            for name in sorted(os.listdir(folder)):
                if name.startswith("Jotcrate-unsaved-") and name.endswith(".txt"):
                    with open(os.path.join(folder, name), "rb") as f:
                        texts.append(f.read().decode("utf-8", "replace"))
        return texts

    def check_settled(self, how):
        m = self.model
        with open(self.data, "rb") as f:
            data = f.read()
        if m.cut is not None:
            if data != m.cut:
                raise Fault("other program's file written", f"after {how} the cut file of the other program was changed")
        else:
            actual = parse_slots(data)
            if len(data) % SLOT:
                raise Fault("data file", f"after {how} the data file is {len(data)} bytes, no whole number of slots")
            if actual != m.file:
                raise Fault("data file", f"after {how}:\n  expected {describe(m.file)}\n  found    {describe(actual)}")
        kept = sorted(normal(t) for t in self.recovery_texts())
        if kept != sorted(m.recovery):
            raise Fault("recovery files", f"after {how}:\n  expected {sorted(m.recovery)!r}\n  found    {kept!r}")
        damaged = []
        for name in self.damaged_files():
            with open(os.path.join(self.app, name), "rb") as f:
                damaged.append(f.read())
        if sorted(damaged) != sorted(m.damaged):
            raise Fault("damaged file", f"after {how} the kept damaged files are not the cut files")
        # Every piece of text the user typed is in the data file or a recovery file.
        # A salvage keeps the cut file beside the data file: what was cut off is there.
        everywhere = [t for _, t in parse_slots(data, True)] + [t.encode() for t in kept]
        everywhere += [t for d in damaged for _, t in parse_slots(d, True)]
        for token, now in m.tokens.items():
            if now in ("saved", "kept", "pending") and not any(token.encode() in t for t in everywhere):
                raise Fault("typed text lost", f"after {how} the typed {token!r} ({now}) is in no file")
        # SIGKILL may come in the middle of a journal's write, whose temporary the next start removes.
        leftovers = [n for n in os.listdir(self.app) if (n.endswith(".tmp") or n == "Jotcrate.cmp") and
                     not (how == "SIGKILL" and n == "Jotcrate.jcd-journal.tmp")]
        if leftovers:
            raise Fault("leftover", f"after {how} temporary files remain: {leftovers}")
        backup = os.path.join(self.app, "Jotcrate.bak")
        if os.path.exists(backup) and os.path.getsize(backup) % SLOT:
            raise Fault("backup", f"after {how} the backup is no whole number of slots")
        # An end that ran its handlers saved the typed text or kept it in a recovery file.
        if how != "SIGKILL" and not self.journal_left and os.path.exists(self.journal):
            raise Fault("journal", f"after {how} the journal of unsaved typing remains")
        if m.cut is None and not m.full:
            done = subprocess.run([os.path.join(self.app, "jotcrate"), "-d"], env={k: v for k, v in self.env.items()
                                  if k != "DISPLAY"}, capture_output=True, timeout=WAIT)
            with open(os.path.join(self.app, "record-dump.txt"), "rb") as f:
                dump = f.read()
            if done.returncode != 0 or dump != dump_of(m.file):
                raise Fault("dump", f"after {how} jotcrate -d exited {done.returncode} and dumped {dump[:300]!r}")
        self.log(f"    settled after {how}: {len(m.file)} slots, {len(m.recovery)} recovery files")

    def check_idle_file(self):
        """At an idle point with nothing pending the data file is what the model says."""
        m = self.model
        if m.cut is not None:
            return
        with open(self.data, "rb") as f:
            actual = parse_slots(f.read())
        if actual != m.file:
            raise Fault("data file", f"while running:\n  expected {describe(m.file)}\n  found    {describe(actual)}")

    # -- user actions --

    def save_point(self):
        """What a command's save does first; False when it stops the command."""
        m = self.model
        if not m.unsaved:
            return True
        if m.cut is None:
            m.save()
            return True
        if m.within:
            m.keep()
            self.dismiss("another program changed the data file")
        else:
            self.dismiss("the record could not be saved")
        return False

    def to_editor(self):
        m = self.model
        if m.focus != "editor":
            self.activate()
            self.screen.x("key", "alt+e")
            if self.save_point():
                m.focus = "editor"
                m.sel = (0, 0)

    def type(self, step):
        m = self.model
        self.to_editor()
        if m.focus != "editor":
            self.skipped += 1
            return
        self.activate()
        # xdotool types a line feed as a key of its own that no editor takes for ENTER.
        for i, part in enumerate(step["text"].split("\n")):
            if i:
                self.screen.x("key", "Return")
            if part:
                self.screen.x("type", "--delay", 25, "--", part)
        m.insert(step["text"], step["token"])

    def paste(self, step):
        m = self.model
        self.to_editor()
        if m.focus != "editor":
            self.skipped += 1
            return
        clip = subprocess.Popen(["xclip", "-selection", "clipboard", "-t", "UTF8_STRING", "-i"], env=self.screen.env,
                                stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        clip.communicate(step["text"].encode(), timeout=WAIT)
        self.clips = getattr(self, "clips", []) + [clip]
        if not poll(lambda: run(["xclip", "-selection", "clipboard", "-o"], self.screen.env, check=False) == step["text"]):
            raise Stuck("the clipboard was not set")
        self.activate()
        if step.get("how") == "menu":
            # The menu opens under the pointer while the button is down; the item is picked by
            # its key before the button is let go, so the release picks nothing.
            before = len(self.screen.windows())
            self.screen.x("mousemove", "--window", self.main, 420, 250, "mousedown", 3)
            shown = poll(lambda: len(self.screen.windows()) > before, 20)
            if shown:
                self.screen.x("key", "p")
            self.screen.x("mouseup", 3)
            # A second press where the last menu closed would be taken for the click that closed it.
            self.screen.x("mousemove", "--window", self.main, 267, 20)
            if not shown:
                raise Fault("no menu", "a right-click in the editor showed no menu")
        else:
            self.screen.x("key", "ctrl+v")
        # The program asks for the clipboard while it handles the paste: until then the next
        # paste's text must not take its place.
        self.barrier()
        m.insert(step["text"], step["token"])

    def command(self, key):
        self.activate()
        self.screen.x("key", key)
        return self.save_point()

    def focus_key(self, step):
        m = self.model
        key = step["key"]
        if self.command(key):
            m.focus = "selector" if key == "alt+r" else "editor"
            if key == "alt+e":
                m.sel = (0, 0)

    def route(self, step):
        m = self.model
        how = step["how"]
        count = len(m.list)
        if how in ("down", "up", "home", "end"):
            if not self.command("alt+r"):
                return
            m.focus = "selector"
            for _ in range(step.get("n", 1)):
                self.screen.x("key", {"down": "Down", "up": "Up", "home": "Home", "end": "End"}[how])
                target = {"down": min(m.shown + 1, count - 1), "up": max(m.shown - 1, 0), "home": 0,
                          "end": count - 1}[how]
                if target != m.shown:
                    m.show(target)
        elif how == "popup-keys":
            if not self.command("alt+r"):
                return
            before = len(self.screen.windows())
            self.screen.x("key", "alt+Down")
            if not poll(lambda: len(self.screen.windows()) > before, 20):
                raise Fault("no list", "ALT+DOWN on the list showed no drop-down")
            n = step.get("n", 1)
            if n:
                self.screen.x("key", *(["Down"] * n))
            self.screen.x("key", "Return")
            m.show(min(m.shown + n, count - 1))
            m.focus = "editor"
        elif how == "popup-mouse":
            # Rows are clicked where a list of the field's own height would put them; longer lists
            # may be placed otherwise by the style (seed 551891), so they take the keys instead.
            if count > 10:
                return self.route(dict(step, how="down"))
            self.activate()
            before = len(self.screen.windows())
            self.screen.x("mousemove", "--window", self.main, 370, 19, "click", 1)
            if m.unsaved:
                m.save()
            if not poll(lambda: len(self.screen.windows()) > before, 20):
                raise Fault("no list", "a click on the list showed no drop-down")
            row = step.get("row", 0) % count
            self.screen.x("mousemove", "--window", self.main, 300, 37 + 14 * row, "click", 1)
            m.show(row)
            m.focus = "editor"
        elif how in ("wheel-down", "wheel-up"):
            self.activate()
            self.screen.x("mousemove", "--window", self.main, 370, 19, "click", 5 if how == "wheel-down" else 4)
            target = min(m.shown + 1, count - 1) if how == "wheel-down" else max(m.shown - 1, 0)
            if target != m.shown:
                if m.unsaved:
                    m.save()
                m.show(target)
            m.focus = "selector"
        # The pointer leaves the list, so that no tooltip or hover plays into what follows.
        self.screen.x("mousemove", "--window", self.main, 267, 20)

    def add(self, step):
        m = self.model
        if step.get("how") == "button":
            self.activate()
            self.screen.x("mousemove", "--window", self.main, 36, 19, "click", 1)
        else:
            self.activate()
            self.screen.x("key", "alt+a")
        if m.unsaved:
            m.save()
        if m.full:
            self.dismiss("the new record could not be added")
            m.sel = (0, 0)
        else:
            m.file.append([0, b"New record"])
            m.list.append(len(m.file) - 1)
            m.titles.append("New record")
            m.show(len(m.list) - 1)
            m.wrote = True
        m.focus = "editor"
        self.screen.x("mousemove", "--window", self.main, 267, 20)

    def delete(self, step):
        m = self.model
        if step.get("how") == "button":
            self.activate()
            self.screen.x("mousemove", "--window", self.main, 102, 19, "click", 1)
        else:
            self.activate()
            self.screen.x("key", "alt+d")
        if m.unsaved:
            m.save()
        box = self.wait_box("the delete question")
        yes = step.get("yes", True)
        self.answer(box, "alt+y" if yes else "alt+n")
        m.focus = "editor"
        m.sel = (0, 0)
        self.screen.x("mousemove", "--window", self.main, 267, 20)
        if not yes:
            return
        slot = m.shown_slot()
        if len(m.list) == 1:
            if m.full:
                self.dismiss("the record could not be deleted")
                return
            m.file[slot][0] = 1
            m.deleted = sorted(set(m.deleted) | {slot})
            first = len(m.file)
            m.file += [[0, t] for t in STARTER]
            m.list = list(range(first, first + 9))
            m.titles = [load_title(t) for t in STARTER]
            m.starters = first
            if m.starter_first is None:
                m.starter_first = first
            m.show(0)
            m.wrote = True
            return
        m.file[slot][0] = 1
        m.deleted = sorted(set(m.deleted) | {slot})
        position = m.shown
        del m.list[position]
        del m.titles[position]
        m.show(0 if position == 0 else position - 1)
        m.wrote = True

    def undelete(self, step):
        m = self.model
        self.activate()
        self.screen.x("key", "alt+u")
        if m.unsaved:
            m.save()
        m.focus = "editor"
        m.sel = (0, 0)
        # Starter records that came as the list emptied, deleted as they came, are no records of
        # the user's to bring back; those the data file held when the run began are.
        offered = [s for s in m.deleted
                   if m.starter_first is None or s < m.starter_first or m.file[s][1] not in STARTER]
        if not offered:
            self.dismiss("nothing to undelete")
            return
        box = self.wait_box("the undelete list")
        if self.screen.size(box)[1] < 200:
            raise Fault("undelete", f"ALT+U found nothing to undelete, though this run deleted slots {m.deleted}")
        self.screen.x("windowactivate", "--sync", box)
        if not step.get("choose", True):
            self.answer(box, "Escape")
            return
        row = step.get("row", 0) % len(offered)
        if row:
            self.screen.x("key", *(["Down"] * row))
        self.answer(box, "Return")
        slot = offered[row]
        m.deleted.remove(slot)
        m.file[slot][0] = 0
        position = sum(1 for s in m.list if s < slot)
        m.list.insert(position, slot)
        m.titles.insert(position, load_title(m.file[slot][1]))
        # The starter records that stood in for the emptied list go again while still as they came.
        if m.starters is not None:
            for n in range(9):
                s = m.starters + n
                if s in m.list and m.file[s] == [0, STARTER[n]]:
                    m.file[s][0] = 1
                    m.deleted = sorted(set(m.deleted) | {s})
                    del m.titles[m.list.index(s)]
                    m.list.remove(s)
            m.starters = None
        m.show(m.list.index(slot))
        m.wrote = True

    def find_all(self, step):
        m = self.model
        self.activate()
        self.screen.x("key", "ctrl+shift+f")
        if m.unsaved:
            m.save()
        window = poll(lambda: self.named("Find in All Records"))
        if not window:
            raise Fault("no window", "CTRL+SHIFT+F showed no Find in All Records window")
        window = window[0]
        word = step["word"]
        rows = [i for i, s in enumerate(m.list) if word.lower().encode() in m.file[s][1].lower()]
        self.screen.x("windowactivate", "--sync", window)
        self.screen.x("type", "--delay", 25, "--", word)
        if rows and step.get("choose", True):
            # The first result's row is drawn once the search has run.
            if not poll(lambda: self.screen.dark_in(window, 12, 42, 200, 54)):
                raise Fault("find in all", f"no result for {word!r}, which record {rows[0]} holds")
            self.screen.x("key", "Down", "Return")
            position = rows[0]
            if position != m.shown:
                m.show(position)
            at = m.editor.lower().find(word.lower())
            m.sel = (at, at + len(word))
            m.focus = "editor"
        self.screen.x("windowactivate", "--sync", window)
        self.screen.x("key", "Escape")
        if not poll(lambda: not self.named("Find in All Records")):
            raise Stuck("the Find in All Records window did not close")

    def options(self, step):
        m = self.model
        self.activate()
        self.screen.x("key", "alt+o")
        if m.unsaved:
            m.save()
        dialog = poll(lambda: self.named("Options"))
        if not dialog:
            raise Fault("no window", "ALT+O showed no options dialog")
        dialog = dialog[0]
        self.screen.x("windowactivate", "--sync", dialog)
        how = step.get("how", "cancel")
        if how == "cancel":
            self.screen.x("key", "Escape")
        elif how == "apply":
            self.screen.x("key", "Return")
        else:
            box_y = {"wordwrap": 13, "autobackup": 113}[how]
            self.screen.x("mousemove", "--window", dialog, 20, box_y + 11, "click", 1)
            self.screen.x("mousemove", "--window", dialog, 100, 199, "click", 1)
        if not poll(lambda: not self.named("Options")):
            raise Fault("options", f"the options dialog stayed open after {how}")
        m.focus = "editor"
        m.sel = (0, 0)
        self.screen.x("mousemove", "--window", self.main, 267, 20)

    def help(self, step):
        m = self.model
        self.activate()
        self.screen.x("key", "F1")
        if not self.save_point():
            return
        window = poll(lambda: self.named("Jotcrate Help"))
        if not window:
            raise Fault("no window", "F1 showed no help")
        self.screen.x("windowactivate", "--sync", window[0], "key", "alt+F4")
        if not poll(lambda: not self.named("Jotcrate Help")):
            raise Stuck("the help window did not close")

    # -- outside events --

    def their_file(self, step):
        """The other program's version of the records: the model's file with one change."""
        m = self.model
        slots = [list(s) for s in m.file]
        n = step["n"]
        pick = int(step["pick"] * len(slots)) % len(slots)
        change = step.get("change", "body")
        if change == "body":
            slots[pick][1] = slots[pick][1] + b"\r\nline %d from elsewhere" % n
        elif change == "title":
            slots[pick][1] = b"Theirs %d " % n + slots[pick][1]
        elif change == "drop" and len(slots) > 1:
            del slots[pick]
        else:
            slots.insert(pick, [0, b"Theirs %d\r\nnew elsewhere" % n])
        return slots

    def outside(self, step):
        m = self.model
        if m.full or m.cut is not None:
            self.skipped += 1
            return
        if self.running():
            self.barrier()
            self.check_idle_file()
        kind = step["kind"]
        if kind == "rewrite-same" and step.get("change") in ("drop", "add"):
            step = dict(step, change="body")
        if kind == "rewrite-resize" and step.get("change") not in ("drop", "add"):
            step = dict(step, change="add")
        if kind == "append":
            slots = m.file + [[0, b"Theirs %d appended\r\n" % (step["n"] + k)] for k in range(step.get("count", 1))]
        elif kind == "truncate":
            whole = file_bytes(m.file)
            if len(m.file) >= 2:
                cut = len(whole) - SLOT + 1 + int(step["pick"] * (SLOT - 2))
            else:
                cut = len(whole) + 1 + int(step["pick"] * (SLOT - 2))
            slots = None
        else:
            slots = self.their_file(step)
        reads = None
        if kind == "rename":
            incoming = os.path.join(self.app, "incoming")
            with open(incoming, "wb") as f:
                f.write(file_bytes(slots))
            if self.running():
                reads = Reads(incoming)
            os.rename(incoming, self.data)
        else:
            if self.running():
                reads = Reads(self.data)
            if kind == "append":
                with open(self.data, "ab") as f:
                    f.write(file_bytes(slots[len(m.file):]))
            elif kind == "truncate":
                os.truncate(self.data, cut)
            else:
                with open(self.data, "r+b" if kind == "rewrite-same" else "wb") as f:
                    f.write(file_bytes(slots))
                    f.truncate()
        self.events += 1
        if slots is None:
            with open(self.data, "rb") as f:
                m.cut = f.read()
            m.excuse_missing([t for _, t in parse_slots(m.cut, True)], "cut off by another program")
            if self.running():
                m.within = len(m.cut) >= (m.shown_slot() + 1) * SLOT
            if reads:
                reads.close()
            return
        m.excuse_missing([t for _, t in slots], "replaced by another program's file")
        m.file = [list(s) for s in slots]
        if not self.running():
            return
        if m.unsaved:
            m.keep()
            m.reload()
            self.dismiss("the records read again, the text kept")
        elif m.wrote:
            m.reload()
            self.dismiss("the records read again")
        else:
            m.reload()
            if not reads.wait(2, WAIT):
                raise Fault("no reload", f"the program did not read the data file after {kind}")
            self.barrier()
        reads.close()

    def fill_disk(self, step):
        m = self.model
        if not self.mounted or m.full:
            self.skipped += 1
            return
        if self.running():
            self.barrier()
        with open(os.path.join(self.app, "filler"), "wb", buffering=0) as f:
            for size in (1 << 20, 4096, 1):
                while True:
                    try:
                        f.write(b"\xff" * size)
                    except OSError:
                        break
        m.full = True
        self.events += 1

    def free_disk(self, step=None):
        m = self.model
        if not m.full:
            self.skipped += 1
            return
        if self.running():
            self.barrier()
        os.remove(os.path.join(self.app, "filler"))
        m.full = False
        self.events += 1

    # -- the sequence --

    ALLOWED_CUT = {"type", "paste", "focus", "help", "close", "term", "kill", "display", "fill", "free"}

    def run_step(self, step):
        op = step["op"]
        m = self.model
        up = self.running()
        if op == "start":
            if up:
                self.skipped += 1
                return
            self.events += 1
            return self.start(step)
        if op in ("fill", "free", "outside"):
            return {"fill": self.fill_disk, "free": self.free_disk, "outside": self.outside}[op](step)
        if not up or (m.cut is not None and op not in self.ALLOWED_CUT):
            self.skipped += 1
            return
        self.events += 1
        getattr(self, {"type": "type", "paste": "paste", "focus": "focus_key", "route": "route", "add": "add",
                       "delete": "delete", "undelete": "undelete", "findall": "find_all", "options": "options",
                       "help": "help", "close": "close", "term": "term", "kill": "kill",
                       "display": "display_lost"}[op])(step)

    def run(self):
        """Runs the steps; returns None, or the Fault met."""
        self.setup()
        fault = None
        try:
            for index, step in enumerate(self.steps):
                self.log(f"  step {index}: {json.dumps(step, ensure_ascii=False)}")
                self.run_step(step)
            if self.running():
                self.close({"op": "close"})
        except Fault as f:
            fault = f
            try:
                self.screen.shot(os.path.join(self.root, "screen.png"))
            except Exception:
                pass
        except Stuck:
            self.teardown()
            raise
        keep = None
        if fault:
            keep = os.path.join(tempfile.gettempdir(), f"jotcrate-chaos-fault-{self.seed}")
        self.teardown(keep)
        if keep:
            self.notes.append(f"files and screen kept in {keep}")
        return fault


def describe(slots):
    return "[" + ", ".join(("x" if m else "") + repr(t.decode("utf-8", "replace"))[:60] for m, t in slots) + "]"


# ---- Generating steps ----

def initial_records(rng):
    if rng.random() < 0.2:
        return None  # no data file: the program makes its starter records
    words = rng.sample(VOCAB, rng.randint(2, 6))
    slots = []
    for w in words:
        body = f"{w} notes\r\nabout {w.lower()} and more"
        if rng.random() < 0.3:
            body += "\r\nGrüße"
        slots.append([0, body.encode()])
    return slots


def typed_piece(rng, n, paste=False):
    token = "k%d%s" % (n, "".join(rng.choice("qxzj") for _ in range(3)))
    text = token
    if rng.random() < 0.4:
        text += " " + "".join(rng.choice(NON_ASCII) for _ in range(rng.randint(1, 3)))
    if paste and rng.random() < 0.5:
        text += "\nline two " + token.upper()[::-1]
    text += "\n" if rng.random() < 0.25 else " "
    return token, text


def generate(seed):
    rng = random.Random(seed)
    steps = [{"op": "start"}]
    running = True
    count = rng.randint(10, 40)
    n = 0
    weights = [("type", 20), ("paste", 6), ("route", 14), ("focus", 4), ("add", 6), ("delete", 6), ("undelete", 4),
               ("findall", 4), ("options", 4), ("help", 2), ("close", 4), ("term", 2), ("kill", 2), ("display", 1),
               ("outside", 10), ("fill", 2), ("free", 2)]
    ops, w = zip(*weights)
    while len(steps) < count:
        n += 1
        if not running:
            op = rng.choices(["start", "outside", "free"], [8, 2, 1])[0]
        else:
            op = rng.choices(ops, w)[0]
        step = {"op": op}
        if op == "start":
            running = True
            step["salvage"] = rng.random() < 0.8
        elif op in ("close", "term", "kill", "display"):
            running = False
            if op == "close":
                step["how"] = rng.choice(["keys", "keys", "button"])
        elif op in ("type", "paste"):
            step["token"], step["text"] = typed_piece(rng, n, op == "paste")
            if op == "paste":
                step["how"] = rng.choice(["keys", "keys", "menu"])
        elif op == "route":
            step["how"] = rng.choice(["down", "down", "up", "home", "end", "popup-keys", "popup-mouse", "popup-mouse",
                                      "wheel-down", "wheel-up"])
            step["n"] = rng.randint(0 if step["how"] == "popup-keys" else 1, 3)
            step["row"] = rng.randint(0, 19)
        elif op == "focus":
            step["key"] = rng.choice(["alt+r", "alt+e"])
        elif op == "add":
            step["how"] = rng.choice(["keys", "keys", "button"])
        elif op == "delete":
            step["how"] = rng.choice(["keys", "keys", "button"])
            step["yes"] = rng.random() < 0.8
        elif op == "undelete":
            step["choose"] = rng.random() < 0.85
            step["row"] = rng.randint(0, 5)
        elif op == "findall":
            step["word"] = rng.choice(VOCAB)
            step["choose"] = rng.random() < 0.8
        elif op == "options":
            step["how"] = rng.choice(["cancel", "apply", "wordwrap", "autobackup"])
        elif op == "outside":
            step["kind"] = rng.choice(["rename", "rename", "rewrite-same", "rewrite-resize", "append", "truncate"])
            step["change"] = rng.choice(["body", "title", "drop", "add"])
            step["pick"] = round(rng.random(), 3)
            step["n"] = n
            step["count"] = rng.randint(1, 2)
        steps.append(step)
    return initial_records(random.Random(seed * 7919 + 1)), steps


# ---- Running, shrinking, reporting ----

def known_faults(path):
    known = []
    if path and os.path.exists(path):
        with open(path) as f:
            for line in f:
                line = line.split("#", 1)[0].strip()
                if line:
                    known.append(line)
    return known


def is_known(known, seed, fault):
    return any(k == f"seed {seed}" or (k.startswith("kind ") and k[5:] in str(fault)) for k in known)


def attempt(args, seed, initial, steps, verbose):
    log = (lambda s: print(s, flush=True)) if verbose else (lambda s: None)
    runner = Runner(args.program, args.library, steps, seed, initial, log)
    for tries in range(3):
        try:
            fault = runner.run()
            return fault, runner
        except Stuck as stuck:
            print(f"  seed {seed}: the harness got stuck ({stuck}); running it again", flush=True)
            runner = Runner(args.program, args.library, steps, seed, initial, log)
    raise Stuck(f"seed {seed} could not be run")


def shrink(args, seed, initial, steps, fault, deadline):
    """Drops halves, then smaller runs of steps, while the same kind of fault remains."""
    best = steps
    chunk = max(1, (len(best) - 1) // 2)
    while chunk >= 1 and time.monotonic() < deadline:
        changed = False
        start = 1  # the first start stays
        while start < len(best) and time.monotonic() < deadline:
            candidate = best[:start] + best[start + chunk:]
            got, _ = attempt(args, seed, initial, candidate, False)
            if got is not None and got.kind == fault.kind:
                print(f"  shrunk to {len(candidate)} steps", flush=True)
                best, fault, changed = candidate, got, True
            else:
                start += chunk
        if not changed:
            chunk //= 2
    return best, fault


def report(seed, initial, steps, fault):
    print(f"FAULT (seed {seed}): {fault}")
    print("replay with:  tests/chaos/chaos.py --seed %d --steps '%s'" % (seed, json.dumps(steps, ensure_ascii=False)))
    print("first records:", json.dumps([[m, t.decode('utf-8', 'replace')] for m, t in initial] if initial else None,
                                       ensure_ascii=False))


def tools_missing():
    return [t for t in ("Xvfb", "openbox", "xdotool", "xprop", "xclip", "xmodmap", "import") if shutil.which(t) is None]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    top = os.path.dirname(os.path.dirname(here))
    parser = argparse.ArgumentParser(description="Random user actions and outside events against the real program.")
    parser.add_argument("--program", default=os.path.join(top, "build", "jotcrate"))
    parser.add_argument("--library", default=os.path.join(top, "build", "jotcrate-window.so"))
    parser.add_argument("--seed", type=int, help="run this one sequence")
    parser.add_argument("--steps", help="with --seed: replay this JSON list of steps instead of the generated one")
    parser.add_argument("--seconds", type=float, default=0, help="run fresh seeds until this many seconds are used")
    parser.add_argument("--shrink-seconds", type=float, default=300, help="time for shrinking a failing sequence")
    parser.add_argument("--known", default=os.path.join(here, "known.txt"),
                        help="file of known faults: lines 'seed N' or 'kind TEXT'")
    parser.add_argument("--verbose", action="store_true")
    args = parser.parse_args()

    missing = tools_missing()
    if missing:
        print(f"skipped: missing {' '.join(missing)} (scripts/install-deps --test)")
        return SKIP
    for path in (args.program, args.library):
        if not os.path.exists(path):
            print(f"no {path}: build first")
            return 1
    if os.geteuid() != 0:
        print("note: not root, so no small file system can be mounted; the disk-full events are skipped")
    known = known_faults(args.known)

    seeds = [args.seed] if args.seed is not None else None
    began = time.monotonic()
    sequences = events = skipped = 0
    failed = False
    found = []
    seed = args.seed if args.seed is not None else random.SystemRandom().randrange(1, 10 ** 6)
    while True:
        initial, steps = generate(seed)
        if args.steps:
            steps = json.loads(args.steps)
        print(f"seed {seed}: {len(steps)} steps", flush=True)
        fault, runner = attempt(args, seed, initial, steps, args.verbose or seeds is not None)
        sequences += 1
        events += runner.events
        skipped += runner.skipped
        for note in runner.notes:
            print("  " + note)
        if fault:
            if is_known(known, seed, fault):
                print(f"  known fault (seed {seed}): {fault}")
            else:
                failed = True
                deadline = time.monotonic() + args.shrink_seconds
                print(f"  fault: {fault}\n  shrinking for up to {args.shrink_seconds:.0f} s", flush=True)
                small, small_fault = shrink(args, seed, initial, steps, fault, deadline)
                report(seed, initial, small, small_fault)
                found.append(f"seed {seed}: {small_fault.kind}")
        if seeds is not None or time.monotonic() - began >= args.seconds:
            break
        seed += 1
    print(f"{sequences} sequences, {events} events run, {skipped} steps skipped, "
          f"{time.monotonic() - began:.0f} s")
    for line in found:
        print("FAULT " + line)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
