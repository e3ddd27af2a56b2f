"""Plays the sample recording slowly into schreiber on an X display, after a silence of
10 s, and acts as a window manager and an operator meanwhile:

- the window manager's ping (_NET_WM_PING) is answered within 1 s all the time;
- the window, covered by another window and uncovered during the silence, shows the
  same picture as before;
- a click and keys during the capture change nothing and start nothing;
- the window manager's close during the capture does not end the run: every byte is
  received and converted, and the program ends by itself afterwards.

usage: keep_alive_during_capture.py PROGRAM_FOLDER SCHREIBER_CLI RECORDING
PROGRAM_FOLDER holds schreiber, FILES/Vor/1.xls, Data/ and ports/. Exit status 0 when all
is well.
"""

import glob
import os
import subprocess
import sys
import time

from Xlib import X, XK, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from x_window import (close_as_window_manager, fail, find_window,  # noqa: E402
                      send_protocol_message, wait_for)

TITLE = "Schreiber"
SILENCE_S = 10
ANSWER_WITHIN_S = 1.0
PING_EVERY_S = 0.25


class WindowManager:
    """Pings a window as a window manager does and notes how long each answer took."""

    def __init__(self, x, window):
        self.x = x
        self.window = window
        self.protocols = x.intern_atom("WM_PROTOCOLS")
        self.ping_atom = x.intern_atom("_NET_WM_PING")
        # Answers go to the root window, to whoever listens for its children.
        x.screen().root.change_attributes(
            event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
        self.next_stamp = 1
        self.outstanding = {}  # stamp -> when it was sent
        self.answered = 0
        self.slowest = 0.0
        self.busy_until = 0.0  # this script did not look for answers before then

    def ping(self):
        stamp = self.next_stamp
        self.next_stamp += 1
        self.outstanding[stamp] = time.monotonic()
        send_protocol_message(self.x, self.window, [self.ping_atom, stamp, self.window.id, 0, 0])

    def close(self):
        close_as_window_manager(self.x, self.window)

    def collect(self):
        while self.x.pending_events():
            event = self.x.next_event()
            if event.type != X.ClientMessage or event.client_type != self.protocols:
                continue
            atom, stamp = event.data[1][0], event.data[1][1]
            if atom == self.ping_atom and stamp in self.outstanding:
                sent = self.outstanding.pop(stamp)
                took = time.monotonic() - max(sent, self.busy_until)
                self.slowest = max(self.slowest, took)
                self.answered += 1

    def late(self):
        now = time.monotonic()
        return [s for s, sent in self.outstanding.items()
                if now - max(sent, self.busy_until) > ANSWER_WITHIN_S]


def screenshot(wm, window, path):
    subprocess.run(["import", "-window", "%#x" % window.id, path], check=True)
    wm.collect()
    wm.busy_until = time.monotonic()


def differing_pixels(first, second):
    done = subprocess.run(["compare", "-metric", "AE", first, second, "null:"],
                          capture_output=True, text=True)
    return int(float(done.stderr.split()[0]))


def click(x, at):
    xtest.fake_input(x, X.MotionNotify, x=at[0], y=at[1])
    xtest.fake_input(x, X.ButtonPress, 1)
    xtest.fake_input(x, X.ButtonRelease, 1)
    x.sync()


def press_keys(x, names):
    for name in names:
        code = x.keysym_to_keycode(XK.string_to_keysym(name))
        xtest.fake_input(x, X.KeyPress, code)
        xtest.fake_input(x, X.KeyRelease, code)
    x.sync()


def main():
    folder, cli, recording = sys.argv[1:4]
    simulator = subprocess.Popen(
        [cli, "simulate", "--link", os.path.join(folder, "ports/COM1"), recording,
         "--baud", "2400", "--pause", "0:%d" % (SILENCE_S * 1000), "--start-when-configured"])
    program = subprocess.Popen([os.path.join(folder, "schreiber")], cwd="/")
    both = (program, simulator)
    x = display.Display()
    screen = x.screen()

    window = wait_for(lambda: find_window(screen.root, TITLE), 10)
    if window is None:
        fail("no window named " + TITLE, *both)
    if not wait_for(lambda: window.get_attributes().map_state == X.IsViewable, 10):
        fail("the window was never shown", *both)
    wm = WindowManager(x, window)
    if wm.ping_atom not in (window.get_wm_protocols() or []):
        fail("the window does not take _NET_WM_PING", *both)
    geometry = window.get_geometry()
    origin = window.translate_coords(screen.root, 0, 0)
    left, top = -origin.x, -origin.y
    width, height = geometry.width, geometry.height

    def at(twips_x, twips_y):  # a point of the client area, placed in twips
        return (left + twips_x * width // 2340, top + twips_y * height // 2985)

    # The progress label (Label4): the capture adds a dot to it after each empty read of
    # 3 s. The steps below follow its state, read from the display, not the clock.
    def label():
        x0, y0 = 60 * width // 2340, 840 * height // 2985
        return window.get_image(x0, y0, width - x0, 195 * height // 2985, X.ZPixmap,
                                0xffffffff).data

    def settled_label():  # two equal reads 0.1 s apart: not caught in the middle of a paint
        first = label()
        time.sleep(0.1)
        return first if label() == first else None

    time.sleep(0.5)
    idle = label()
    click(x, at(1740 + 247, 30 + 247))  # the start button
    started = time.monotonic()
    shots = [os.path.join(folder, name) for name in ("before.png", "after.png")]
    shown = None  # the label's picture when the current step began
    step = "started"  # -> reading (first dot) -> silent (an empty read ended) -> closed
    next_ping = started
    while program.poll() is None:
        now = time.monotonic() - started
        if now > SILENCE_S + 30:
            fail("the capture did not end (step: %s)" % step, *both)
        if time.monotonic() >= next_ping:
            wm.ping()
            next_ping += PING_EVERY_S
        wm.collect()
        if wm.late() and program.poll() is None:
            fail("a ping %.1f s into the capture was not answered within %.1f s"
                 % (now, ANSWER_WITHIN_S), *both)
        if step in ("started", "reading"):
            current = settled_label()
            if current is not None and current != (idle if step == "started" else shown):
                shown = current
                step = "reading" if step == "started" else "silent"
        elif step == "silent":
            # Between two empty reads nothing changes on screen: covered and uncovered,
            # the window shows the same picture. When the label moved on meanwhile (the
            # machine was too slow for the 3 s), the next silent stretch is used instead.
            screenshot(wm, window, shots[0])
            cover = screen.root.create_window(
                left, top, width, height, 0, screen.root_depth, X.InputOutput,
                X.CopyFromParent, background_pixel=screen.white_pixel, override_redirect=True)
            cover.map()
            x.sync()
            time.sleep(0.5)
            cover.destroy()
            x.sync()
            time.sleep(0.6)
            screenshot(wm, window, shots[1])
            changed = differing_pixels(*shots)
            moved_on = settled_label() != shown
            if changed and not moved_on:
                fail("%d pixels differ after the window was uncovered" % changed, *both)
            if moved_on:
                shown = label()
                continue
            # Input and the window manager's close during the capture: nothing happens.
            click(x, at(60 + 787, 130 + 157))  # the port list
            press_keys(x, ["Down", "Return", "space", "Tab", "space"])
            time.sleep(0.5)
            wm.close()
            step = "closed"
        time.sleep(0.02)

    status = program.wait()
    simulator.wait(timeout=10)
    if step != "closed":
        fail("the program ended %.1f s into the capture, before the test was done (step: %s)"
             % (time.monotonic() - started, step))
    if status != 0:
        fail("schreiber ended with status %d" % status, simulator)
    with open(recording, "rb") as expected, open(os.path.join(folder, "Schreiber.txt"), "rb") as got:
        if expected.read() != got.read():
            fail("the capture file differs from the recording")
    workbooks = glob.glob(os.path.join(folder, "Data", "*.xls"))
    if len(workbooks) != 3:
        fail("%d workbooks instead of 3" % len(workbooks))
    if os.path.exists(os.path.join(folder, "PORT.ini")):
        fail("input during the capture picked a port")
    if wm.answered < 40:
        fail("only %d pings answered" % wm.answered)
    print("%d pings answered, the slowest in %.2f s; uncovered window unchanged; input and "
          "close left the run alone" % (wm.answered, wm.slowest))


if __name__ == "__main__":
    main()
