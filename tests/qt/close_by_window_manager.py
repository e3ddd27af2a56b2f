"""Starts schreiber on an X display, waits for its window, closes it the way a window
manager does (WM_DELETE_WINDOW) and checks that the program ends cleanly.

usage: close_by_window_manager.py PROGRAM_FOLDER
Runs PROGRAM_FOLDER/schreiber with DISPLAY as given. Exit status 0 when all is well.
"""

import os
import subprocess
import sys
import time

from Xlib import X, Xatom, display, protocol

TITLE = "Schreiber"


def fail(message, program=None):
    print("FAIL: " + message, file=sys.stderr)
    if program is not None and program.poll() is None:
        program.kill()
        program.wait()
    sys.exit(1)


def find_window(screen, name):
    for window in screen.root.query_tree().children:
        try:
            if window.get_wm_name() == name:
                return window
        except Exception:  # a window may go away while we look
            pass
    return None


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.05)
    return None


def main():
    folder = sys.argv[1]
    program = subprocess.Popen([os.path.join(folder, "schreiber")], cwd="/")
    x = display.Display()
    screen = x.screen()

    window = wait_for(lambda: find_window(screen, TITLE), 10)
    if window is None:
        fail("no window named " + TITLE, program)
    if not wait_for(lambda: window.get_attributes().map_state == X.IsViewable, 10):
        fail("the window was never shown", program)
    geometry = window.get_geometry()
    print("window %dx%d" % (geometry.width, geometry.height))

    wm_protocols = x.intern_atom("WM_PROTOCOLS")
    wm_delete = x.intern_atom("WM_DELETE_WINDOW")
    if wm_delete not in (window.get_wm_protocols() or []):
        fail("the window does not take WM_DELETE_WINDOW", program)
    message = protocol.event.ClientMessage(
        window=window, client_type=wm_protocols, data=(32, [wm_delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(message, event_mask=X.NoEventMask)
    x.flush()

    try:
        status = program.wait(timeout=10)
    except subprocess.TimeoutExpired:
        fail("schreiber did not end after the close", program)
    if status != 0:
        fail("schreiber ended with status %d" % status)
    for name in ("PORT.ini", "Schreiber.txt"):
        if os.path.exists(os.path.join(folder, name)):
            fail(name + " was written")
    print("closed cleanly")


if __name__ == "__main__":
    main()
