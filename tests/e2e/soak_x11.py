#!/usr/bin/python3
"""Soaks a running Ravenmark board: a long stream of real key presses with both clocks running, checked
against a model of what the board must show, with the program's memory sampled all along.

    soak_x11.py --pid PID --xkeys PATH [--minutes 20] [--keys-per-second 10] [--seed 1]

The board must have been started with "bypass" and a new, empty settings store (scripts/soak-x11.sh does
that). Keys go through the X server by XTest (the xkeys helper), values come back through AT-SPI, as in
test_keyboard_e2e.py. Every minute the key stream pauses, the window is resized and every read-out, both
clocks and the bonus lights are compared with the model. The resident set size (VmRSS) is sampled every
10 s; after the first minute (which has seen every window size once) it must stay flat at each size.

Exits with 0 when the board is alive at the end and every check passed, 1 otherwise.
"""

import argparse
import random
import re
import subprocess
import sys
import time

from test_keyboard_e2e import FIELDS, LIGHTS, Board, Failed, descendants, process_running, take_focus, \
    wait_for

# Defaults of a new settings store.
SHOT_RESET = 35
BONUS_INNER = 7
BONUS_OUTER = 10
# The game clock is set to the longest time typing accepts (99:59), so it cannot run out during a soak.
GAME_START = 99 * 60 + 59

# Quick keys: keysym -> (field, change, maximum). Each change is dropped whole when it would leave
# -1 ... maximum; a cleared field (-1) counts as 0.
QUICK = {
    "Insert": ("digHome", 1, 199), "Home": ("digHome", 2, 199), "Prior": ("digHome", 3, 199),
    "Delete": ("digVisitor", 1, 199), "End": ("digVisitor", 2, 199), "Next": ("digVisitor", 3, 199),
    "F11": ("digFoulsH", 1, 99), "F12": ("digFoulsV", 1, 99),
    "F7": ("digTimeoutsH", -1, 9), "F8": ("digTimeoutsV", -1, 9),
    "p": ("digPeriod", 1, 9),
}
SIZES = ((1280, 720), (1024, 768), (1920, 1080), (800, 600), (1600, 900), (1366, 768))
RSS_INTERVAL = 10.0
# Growth of VmRSS after the first minute that still counts as flat: allocator and font caches settle late.
RSS_SLACK_KB = 4096
# Whole seconds on the read-outs plus the trip through AT-SPI.
CLOCK_TOLERANCE = 1.5
CHECK_TIMEOUT = 5.0


def status_kb(pid, key):
    with open(f"/proc/{pid}/status", encoding="ascii") as status:
        for line in status:
            if line.startswith(key + ":"):
                return int(line.split()[1])
    raise Failed(f"no {key} in /proc/{pid}/status")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat", encoding="ascii") as stat:
        fields = stat.read().rsplit(") ", 1)[1].split()
    # utime and stime, fields 14 and 15 of stat(5), counted from the state field (3).
    return (int(fields[11]) + int(fields[12])) / 100.0


class Model:
    """What the board should show after the keys sent so far."""

    def __init__(self):
        self.values = {field: 0 for field in FIELDS}
        self.values["digPeriod"] = 1
        self.running_since = None  # monotonic time the game clock last started
        self.game_left = float(GAME_START)  # game seconds left at running_since
        self.shot_reset_at = None

    def apply(self, field, change, maximum, absolute=False):
        current = self.values[field]
        new = change if absolute else (0 if current == -1 else current) + change
        if -1 <= new <= maximum:
            self.values[field] = new

    def game_seconds(self, now):
        if self.running_since is None:
            return self.game_left
        return self.game_left - (now - self.running_since)

    def shot_seconds(self, now):
        return SHOT_RESET - (now - self.shot_reset_at)

    def lights(self):
        lit = set()
        for fouls, side in ((self.values["digFoulsH"], "V"), (self.values["digFoulsV"], "H")):
            if fouls >= BONUS_INNER:
                lit.add(f"shpBonus{side}(0)")
            if fouls >= BONUS_OUTER:
                lit.add(f"shpBonus{side}(1)")
        return lit


