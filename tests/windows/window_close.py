"""Starts schreiber.exe under Wine on an X display, waits for its window, optionally takes a
screenshot of it, closes it the way a window manager does (WM_DELETE_WINDOW) and checks
that the program ends by itself with status 0 and leaves PORT.ini alone.

usage: window_close.py PROGRAM_FOLDER WINE [SCREENSHOT.png]
"""

import os
import subprocess
import sys
import time

from Xlib import X, display, protocol

TITLE = "Schreiber"


def fail(message, program=None):
    print("FAIL: " + message, file=sys.stderr)
    if program is not None and program.poll() is None:
        program.kill()
        program.wait()
    sys.exit(1)


def find_window(window, name):
    try:
        if window.get_wm_name() == name:
            return window
        for child in window.query_tree().children:
            found = find_window(child, name)
            if found is not None:
                return found
    except Exception:  # a window may go away while we look
        pass
    return None


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(0.1)
    return None


def main():
    folder, wine = sys.argv[1], sys.argv[2]
    screenshot = sys.argv[3] if len(sys.argv) > 3 else None
    program = subprocess.Popen([wine, os.path.join(folder, "schreiber.exe")], cwd=folder)
    x = display.Display()
    root = x.screen().root
    window = wait_for(lambda: find_window(root, TITLE), 60)
    if window is None:
        fail("no window titled %r appeared" % TITLE, program)
    geometry = wait_for(lambda: window.get_attributes().map_state == X.IsViewable
                        and window.get_geometry(), 20)
    if not geometry:
        fail("the window was never shown", program)
    if (geometry.width, geometry.height) != (156, 199):
        fail("client area %dx%d, expected 156x199" % (geometry.width, geometry.height), program)
    time.sleep(1)  # let the controls paint
    if screenshot:
        subprocess.run(["import", "-window", "%#x" % window.id, screenshot], check=True)

    delete = x.intern_atom("WM_DELETE_WINDOW")
    event = protocol.event.ClientMessage(window=window, client_type=x.intern_atom("WM_PROTOCOLS"),
                                         data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(event)
    x.flush()
    try:
        status = program.wait(timeout=30)
    except subprocess.TimeoutExpired:
        fail("the program did not end after the close", program)
    if status != 0:
        fail("exit status %d after the close" % status)
    if os.path.exists(os.path.join(folder, "PORT.ini")):
        fail("start-up or the close wrote PORT.ini")
    print("window shown and closed cleanly")


main()
