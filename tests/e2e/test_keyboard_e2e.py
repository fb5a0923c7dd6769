#!/usr/bin/python3
"""Drives a running Ravenmark board with real key presses and reads its values back through AT-SPI.

    test_keyboard_e2e.py --pid PID --xkeys PATH [--settings FILE] [--allow-focus-help]

The board must have been started with "bypass" and a new, empty settings store, so that every key has its
default binding. Keys go through the X server by XTest (the xkeys helper); the read-outs are found on the
AT-SPI desktop by their description (their object name) and read through the Value interface, which reports
-1 for a cleared read-out. Each check polls the value with a deadline: the press travels through the X
server, the board's event loop and the accessibility bus before it can be seen.

Last, F2 opens the options dialog, where a quick key is rebound as the operator does it: a click (XTest) on
its key label, found on the AT-SPI desktop by the title of its group, then a new key, then Alt+O. The board
must then answer to the new key and no longer to the old one, and the settings file (--settings) must hold
the new key's code.

Exits with 0 when every check passed and 1 otherwise; the last line is the "N passed, N failed" summary.
"""

import argparse
import configparser
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi

WINDOW_TITLE = "Ravenmark"
OPTIONS_TITLE = "Options"
FIELDS = ("digHome", "digVisitor", "digFoulsH", "digFoulsV", "digTimeoutsH", "digTimeoutsV", "digPeriod")
# The bonus lights: inner (0) and outer (1) on each side; an indicator that is checked while lit.
LIGHTS = ("shpBonusH(0)", "shpBonusH(1)", "shpBonusV(0)", "shpBonusV(1)")

# Seconds. Start-up is generous: a Debug or sanitizer build under a loaded machine starts slowly.
APP_TIMEOUT = 60.0
STEP_TIMEOUT = 5.0
POLL_INTERVAL = 0.05


class Failed(Exception):
    """The run cannot go on: the board is missing, gone, or unreadable."""


