"""The program as a user meets it: the built executable on a private X display with a notification
area (trayer), a private session bus with the accessibility bus, real clicks and keys (xdotool), a
fixed date (libfaketime) and a stand-in xdg-open first on PATH that records what it was asked to open.

Fixtures: `desktop` (one per session), `start` (starts the program; stopped after the test),
`shot` (saves a screenshot). The program to test is $QC_EXE (default build-test/quorvelcal)."""

import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

import pytest

ROOT = Path(__file__).resolve().parents[2]
EXE = Path(os.environ.get("QC_EXE", ROOT / "build-test" / "quorvelcal"))
FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
TITLE = "Quorvel日历记事本 V1.0"  # the application title: reminders, error boxes
NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]

# Stands in for the desktop's opener: records its arguments, one per line, in "calls" beside it;
# while a file "linger" is there it stays running as an editor would (its pid in "pid"); it exits with
# the status found in the file "status" (0 when there is none).
XDG_OPEN = """#!/bin/sh
here=$(dirname "$0")
for a in "$@"; do printf '%s\\n' "$a" >> "$here/calls"; done
[ -e "$here/linger" ] && echo $$ > "$here/pid" && exec sleep 600
exit $(cat "$here/status" 2>/dev/null || echo 0)
"""


def wait_for(condition, timeout=10.0, what="condition"):
    """Polls until condition() returns something true and returns it."""
    end = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > end:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.1)


def xdotool(*args, check=True):
    done = subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True)
    if check and done.returncode:
        raise AssertionError(f"xdotool {args}: {done.stderr}")
    return done.stdout.split()


def birthday_file(path, remind_days, people):
    """The 53-byte records: settings (remind days), then month, day, name length, name in cp936."""
    data = bytearray(53)
    data[0] = remind_days
    for month, day, name in people:
        raw = name.encode("cp936")
        data += bytes([month, day, len(raw)]) + raw.ljust(50, b"\0")
    Path(path).write_bytes(data)