class Soak:
    def __init__(self, board, args):
        self.board = board
        self.args = args
        self.rng = random.Random(args.seed)
        self.model = Model()
        self.keys_sent = 0
        self.shot_field = wait_for("the shot clock", self._find_shot_clock, CHECK_TIMEOUT)
        self.rss = []  # (seconds since start, window size, kB)
        self.size = None
        self.started = time.monotonic()
        self.next_rss = self.started

    def _find_shot_clock(self):
        for accessible in descendants(self.board.frame):
            if accessible.description == "digShotClock":
                return accessible
        return None

    def send(self, *keys):
        self.board.press(*keys)
        self.keys_sent += len(keys)

    def sample_rss(self, force=False):
        now = time.monotonic()
        if force or now >= self.next_rss:
            self.rss.append((now - self.started, self.size, status_kb(self.board.pid, "VmRSS")))
            self.next_rss += RSS_INTERVAL

    def start(self):
        take_focus(self.board, require_self_focus=False)
        self.board.expect_focus("start", "clkGame")
        # Typed into the selected game clock: 99.59 is 99 minutes 59 seconds.
        self.send("9", "9", "period", "5", "9", "Return")
        wait_for("the game clock to show 99:59", lambda: True if "99:59" in self.board.clock_text() else None,
                 CHECK_TIMEOUT)
        self.send("t", "s")
        now = time.monotonic()
        self.model.shot_reset_at = now
        self.model.running_since = now
        self.board.press("Tab")
        self.board.expect_focus("Tab from the game clock", "digHome")
        # Every size once before the first minute, so that the memory each size needs is in the first
        # minute's figure and what grows later is growth.
        for minute in range(len(SIZES)):
            self.resize(minute)
            time.sleep(0.5)

    def action(self):
        """Sends one operator action and follows it in the model."""
        rng = self.rng
        model = self.model
        roll = rng.random()
        if roll < 0.55:
            key = rng.choice(list(QUICK))
            self.send(key)
            model.apply(*QUICK[key])
        elif roll < 0.70:
            # A typed score, sometimes out of range: refused whole by Enter.
            number = rng.randrange(0, 260)
            self.send(*str(number), "Return")
            model.apply("digHome", number, 199, absolute=True)
        elif roll < 0.80:
            sign, digit = rng.choice(("KP_Add", "KP_Subtract")), rng.randrange(0, 10)
            self.send(sign, str(digit))
            model.apply("digHome", digit if sign == "KP_Add" else -digit, 199)
        elif roll < 0.83:
            self.send("BackSpace")
            model.values["digHome"] = -1
        elif roll < 0.90:
            self.send(rng.choice(("Left", "Right", "Up", "Down")))
        elif roll < 0.94:
            # Stop and start again at once: the clocks keep (almost) all their time.
            self.send("s", "s")
        elif roll < 0.97:
            self.send("c", "c")
        elif roll < 0.99:
            self.send("t")
            model.shot_reset_at = time.monotonic()
        else:
            self.send("space")
        # The shot clock must never run out (a run-out stops it): reset it well before.
        if model.shot_seconds(time.monotonic()) < 15:
            self.send("t")
            model.shot_reset_at = time.monotonic()

    def check(self, label):
        """Polls every modelled value until it matches or the time is up; records one result per group."""
        board = self.board
        want = dict(self.model.values)
        deadline = time.monotonic() + CHECK_TIMEOUT
        while True:
            shown = {field: board.value(field) for field in FIELDS}
            if shown == want or time.monotonic() >= deadline:
                break
            time.sleep(0.05)
        wrong = [f"{field} = {shown[field]}, expected {want[field]}"
                 for field in FIELDS if shown[field] != want[field]]
        board.record(not wrong, f"{label}: read-outs " + ("match the model" if not wrong else "; ".join(wrong)))
        board.expect_lights(label, self.model.lights())

        text = board.clock_text()
        now = time.monotonic()
        match = re.search(r"(\d+):(\d\d)", text)
        expected = self.model.game_seconds(now)
        shown_game = int(match.group(1)) * 60 + int(match.group(2)) if match else None
        board.record(shown_game is not None and abs(shown_game - expected) <= CLOCK_TOLERANCE,
                     f"{label}: game clock shows {text.strip()!r}, model {expected:.1f} s")
        shot = round(self.shot_field.queryValue().currentValue)
        expected_shot = self.model.shot_seconds(time.monotonic())
        board.record(abs(shot - expected_shot) <= CLOCK_TOLERANCE,
                     f"{label}: shot clock shows {shot}, model {expected_shot:.1f} s")
        board.expect_focus(label, "digHome")

    def resize(self, minute):
        width, height = SIZES[minute % len(SIZES)]
        self.size = (width, height)
        command = [self.board.xkeys, "--focus", "Ravenmark", "--pid", str(self.board.pid), "--resize",
                   f"{width}x{height}"]
        result = subprocess.run(command, capture_output=True, text=True, timeout=30, check=False)
        self.board.record(result.returncode == 0, f"resized to {width}x{height}"
                          + ("" if result.returncode == 0 else f": {result.stderr.strip()}"))

    def run(self):
        args = self.args
        self.start()
        cpu_start = cpu_seconds(self.board.pid)
        self.started = time.monotonic()
        self.next_rss = self.started
        end = self.started + args.minutes * 60
        minute = 0
        next_key = self.started
        sending = 0.0  # seconds spent in the key stream, checks left out
        while time.monotonic() < end:
            self.sample_rss()
            if time.monotonic() >= self.started + (minute + 1) * 60:
                minute += 1
                self.check(f"minute {minute}")
                self.resize(minute)
                next_key = time.monotonic()
            before = self.keys_sent
            begin = time.monotonic()
            self.action()
            sending += time.monotonic() - begin
            next_key += (self.keys_sent - before) / args.keys_per_second
            pause = next_key - time.monotonic()
            if pause > 0:
                time.sleep(pause)
                sending += pause
            if not process_running(self.board.pid):
                raise Failed("the board ended during the soak")
        self.sample_rss(force=True)
        self.check("end")
        elapsed = time.monotonic() - self.started
        cpu = cpu_seconds(self.board.pid) - cpu_start
        peak = status_kb(self.board.pid, "VmHWM")
        alive = process_running(self.board.pid)
        self.board.record(alive, "end: the board is still running")

        first_minute = [kb for at, _, kb in self.rss if at <= 60.0][-1]
        last = self.rss[-1][2]
        later = [(size, kb) for at, size, kb in self.rss if at > 60.0]
        print(f"SOAK  {elapsed / 60:.1f} min, {self.keys_sent} keys, "
              f"{self.keys_sent / max(sending, 1e-9):.1f} keys/s while typing")
        print(f"SOAK  board CPU {100.0 * cpu / elapsed:.1f}% of one core on average")
        print("SOAK  VmRSS samples (MB): " + " ".join(f"{kb / 1024:.1f}" for _, _, kb in self.rss))
        print(f"SOAK  VmRSS at 1 min {first_minute / 1024:.1f} MB, last {last / 1024:.1f} MB, "
              f"highest after 1 min {max([kb for _, kb in later] or [last]) / 1024:.1f} MB, "
              f"peak (VmHWM) {peak / 1024:.1f} MB")
        # The backing store follows the window size, so memory is compared at equal sizes: the first
        # sample after the first minute at each size against the last one at that size.
        growth = 0
        for size in {size for size, _ in later}:
            at_size = [kb for s, kb in later if s == size]
            growth = max(growth, at_size[-1] - at_size[0])
        self.board.record(growth <= RSS_SLACK_KB,
                          f"end: VmRSS flat after the first minute (grew {growth / 1024:.1f} MB at the same "
                          f"window size, allowed {RSS_SLACK_KB / 1024:.0f} MB)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pid", type=int, required=True, help="process id of the running board")
    parser.add_argument("--xkeys", required=True, help="path of the XTest key sender")
    parser.add_argument("--minutes", type=float, default=20.0)
    parser.add_argument("--keys-per-second", type=float, default=10.0)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    board = None
    try:
        board = Board(args.pid, args.xkeys)
        Soak(board, args).run()
    except Exception as error:  # pylint: disable=broad-except  # AT-SPI errors too: the summary must come
        print(f"FAIL  {error}", flush=True)
        if board is None:
            print("0 passed, 1 failed")
            return 1
        board.failed += 1
    print(f"{board.passed} passed, {board.failed} failed")
    return 0 if board.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
