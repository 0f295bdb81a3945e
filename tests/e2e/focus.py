#!/usr/bin/python3
# Walks every window of the real program by keyboard alone (xdotool) and, after each key,
# waits until a screen reader would hear the control it expects: the focused accessible object
# of the program, read over AT-SPI, with that role and name. Started by keyboard.sh on a
# private screen and session bus, with the program's window up and its editor focused.
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

TIMEOUT = 15  # seconds per step, with room for a loaded machine


def program():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == "jotcrate":
            return app
    return None


def focused(node, depth=0):
    if node is None or depth > 25:
        return None
    try:
        states = node.get_state_set()
        if states.contains(Atspi.StateType.FOCUSED):
            return node
        if depth > 0 and not states.contains(Atspi.StateType.SHOWING):
            return None
        count = node.get_child_count()
    except gi.repository.GLib.Error:
        return None  # a window going away while it is read
    for i in range(min(count, 64)):
        found = focused(node.get_child_at_index(i), depth + 1)
        if found is not None:
            return found
    return None


def heard():
    app = program()
    node = focused(app) if app is not None else None
    if node is None:
        return None
    try:
        return (node.get_role_name(), node.get_name())
    except gi.repository.GLib.Error:
        return None


def expect(role, name, after):
    deadline = time.monotonic() + TIMEOUT
    now = None
    while time.monotonic() < deadline:
        now = heard()
        if now == (role, name):
            print(f"ok   {after:<16} {role}: {name}")
            return
        time.sleep(0.05)  # a poll, not a wait for time to pass
    sys.exit(f"FAIL after {after}: expected {role} '{name}', the focus is on {now}")


def described(node, role, name, depth=0):
    """What an object of that role under node says for name: its name or, where the toolkit
    gives a list's name its chosen entry (Qt on Linux), its description (not the tooltip,
    which Hide Tooltips takes away); None if none does."""
    if node is None or depth > 25:
        return None
    try:
        if node.get_role_name() == role:
            for said in (node.get_name(), node.get_description() or ""):
                if said == name:
                    return said
        count = node.get_child_count()
    except gi.repository.GLib.Error:
        return None
    for i in range(min(count, 64)):
        said = described(node.get_child_at_index(i), role, name, depth + 1)
        if said is not None:
            return said
    return None


def expect_named(role, name):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        said = described(program(), role, name)
        if said is not None:
            print(f"ok   {'named':<16} {role}: {said}")
            return
        time.sleep(0.05)  # a poll, not a wait for time to pass
    sys.exit(f"FAIL: no {role} called '{name}' in the accessibility tree")


def key(keys, role, name):
    subprocess.run(["xdotool", "key", "--clearmodifiers", keys], check=True)
    expect(role, name, keys)


def walk(keys, stops):
    for role, name in stops:
        key(keys, role, name)


BUTTON, BOX, TEXT = "push button", "check box", "text"

expect(TEXT, "Record text", "start")
# The editor's name is heard above, the help editor's below; the record list, focused, says its
# entry, so its own name is looked up.
expect_named("combo box", "Records")
# The main window: CTRL+TAB round the controls and back; the record list says its record.
main = [(BUTTON, "Add"), (BUTTON, "Delete"), (BUTTON, "Options"), (BUTTON, "Help"), ("combo box", "Record 1"),
        (TEXT, "Record text")]
walk("ctrl+Tab", main)
walk("ctrl+shift+Tab", [("combo box", "Record 1"), (BUTTON, "Help")])
key("alt+r", "combo box", "Record 1")
key("alt+e", TEXT, "Record text")

# The options dialog: TAB and SHIFT+TAB in the order of its controls, ESC back to the editor.
key("alt+o", BUTTON, "Apply")
options = [(BUTTON, "Cancel"), (BOX, "Wordwrap"), (BOX, "On Top"), (BOX, "Read Only"), (BOX, "Hide Tooltips"),
           (BOX, "Auto Backup"), (BOX, "Desktop Shortcut"), (BUTTON, "Font"), (BUTTON, "Color"), (BUTTON, "Export"),
           (BUTTON, "Apply")]
walk("Tab", options)
walk("shift+Tab", [(BUTTON, "Export"), (BUTTON, "Color")])
key("alt+h", BOX, "Hide Tooltips")
key("Escape", TEXT, "Record text")

# The find dialog, with a term so that Find Next takes part.
key("ctrl+f", TEXT, "Find what:")
subprocess.run(["xdotool", "type", "Record"], check=True)
walk("Tab", [(BOX, "Match whole word only"), (BOX, "Match case"), ("radio button", "Down"), (BUTTON, "Find Next"),
             (BUTTON, "Cancel"), (TEXT, "Find what:")])
walk("shift+Tab", [(BUTTON, "Cancel")])
key("Escape", TEXT, "Record text")

# Find in all records: the field, its boxes and the results.
key("ctrl+shift+f", TEXT, "Find:")
walk("Tab", [(BOX, "Match case"), (BOX, "Whole word"), ("list", "Results"), (TEXT, "Find:")])
walk("shift+Tab", [("list", "Results")])
key("Escape", TEXT, "Record text")

# The help window, and back.
key("F1", TEXT, "Jotcrate Help")
key("alt+F4", TEXT, "Record text")
print("every window walked by keyboard")