def wait_for(what, probe, timeout):
    """Calls probe until it returns something other than None; raises Failed after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        try:
            result = probe()
        except Exception:  # AT-SPI raises while an application is still registering its objects.
            result = None
        if result is not None:
            return result
        if time.monotonic() >= deadline:
            raise Failed(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(POLL_INTERVAL)


def process_running(pid):
    try:
        with open(f"/proc/{pid}/stat", encoding="ascii") as stat:
            return stat.read().split(") ", 1)[1][0] != "Z"
    except (OSError, IndexError):
        return False


def find_application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for index in range(desktop.childCount):
        app = desktop.getChildAtIndex(index)
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def descendants(accessible):
    for index in range(accessible.childCount):
        child = accessible.getChildAtIndex(index)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def has_state(accessible, state):
    return accessible.getState().contains(state)


class Board:
    def __init__(self, pid, xkeys):
        self.pid = pid
        self.xkeys = xkeys
        self.app = wait_for(f"process {pid} on the AT-SPI desktop", lambda: find_application(pid),
                            APP_TIMEOUT)
        # States and children change under us; read them from the program every time.
        self.app.set_cache_mask(Atspi.Cache.NONE)
        self.frame = wait_for(f'the "{WINDOW_TITLE}" window', self._find_frame, APP_TIMEOUT)
        self.fields = wait_for("the board's read-outs", self._find_fields, APP_TIMEOUT)
        self.passed = 0
        self.failed = 0

    def _find_frame(self):
        return self.window(WINDOW_TITLE)

    def window(self, title):
        """The program's showing top-level window of that title, or None."""
        for index in range(self.app.childCount):
            window = self.app.getChildAtIndex(index)
            if window is None or window.name != title:
                continue
            if has_state(window, pyatspi.STATE_SHOWING):
                return window
        return None

    def _find_fields(self):
        found = {}
        for accessible in descendants(self.frame):
            description = accessible.description
            if description in FIELDS or description in LIGHTS or description == "clkGame":
                found[description] = accessible
        return found if len(found) == len(FIELDS) + len(LIGHTS) + 1 else None

    def value(self, field):
        return round(self.fields[field].queryValue().currentValue)

    def clock_text(self):
        return self.fields["clkGame"].queryText().getText(0, -1)

    def active(self):
        return has_state(self.frame, pyatspi.STATE_ACTIVE)

    def lit(self, light):
        return has_state(self.fields[light], pyatspi.STATE_CHECKED)

    def expect_lights(self, step, lit):
        """Polls until exactly the lights in lit are on."""
        deadline = time.monotonic() + STEP_TIMEOUT
        while True:
            on = {light for light in LIGHTS if self.lit(light)}
            if on == set(lit) or time.monotonic() >= deadline:
                break
            time.sleep(POLL_INTERVAL)
        shown = ", ".join(sorted(on)) or "none"
        self.record(on == set(lit), f"{step}: bonus lights lit: {shown}"
                    + ("" if on == set(lit) else f", expected {', '.join(sorted(lit)) or 'none'}"))

    def focused(self, field):
        return has_state(self.fields[field], pyatspi.STATE_FOCUSED)

    def press(self, *keys, repeat=1):
        if not process_running(self.pid):
            raise Failed(f"the board (process {self.pid}) is no longer running")
        command = [self.xkeys, "--repeat", str(repeat), *keys]
        result = subprocess.run(command, capture_output=True, text=True, timeout=30, check=False)
        if result.returncode != 0:
            raise Failed(f"{' '.join(command)} failed: {result.stderr.strip()}")

    def numlock_on(self):
        result = subprocess.run([self.xkeys, "--numlock"], capture_output=True, text=True, timeout=30,
                                check=False)
        if result.returncode != 0 or result.stdout.strip() not in ("on", "off"):
            raise Failed(f"could not read the NumLock state: {result.stderr.strip()}")
        return result.stdout.strip() == "on"

    def set_numlock(self, on):
        """Presses the NumLock key when its state differs from on, and waits for the X server to agree."""
        if self.numlock_on() != on:
            self.press("Num_Lock")
        wait_for(f"NumLock {'on' if on else 'off'}", lambda: True if self.numlock_on() == on else None,
                 STEP_TIMEOUT)

    def focus_window(self, title=WINDOW_TITLE):
        command = [self.xkeys, "--focus", title, "--pid", str(self.pid)]
        result = subprocess.run(command, capture_output=True, text=True, timeout=30, check=False)
        if result.returncode != 0:
            raise Failed(f"could not focus the {title!r} window: {result.stderr.strip()}")

    def click(self, accessible):
        """A left click in the middle of accessible, through the X server as a mouse would send it."""
        extents = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        if extents.width <= 0 or extents.height <= 0:
            raise Failed(f"{accessible.name!r} has no area on the screen to click")
        x = extents.x + extents.width // 2
        y = extents.y + extents.height // 2
        self.press("--click", str(x), str(y))

    def record(self, ok, message):
        if ok:
            self.passed += 1
            print(f"PASS  {message}", flush=True)
        else:
            self.failed += 1
            print(f"FAIL  {message}", flush=True)

    def expect(self, step, field, expected):
        """Polls the field until it shows expected; a value that never arrives fails the step."""
        deadline = time.monotonic() + STEP_TIMEOUT
        while True:
            current = self.value(field)
            if current == expected or time.monotonic() >= deadline:
                break
            time.sleep(POLL_INTERVAL)
        detail = f"{step}: {field} = {current}"
        self.record(current == expected, detail if current == expected else f"{detail}, expected {expected}")

    def expect_focus(self, step, field):
        deadline = time.monotonic() + STEP_TIMEOUT
        while not self.focused(field) and time.monotonic() < deadline:
            time.sleep(POLL_INTERVAL)
        self.record(self.focused(field), f"{step}: {field} has the keyboard focus")


def take_focus(board, require_self_focus):
    """The operator types at the board as soon as it appears; without a window manager only the program
    itself can make that so. When it does not, the window is focused as a click would do it."""
    deadline = time.monotonic() + STEP_TIMEOUT
    while not board.active() and time.monotonic() < deadline:
        time.sleep(POLL_INTERVAL)
    if board.active():
        board.record(True, "start: the board took the keyboard focus by itself")
        return
    message = "start: the board did not take the keyboard focus by itself"
    if require_self_focus:
        board.record(False, message)
    else:
        print(f"NOTE  {message}; giving it the focus with XSetInputFocus", flush=True)
    board.focus_window()
    wait_for("the board to become the active window", lambda: True if board.active() else None, STEP_TIMEOUT)


