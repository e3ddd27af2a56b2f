"""Starts schreiber on an X display, waits for its window, closes it the way a window
manager does (WM_DELETE_WINDOW) and checks that the program ends cleanly.

usage: close_by_window_manager.py PROGRAM_FOLDER
Runs PROGRAM_FOLDER/schreiber with DISPLAY as given. Exit status 0 when all is well.
"""

import os
import subprocess
import sys

from Xlib import X, display

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from x_window import close_as_window_manager, fail, find_window, wait_for  # noqa: E402

TITLE = "Schreiber"


def main():
    folder = sys.argv[1]
    program = subprocess.Popen([os.path.join(folder, "schreiber")], cwd="/")
    x = display.Display()
    screen = x.screen()

    window = wait_for(lambda: find_window(screen.root, TITLE), 10)
    if window is None:
        fail("no window named " + TITLE, program)
    if not wait_for(lambda: window.get_attributes().map_state == X.IsViewable, 10):
        fail("the window was never shown", program)
    geometry = window.get_geometry()
    print("window %dx%d" % (geometry.width, geometry.height))

    if x.intern_atom("WM_DELETE_WINDOW") not in (window.get_wm_protocols() or []):
        fail("the window does not take WM_DELETE_WINDOW", program)
    close_as_window_manager(x, window)

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