class Desktop:
    """The private display, bus and notification area, set in this process's environment too so
    pyatspi talks to the same accessibility bus."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.procs = []
        read, write = os.pipe()
        self.procs.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=[write], stderr=subprocess.DEVNULL))
        os.close(write)
        with os.fdopen(read) as f:
            self.display = ":" + f.readline().strip()
        os.environ["DISPLAY"] = self.display
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.procs.append(bus)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        for key in ("XDG_CURRENT_DESKTOP", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SESSION_MANAGER"):
            os.environ.pop(key, None)
        self.procs.append(subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
             "--SetDockType", "true", "--transparent", "false", "--tint", "0xc0c0c0"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        self.tray = wait_for(lambda: xdotool("search", "--onlyvisible", "--class", "trayer", check=False), what="trayer")[0]

    def close(self):
        for proc in reversed(self.procs):
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()

    def click_tray(self, button=1):
        """A real click on the middle of the notification area (the program's icon is its only one)."""
        geometry = dict(line.strip().split(": ", 1) for line in subprocess.run(
            ["xdotool", "getwindowgeometry", self.tray], capture_output=True, text=True).stdout.splitlines()[1:])
        x, y = (int(v) for v in geometry["Position"].split(" ")[0].split(","))
        w, h = (int(v) for v in geometry["Geometry"].split("x"))
        xdotool("mousemove", x + w // 2, y + h // 2, "click", button)

    def menu_entry(self, downs=1):
        """Picks an entry of the open popup menu by keys (the menu holds the keyboard)."""
        time.sleep(0.5)
        self.key(*["Down"] * downs, "Return")

    def windows(self, title):
        """Ids of the visible windows whose title matches the regular expression."""
        return xdotool("search", "--onlyvisible", "--name", title, check=False)

    def key(self, *keys):
        xdotool("key", "--delay", "50", *keys)
        time.sleep(0.3)

    def click(self, x, y, button=1):
        xdotool("mousemove", int(x), int(y), "click", button)
        time.sleep(0.3)


def pytest_configure(config):
    config.addinivalue_line("filterwarnings", "ignore::DeprecationWarning:pyatspi.*")


@pytest.fixture(scope="session")
def desktop(tmp_path_factory):
    assert EXE.is_file(), f"no program at {EXE}; build it or set QC_EXE"
    d = Desktop(tmp_path_factory.mktemp("desktop"))
    yield d
    d.close()


class App:
    """One run of the program from a scratch directory of its own."""

    def __init__(self, desktop, date, lang, birthdays, nobody, xdg_status, env):
        self.desktop = desktop
        # Not under pytest's private temp directory: the unprivileged user must reach it.
        self.dir = Path(tempfile.mkdtemp(prefix="qc-e2e-"))
        self.dir.chmod(0o755)
        self.bin = self.dir / "bin"
        self.bin.mkdir(mode=0o777)
        (self.bin / "xdg-open").write_text(XDG_OPEN)
        (self.bin / "xdg-open").chmod(0o755)
        if xdg_status:
            (self.bin / "status").write_text(str(xdg_status))
        self.exe = self.dir / "quorvelcal"
        shutil.copy2(EXE, self.exe)
        if birthdays is not None:
            birthday_file(self.dir / "quorvelcal.CFG", *birthdays)
        environment = dict(os.environ, LANG=lang, LC_ALL="", LANGUAGE="", TZ="UTC",
                           PATH=f"{self.bin}:{os.environ['PATH']}", HOME=str(self.dir),
                           FAKETIME="@" + date, FAKETIME_DONT_FAKE_MONOTONIC="1",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        environment.update(env)
        self.log = open(self.dir / "program.log", "w+")
        # The fake clock is preloaded only after the change of user: it keeps a semaphore of its own.
        command = (NOBODY if nobody else []) + ["env", "LD_PRELOAD=" + FAKETIME, str(self.exe)]
        self.proc = subprocess.Popen(command, cwd=self.dir,
                                     env=environment, stdout=self.log, stderr=subprocess.STDOUT)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def output(self):
        self.log.flush()
        return (self.dir / "program.log").read_text()

    def xdg_calls(self):
        calls = self.bin / "calls"
        return calls.read_text().splitlines() if calls.exists() else []

    def window(self, title, timeout=10.0):
        """The one visible window whose title matches, once it is there and drawn."""
        found = wait_for(lambda: self.desktop.windows(title), timeout, f"window {title!r}")
        assert len(found) == 1, f"{len(found)} windows match {title!r}"
        time.sleep(0.3)
        return found[0]

    def gone(self, title, timeout=10.0):
        wait_for(lambda: not self.desktop.windows(title), timeout, f"{title!r} to close")

    def accessible(self):
        """The program's root in the accessibility tree."""
        import pyatspi

        def find():
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.get_process_id() == self.proc.pid:
                    return app
            return None
        return wait_for(find, what="the program on the accessibility bus")


@pytest.fixture
def start(desktop):
    """start(date="2026-12-28 10:00:00", lang="zh_CN.UTF-8", birthdays=(remind days, [(m, d, name)])
    or None for no birthday file, nobody=True to run as an unprivileged user, xdg_status=exit status
    of the stand-in xdg-open, env={...} extra variables) -> App."""
    apps = []

    def run(date="2026-12-28 10:00:00", lang="zh_CN.UTF-8", birthdays=None, nobody=False, xdg_status=0,
            env=None):
        apps.append(App(desktop, date, lang, birthdays, nobody, xdg_status, env or {}))
        return apps[-1]
    yield run
    for app in apps:
        app.stop()


@pytest.fixture
def shot(request, desktop):
    """shot(name) saves the whole screen as <name>.png in $QC_E2E_SHOTS (default: the test's temp dir)."""
    folder = Path(os.environ.get("QC_E2E_SHOTS") or request.getfixturevalue("tmp_path"))

    def take(name):
        path = folder / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(path)], check=True)
        return path
    return take


def find_accessible(root, role=None, name=None):
    """Every accessible below root with the given role name ("push button") and/or name."""
    found = []

    def walk(node):
        for child in node:
            if child is None:
                continue
            if (role is None or child.getRoleName() == role) and (name is None or child.name == name):
                found.append(child)
            walk(child)
    walk(root)
    return found


def click_accessible(node):
    """A real click on the middle of an accessible's screen extents."""
    import pyatspi
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    xdotool("mousemove", box.x + box.width // 2, box.y + box.height // 2, "click", 1)
    time.sleep(0.3)
