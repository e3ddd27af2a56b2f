"""What the tests that drive the program's window on an X display share: failing with the
processes they started, waiting for a condition, finding the window by its title, and
closing it the way a window manager does (WM_DELETE_WINDOW).
"""

import sys
import time

from Xlib import X, protocol


def fail(message, *processes):
    """Prints FAIL and the message, kills the processes still running, exits with 1."""
    print("FAIL: " + message, file=sys.stderr)
    for process in processes:
        if process is not None and process.poll() is None:
            process.kill()
            process.wait()
    sys.exit(1)


def wait_for(condition, seconds, every=0.05):
    """The first true result of condition(), asked every `every` seconds; None after
    `seconds`."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        result = condition()
        if result:
            return result
        time.sleep(every)
    return None


def find_window(root, name):
    """The window named `name` below `root`, the top-level windows first; None when there
    is none."""
    level = [root]
    while level:
        below = []
        for window in level:
            try:
                if window is not root and window.get_wm_name() == name:
                    return window
                below.extend(window.query_tree().children)
            except Exception:  # a window may go away while we look
                pass
        level = below
    return None


def send_protocol_message(x, window, data):
    """A WM_PROTOCOLS client message to the window, as a window manager sends it."""
    event = protocol.event.ClientMessage(window=window, client_type=x.intern_atom("WM_PROTOCOLS"),
                                         data=(32, data))
    window.send_event(event, event_mask=X.NoEventMask)
    x.flush()


def close_as_window_manager(x, window):
    """Asks the window to close, as a window manager's close button does."""
    send_protocol_message(x, window, [x.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0])
