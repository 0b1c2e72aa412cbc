"""Every window the program shows, pixel for pixel against the reference pictures in pictures/<locale>/:
the error box of a damaged birthday file, the reminder that follows it, the main window, the month
grid's tooltip, the notification icon's menu, the birthday dialog and the about dialog, in three
locales with the clock standing still. A change meant to alter a window regenerates the pictures:

    QC_UPDATE_PICTURES=1 QC_EXE=build/quorvelcal python3 -m pytest -q tests/e2e/test_pictures.py

and the new ones are looked at before they are committed."""

import os
import subprocess
import time
from pathlib import Path

import pytest

from conftest import geometry, press, wait_for, xdotool

PICTURES = Path(__file__).resolve().parent / "pictures"
MAIN = r"^Quorvel Calendar V1\.0$"
BOX = r"^Quorvel[^ ]+ V1\.0$"
BIRTHDAYS = r"^QuorvelCal  Birthday Notify$"

# Remind 3 days; 张三 has his birthday today; the file then ends inside the next record, so the start
# reports "Read beyond end of file" and goes on to remind of 张三. The birthday dialog shows the two
# whole records.
RECORD = bytes([12, 28, 4]) + "张三".encode("cp936")
DAMAGED = bytes([3]) + bytes(52) + RECORD.ljust(53, b"\0") + bytes([1, 2, 3])


class Camera:
    """Takes each window's picture and holds it against the reference of the same name, or replaces
    the reference when QC_UPDATE_PICTURES is set."""

    def __init__(self, locale, scratch):
        self.references = PICTURES / locale
        self.scratch = Path(os.environ.get("QC_E2E_SHOTS") or scratch)
        self.update = bool(os.environ.get("QC_UPDATE_PICTURES"))
        self.locale = locale
        self.mismatches = []
        if self.update:
            self.references.mkdir(parents=True, exist_ok=True)

    def take(self, window, name, park=True):
        if park:
            self.park_pointer()
            time.sleep(0.5)  # hover effects end, the last repaint lands
        shot = self.scratch / f"{self.locale}-{name}.png"
        # No metadata: a picture taken again is byte-identical when the window is.
        subprocess.run(["import", "-window", window, "-strip", "-define", "png:exclude-chunks=date,time",
                        str(shot)], check=True)
        reference = self.references / f"{name}.png"
        if self.update:
            shot.replace(reference)
            return
        if not reference.exists():
            self.mismatches.append(f"{name}: no reference picture")
            return
        # AE: the number of pixels that differ at all; a different size is an error of its own.
        result = subprocess.run(["compare", "-metric", "AE", str(reference), str(shot),
                                 str(self.scratch / f"{self.locale}-{name}-diff.png")],
                                capture_output=True, text=True)
        if result.returncode != 0:
            self.mismatches.append(f"{name}: {result.stderr.strip() or 'differs'} pixels differ (see {shot})")

    @staticmethod
    def park_pointer():
        xdotool("mousemove", 5, 760)


def toplevels(pid):
    return set(xdotool("search", "--onlyvisible", "--pid", pid))


def new_toplevel(app, before, what):
    """The one window of the program that came up since `before` was taken."""
    found = wait_for(lambda: toplevels(app.proc.pid) - before, what=what)
    assert len(found) == 1, f"{len(found)} new windows for {what}"
    time.sleep(0.3)
    return found.pop()


@pytest.mark.parametrize("locale", ["zh_CN.UTF-8", "en_US.UTF-8", "C"])
def test_every_window_looks_as_before(start, desktop, locale, tmp_path):
    camera = Camera(locale, tmp_path)
    Camera.park_pointer()
    app = start(date="2026-12-28 10:00:00", lang=locale, birthdays=DAMAGED, frozen=True)

    error = app.window(BOX)
    camera.take(error, "error-box")
    desktop.key("Return")
    reminder = wait_for(lambda: set(desktop.windows(BOX)) - {error}, what="the reminder").pop()
    camera.take(reminder, "reminder")
    desktop.key("Return")

    main = app.window(MAIN)
    camera.take(main, "main-window")

    # The tooltip of the month grid, the held day's date; the pointer rests inside the grid. Qt shows
    # tooltips in the active window alone, and with no window manager nothing activates it but this.
    xdotool("windowfocus", "--sync", main)
    box = geometry(main)
    before = toplevels(app.proc.pid)
    xdotool("mousemove", box["X"] + 300, box["Y"] + 120)
    tooltip = new_toplevel(app, before, "the tooltip")
    camera.take(tooltip, "tooltip", park=False)
    Camera.park_pointer()
    wait_for(lambda: tooltip not in toplevels(app.proc.pid), what="the tooltip to go")

    before = toplevels(app.proc.pid)
    desktop.click_tray(3)
    menu = new_toplevel(app, before, "the icon's menu")
    camera.take(menu, "tray-menu")
    desktop.key("Escape")
    wait_for(lambda: menu not in toplevels(app.proc.pid), what="the menu to close")

    (app.dir / "quorvelcal.CFG").write_bytes(DAMAGED[:2 * 53])  # whole again: the dialog opens
    press(app, "生日")
    camera.take(app.window(BIRTHDAYS), "birthday-dialog")
    desktop.key("Return")  # its OK
    app.gone(BIRTHDAYS)

    # Its title is not ASCII, which xdotool matches in the C locale only as the bytes Qt gave it.
    before = toplevels(app.proc.pid)
    press(app, "关于")
    about = new_toplevel(app, before, "the about dialog")
    camera.take(about, "about-dialog")
    desktop.key("Escape")
    wait_for(lambda: about not in toplevels(app.proc.pid), what="the about dialog to close")

    assert not camera.mismatches, "\n".join(camera.mismatches)