def run(board, require_self_focus):
    # A new settings store: every read-out starts at 0 except the period, which starts at 1. `want` follows
    # what the board should show after each step.
    want = {field: 0 for field in FIELDS}
    want["digPeriod"] = 1
    for field in FIELDS:
        board.expect("start", field, want[field])
    clock = board.clock_text()

    take_focus(board, require_self_focus)
    board.expect_focus("start", "clkGame")

    def step(label, keys, changes, repeat=1):
        board.press(*keys, repeat=repeat)
        want.update(changes)
        for field, value in changes.items():
            board.expect(label, field, value)

    step("Insert x3 (home +1 each)", ["Insert"], {"digHome": 3}, repeat=3)
    step("Home (home +2)", ["Home"], {"digHome": 5})
    step("Page Up (home +3)", ["Prior"], {"digHome": 8})
    step("Delete (visitor +1)", ["Delete"], {"digVisitor": 1})
    board.expect_lights("start", [])
    step("F11 x8 (home team fouls +1 each)", ["F11"], {"digFoulsH": 8}, repeat=8)
    # Eight home fouls pass the inner threshold (7): the visitor side's inner light shows it.
    board.expect_lights("F11 x8", ["shpBonusV(0)"])
    step("P (period +1)", ["p"], {"digPeriod": 2})
    step("F7 (home timeouts -1 from 0 clears)", ["F7"], {"digTimeoutsH": -1})
    # A cleared field counts as 0, so F7 again leaves it cleared. Nothing to see, so F8 follows as a
    # marker: once the visitor's timeouts have changed, the F7 before it has been handled.
    step("F7 again then F8 (visitor timeouts -1 from 0 clears)", ["F7", "F8"], {"digTimeoutsV": -1})
    board.expect("F7 again (stays cleared)", "digTimeoutsH", -1)
    # The quick keys above were pressed with the game clock selected; none of them is a time.
    board.record(board.clock_text() == clock, f"quick keys: the game clock still shows {clock!r}")

    board.press("Tab")
    board.expect_focus("Tab from the game clock", "digHome")
    step("1 2 Enter into the home score", ["1", "2", "Return"], {"digHome": 12})
    step("Backspace (clears the home score)", ["BackSpace"], {"digHome": -1})

    # The keypad on its own keycodes, in both NumLock states, the one the X server has first. NumLock is
    # toggled with its own key, as the operator would, and put back afterwards for whoever uses the display
    # next. Space first empties any typed entry left waiting.
    def keypad_step(numlock):
        if numlock:
            step("NumLock on: keypad 1 2 Enter into the home score", ["space", "KP_1", "KP_2", "KP_Enter"],
                 {"digHome": 12})
        else:
            # Keypad + is a sign whatever NumLock says; keypad 3 is Page Down, the visitor's +3.
            step("NumLock off: keypad + 3 (Page Down: visitor +3)", ["space", "KP_Add", "KP_3"],
                 {"digVisitor": want["digVisitor"] + 3})

    numlock = board.numlock_on()
    keypad_step(numlock)
    board.set_numlock(not numlock)
    try:
        keypad_step(not numlock)
    finally:
        board.set_numlock(numlock)

    # F12 as the last marker; then every read-out must show what the steps left, once and only once each:
    # a press handled twice or a key that reached the wrong field shows up here.
    step("F12 (visitor team fouls +1)", ["F12"], {"digFoulsV": 1})
    for field in FIELDS:
        board.expect("final state", field, want[field])
    board.record(board.clock_text() == clock, f"final state: the game clock still shows {clock!r}")
    return want


def showing_child(parent, name, role=None):
    """The showing descendant of parent with that accessible name (and role), or None."""
    for accessible in descendants(parent):
        if accessible.name == name and (role is None or accessible.getRole() == role) and \
                has_state(accessible, pyatspi.STATE_SHOWING):
            return accessible
    return None


def key_label(dialog, group_title):
    """The key label in the group of that title: the group's only label child."""
    group = showing_child(dialog, group_title)
    if group is None:
        return None
    labels = [child for child in descendants(group) if child.getRole() == pyatspi.ROLE_LABEL]
    return labels[0] if len(labels) == 1 else None


def wait_name(accessible, wanted, timeout=STEP_TIMEOUT):
    """Polls until accessible's name is wanted (a string) or satisfies it (a callable); returns the last name."""
    deadline = time.monotonic() + timeout
    while True:
        name = accessible.name
        if (wanted(name) if callable(wanted) else name == wanted) or time.monotonic() >= deadline:
            return name
        time.sleep(POLL_INTERVAL)


def stored_value(settings, section, key):
    parser = configparser.ConfigParser(interpolation=None)
    parser.optionxform = str  # QSettings keeps the keys' case
    if not parser.read(settings, encoding="utf-8"):
        return None
    return parser.get(section, key, fallback=None)


# The quick key rebound in the options dialog: its group's title, the record's section and key, the
# default (Insert, Windows code 45) and the new one (Q, code 81), and the read-out it raises.
REBIND_GROUP = "Home Score +1"
REBIND_SECTION = "QuickKeySettings"
REBIND_KEY = "QScoreH1"
OLD_KEY, OLD_CODE = "Insert", "45"
NEW_KEY, NEW_CODE = "q", "81"


