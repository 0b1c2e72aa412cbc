"""The program as a Windows user meets it, under Wine: unpacked from the ZIP into a scratch folder
and started through Wine in a prefix of its own, with nothing from the build tree on any path.

The Windows stage (scripts/test-windows) gives the X display (DISPLAY), the ZIP (QC_ZIP) and a
fresh Wine prefix (QC_WINEPREFIX). Without a window manager Wine's top-level windows are X windows
of their client area, so xdotool finds them by caption and measures them; Notepad is Wine's own
C:\\windows\\NOTEPAD.EXE, whose Unix process carries the Windows command line it was started with.

The taskbar roads run in a Wine desktop with its shell (a taskbar, as on Windows), inside which
windows are not X windows: there toplevels.exe, a helper of the cross build, reports the windows
and the taskbar's buttons as Windows sees them, and clicks go to points of the screen.

Fixture: `start` (unpacks and starts the program, ends everything of the prefix after the test).
Roads expected to fail under Wine (strict xfail) run only with --wine-limits.
"""
import json
import datetime
import os
import shutil
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
import roadsupport  # noqa: E402
from roadsupport import birthday_file, geometry, wait_for, xdotool  # noqa: E402,F401 (the roads take them from here)

ZIP = Path(os.environ.get("QC_ZIP", "build-windows/quorvelcal-1.0-windows-x86_64.zip")).resolve()
PREFIX = os.environ.get("QC_WINEPREFIX", "")
TOPLEVELS = Path(os.environ.get("QC_TOPLEVELS", "build-windows/toplevels.exe")).resolve()
SCREEN = "1280x1024"  # the stage's X screen, which the shell's desktop fills
MAIN_CAPTION = "Quorvel Calendar V1.0"
TITLE = "Quorvel日历记事本 V1.0"


def pytest_addoption(parser):
    parser.addoption("--wine-limits", action="store_true",
                     help="also run the roads expected to fail under Wine (strict xfail)")


def pytest_configure(config):
    config.addinivalue_line("markers", "windows: a road of the Windows program under Wine")


def pytest_collection_modifyitems(config, items):
    """A road expected to fail (strict xfail) shows a limit of Wine, not a fault the program could have:
    it runs only with --wine-limits, so the count of the stage is of roads that can fail."""
    if config.getoption("--wine-limits"):
        return
    limits = [item for item in items if any(mark.kwargs.get("strict") for mark in item.iter_markers("xfail"))]
    if limits:
        config.hook.pytest_deselected(items=limits)
        items[:] = [item for item in items if item not in limits]


def visible(caption):
    """The visible X windows with exactly this caption."""
    return roadsupport.visible("^" + caption + "$")


def click(window, x, y):
    """A real click at a point of the window's client area."""
    box = geometry(window)
    click_at(box["X"] + x, box["Y"] + y)


def click_at(x, y):
    """A real click at a point of the screen (Wine's desktop takes a moment longer than an X window)."""
    roadsupport.click_at(x, y, settle=0.5)


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


def wine_processes(name):
    """The Windows command lines of the running processes whose program is `name`."""
    lines = []
    for proc in Path("/proc").iterdir():
        try:
            args = (proc / "cmdline").read_bytes().rstrip(b"\0").replace(b"\0", b" ").decode(errors="replace")
        except OSError:
            continue
        if args.split(" ")[0].lower().endswith("\\" + name.lower()):
            lines.append(args)
    return lines


