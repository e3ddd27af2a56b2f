"""Starts schreiber.exe under Wine on an X display, waits for its window, optionally takes a
screenshot of it, closes it the way a window manager does (WM_DELETE_WINDOW) and checks
that the program ends by itself with status 0 and leaves PORT.ini alone.

usage: window_close.py PROGRAM_FOLDER WINE [SCREENSHOT.png]
"""

import os
import subprocess
import sys
import time

from Xlib import X, display

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from x_window import close_as_window_manager, fail, find_window, wait_for  # noqa: E402

TITLE = "Schreiber"


def main():
    folder, wine = sys.argv[1], sys.argv[2]
    screenshot = sys.argv[3] if len(sys.argv) > 3 else None
    program = subprocess.Popen([wine, os.path.join(folder, "schreiber.exe")], cwd=folder)
    x = display.Display()
    root = x.screen().root
    window = wait_for(lambda: find_window(root, TITLE), 60, every=0.1)
    if window is None:
        fail("no window titled %r appeared" % TITLE, program)
    geometry = wait_for(lambda: window.get_attributes().map_state == X.IsViewable
                        and window.get_geometry(), 20, every=0.1)
    if not geometry:
        fail("the window was never shown", program)
    if (geometry.width, geometry.height) != (156, 199):
        fail("client area %dx%d, expected 156x199" % (geometry.width, geometry.height), program)
    time.sleep(1)  # let the controls paint
    if screenshot:
        subprocess.run(["import", "-window", "%#x" % window.id, screenshot], check=True)

    close_as_window_manager(x, window)
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
