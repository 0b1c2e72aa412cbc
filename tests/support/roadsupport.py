"""What both end-to-end suites (tests/e2e on X11 and Wayland, tests/e2e-windows under Wine) do the
same way: wait for a state of the screen, drive and measure X windows with xdotool, and write a
birthday file as the program stores it. Each conftest.py puts this folder on sys.path."""
import subprocess
import time


def wait_for(condition, timeout=20.0, what="condition"):
    """Polls until condition() returns something true, and returns it."""
    end = time.monotonic() + timeout
    while not (result := condition()):
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.1)
    return result


def xdotool(*args):
    """xdotool's output, split into words."""
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True).stdout.split()


def visible(title):
    """Ids of the visible X windows whose title matches the regular expression."""
    return xdotool("search", "--onlyvisible", "--name", title)


def geometry(window):
    """X, Y, WIDTH and HEIGHT of an X window, in screen pixels."""
    return {k: int(v) for k, v in (line.split("=") for line in xdotool("getwindowgeometry", "--shell", window))
            if k in ("X", "Y", "WIDTH", "HEIGHT")}


def click_at(x, y, button=1, settle=0.3):
    """A real click at a point of the screen, then time for the program to take it."""
    xdotool("mousemove", x, y, "click", button)
    time.sleep(settle)


def birthday_file(remind_days, people):
    """The birthday file's bytes: remind days, then (month, day, name) per birthday, names in code page 936."""
    data = bytearray([remind_days]) + bytes(52)
    for month, day, name in people:
        raw = name.encode("cp936")
        data += bytes([month, day, len(raw)]) + raw.ljust(50, b"\0")
    return bytes(data)