class Program:
    def __init__(self, birthdays, command, shell):
        self.dir = Path(tempfile.mkdtemp(prefix="qc-e2e-windows-"))
        with zipfile.ZipFile(ZIP) as archive:
            names = {n.split("/")[0] for n in archive.namelist()}
            assert names == {ZIP.stem}, f"the ZIP holds one folder, not {names}"
            archive.extractall(self.dir)
        self.folder = self.dir / ZIP.stem
        # Wine's shell hands web and mail addresses to the host's openers: stand-ins that record.
        self.bin = self.dir / "bin"
        self.bin.mkdir()
        self.opened = self.dir / "opened"
        for opener in ("xdg-open", "xdg-email"):
            (self.bin / opener).write_text(f'#!/bin/sh\nprintf "%s\\n" "$*" >>"{self.opened}"\n')
            (self.bin / opener).chmod(0o755)
        if birthdays is not None:
            (self.folder / "quorvelcal.CFG").write_bytes(birthday_file(*birthdays))
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("QT_", "WINEPATH", "QC_"))}
        self.env.update(WINEPREFIX=PREFIX, WINEDEBUG="-all", TZ="UTC", LANG="zh_CN.UTF-8", LC_ALL="",
                        PATH=f"{self.bin}:{os.environ['PATH']}")
        self.log = open(self.dir / "program.log", "w")
        self.today = datetime.datetime.now(datetime.timezone.utc).date()
        self.use_shell(shell)
        self.proc = subprocess.Popen(["wine", *command], cwd=self.folder, env=self.env,
                                     stdout=self.log, stderr=subprocess.STDOUT)

    def wine(self, *args):
        # Output through a file: Wine's desktop, started by the first program, inherits the handle
        # and keeps it open long after the program ends, so a pipe would never reach its end.
        with tempfile.TemporaryFile() as out:
            subprocess.run(["wine", *args], env=self.env, stdout=out, stderr=subprocess.DEVNULL, check=True)
            out.seek(0)
            return out.read()

    def use_shell(self, shell):
        """Every Wine program of the prefix in the desktop with the shell, or each in X windows of its own."""
        explorer = "HKEY_CURRENT_USER\\Software\\Wine\\Explorer"
        if shell:
            # Both values in one go: a Wine run between two separate ones starts into a half-set desktop.
            settings = self.dir / "shell.reg"
            settings.write_text(f'REGEDIT4\r\n\r\n[{explorer}]\r\n"Desktop"="shell"\r\n\r\n'
                                f'[{explorer}\\Desktops]\r\n"shell"="{SCREEN}"\r\n')
            self.wine("reg", "import", windows_path(settings))
            # The shell up before the program: it lists the windows made after it.
            wait_for(lambda: any(w.get("class") == "Shell_TrayWnd" for w in self.toplevels()), what="Wine's taskbar")
        else:
            subprocess.run(["wine", "reg", "delete", explorer, "/v", "Desktop", "/f"], env=self.env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def toplevels(self):
        """The top-level windows and the taskbar's buttons, as Windows reports them."""
        return [json.loads(line) for line in self.wine(TOPLEVELS).decode().splitlines() if line.strip()]

    def windows(self):
        """The program's own top-level windows."""
        return [w for w in self.toplevels() if w.get("program") == "quorvelcal.exe"]

    def stop(self):
        subprocess.run(["wineserver", "-k"], env=self.env)
        subprocess.run(["wineserver", "-w"], env=self.env)
        try:
            self.proc.wait(10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def opened_addresses(self):
        return self.opened.read_text().splitlines() if self.opened.exists() else []

    def window(self, caption, timeout=30.0):
        return wait_for(lambda: visible(caption), timeout, f"a window '{caption}'")[0]


@pytest.fixture(scope="session", autouse=True)
def prefix():
    global PREFIX
    if not ZIP.is_file() or not TOPLEVELS.is_file():
        pytest.exit(f"no ZIP at {ZIP} or no {TOPLEVELS}: run scripts/test-windows", 2)
    made = None
    if not PREFIX:
        made = tempfile.mkdtemp(prefix="qc-wine-")
        PREFIX = made + "/prefix"
        subprocess.run(["wineboot", "-i"], env=dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all",
                                                    WINEDLLOVERRIDES="mscoree,mshtml="), check=True,
                       capture_output=True)
    # Wine's shell hands addresses to the host's standard openers (the tests' stand-ins for them).
    for value, opener in (("Browsers", "xdg-open"), ("Mailers", "xdg-email")):
        subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\WineBrowser", "/v", value, "/d", opener, "/f"],
                       env=dict(os.environ, WINEPREFIX=PREFIX, WINEDEBUG="-all"), check=True, capture_output=True)
    subprocess.run(["wineserver", "-w"], env=dict(os.environ, WINEPREFIX=PREFIX))
    yield PREFIX
    if made:
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=PREFIX))
        shutil.rmtree(made, ignore_errors=True)


@pytest.fixture
def start():
    """start(birthdays=(remind days, [(month, day, name), ...]) or None for no birthday file,
    command=the Windows command line that starts the program, shell=in a desktop with a taskbar)."""
    programs = []

    def run(birthdays=None, command=("quorvelcal.exe",), shell=False):
        programs.append(Program(birthdays, command, shell))
        return programs[-1]

    yield run
    for program in programs:
        program.stop()