def rebind_in_options(board, want, settings):
    """F2, a click on the key label, the new key, Alt+O; then the board and the file answer to the new key."""
    board.press("F2")
    dialog = wait_for(f'the "{OPTIONS_TITLE}" dialog', lambda: board.window(OPTIONS_TITLE), STEP_TIMEOUT)
    board.record(True, "F2: the options dialog is showing")
    # Without a window manager the new dialog may not get the X focus on its own; a real click would.
    deadline = time.monotonic() + STEP_TIMEOUT
    while not has_state(dialog, pyatspi.STATE_ACTIVE) and time.monotonic() < deadline:
        time.sleep(POLL_INTERVAL)
    if not has_state(dialog, pyatspi.STATE_ACTIVE):
        print("NOTE  the options dialog did not take the keyboard focus by itself; giving it the focus",
              flush=True)
        board.focus_window(OPTIONS_TITLE)

    tab = wait_for('the "Quick Keys" tab', lambda: showing_child(dialog, "Quick Keys", pyatspi.ROLE_PAGE_TAB),
                   STEP_TIMEOUT)
    board.click(tab)
    label = wait_for(f'the key label of "{REBIND_GROUP}"', lambda: key_label(dialog, REBIND_GROUP), STEP_TIMEOUT)
    shown = label.name
    board.record(shown == OLD_KEY, f"options: the {REBIND_GROUP!r} label shows {shown!r}"
                 + ("" if shown == OLD_KEY else f", expected {OLD_KEY!r}"))

    board.click(label)
    waiting = wait_name(label, "<Press any key>")
    board.record(waiting == "<Press any key>", f"click on the key label: it shows {waiting!r}")
    board.press(NEW_KEY)
    chosen = wait_name(label, NEW_KEY.upper())
    board.record(chosen == NEW_KEY.upper(), f"{NEW_KEY.upper()} pressed: the key label shows {chosen!r}")

    board.press("--hold", "Alt_L", "o")
    wait_for("the options dialog to close", lambda: True if board.window(OPTIONS_TITLE) is None else None,
             STEP_TIMEOUT)
    board.record(True, "Alt+O: the options dialog closed")
    if not board.active():
        board.focus_window()
    wait_for("the board to become the active window again", lambda: True if board.active() else None,
             STEP_TIMEOUT)

    def step(label_text, keys, changes):
        board.press(*keys)
        want.update(changes)
        for field, value in changes.items():
            board.expect(label_text, field, value)

    step(f"{NEW_KEY.upper()} after the rebind (home +1)", [NEW_KEY], {"digHome": max(want["digHome"], 0) + 1})
    # The old key must do nothing now; the visitor's +1 after it is the marker that it has been handled.
    step(f"{OLD_KEY} after the rebind, then Delete (visitor +1)", [OLD_KEY, "Delete"],
         {"digVisitor": max(want["digVisitor"], 0) + 1})
    board.expect(f"{OLD_KEY} after the rebind (home unchanged)", "digHome", want["digHome"])

    if settings is None:
        print("NOTE  no --settings file given; the stored key is not checked", flush=True)
        return
    stored = stored_value(settings, REBIND_SECTION, REBIND_KEY)
    board.record(stored == NEW_CODE, f"settings file: {REBIND_SECTION}/{REBIND_KEY} = {stored!r}"
                 + ("" if stored == NEW_CODE else f", expected {NEW_CODE!r}"))
    marker = stored_value(settings, "KeySettings", "IsKeyCode")
    board.record(marker == "Yes", f"settings file: KeySettings/IsKeyCode = {marker!r}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pid", type=int, required=True, help="process id of the running board")
    parser.add_argument("--xkeys", required=True, help="path of the XTest key sender")
    parser.add_argument("--settings", help="the board's settings file, checked after the options dialog")
    parser.add_argument("--allow-focus-help", dest="require_self_focus", action="store_false",
                        help="focus the board from outside when it does not take the keyboard focus by itself")
    args = parser.parse_args()

    board = None
    try:
        board = Board(args.pid, args.xkeys)
        want = run(board, args.require_self_focus)
        rebind_in_options(board, want, args.settings)
    except Exception as error:  # pylint: disable=broad-except  # AT-SPI errors too: the summary must come
        print(f"FAIL  {error}", flush=True)
        if board is not None:
            board.failed += 1
        else:
            print("0 passed, 1 failed")
            return 1
    print(f"{board.passed} passed, {board.failed} failed")
    return 0 if board.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
