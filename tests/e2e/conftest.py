"""The program as a user meets it: the built executable on a private X display with a notification
area (trayer), a private session bus with the accessibility bus, real clicks and keys (xdotool), a
fixed date (libfaketime) and a stand-in xdg-open first on PATH that records what it was asked to open.

Fixtures: `desktop` (one per session), `start` (starts the program, stopped after the test), `shot`
(saves a screenshot), `sni_host` (a StatusNotifierItem host instead of trayer), `window_manager`
(openbox for one test: frames with a minimise button), `wayland` (a headless Wayland compositor). The program under
test is $QC_EXE (default build-test/quorvelcal)."""

import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

import pytest

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))
from roadsupport import birthday_file, click_at, geometry, visible, wait_for, xdotool  # noqa: E402,F401 (the roads take them from here)

ROOT = Path(__file__).resolve().parents[2]
EXE = Path(os.environ.get("QC_EXE", ROOT / "build-test" / "quorvelcal"))
FAKETIME = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1"
NOBODY = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]


def as_nobody():
    """The command prefix that runs a program as the unprivileged user nobody: setpriv as root, through
    sudo otherwise (sudo passes no environment on, so the program's comes on its command line)."""
    if os.geteuid() == 0:
        return NOBODY
    sudo = shutil.which("sudo")
    if sudo and subprocess.run([sudo, "-n", "true"], capture_output=True).returncode == 0:
        return [sudo, "-n", *NOBODY]
    pytest.skip("running the program as another user takes root, or sudo without a password")

# Records its arguments, one per line, in "calls" beside it; while a file "linger" is there it keeps
# running as an editor would (its pid in "pid"); exits with the status in the file "status", or 0.
XDG_OPEN = """#!/bin/sh
here=$(dirname "$0")
for a in "$@"; do printf '%s\\n' "$a" >> "$here/calls"; done
[ -e "$here/linger" ] && echo $$ > "$here/pid" && exec sleep 600
exit $(cat "$here/status" 2>/dev/null || echo 0)
"""


def pytest_configure(config):
    config.addinivalue_line("filterwarnings", "ignore::DeprecationWarning:pyatspi.*")


class Desktop:
    """The display, bus and notification area; this process uses them too (pyatspi)."""

    def __init__(self):
        xvfb = subprocess.Popen([ROOT / "scripts" / "xvfb", "1024x768x24"], stdout=subprocess.PIPE,
                                stderr=subprocess.DEVNULL, text=True)
        self.procs = [xvfb]
        number = xvfb.stdout.readline().strip()
        xvfb.stdout.close()
        assert number, "Xvfb did not start"
        os.environ["DISPLAY"] = ":" + number
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.procs.append(bus)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        for key in ("XDG_CURRENT_DESKTOP", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "SESSION_MANAGER"):
            os.environ.pop(key, None)
        self.procs.append(subprocess.Popen(
            ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
             "--SetDockType", "true", "--transparent", "false", "--tint", "0xc0c0c0"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        self.tray = wait_for(lambda: xdotool("search", "--onlyvisible", "--class", "trayer"), 30, "trayer")[0]

    def close(self):
        for proc in reversed(self.procs):
            proc.terminate()
            try:
                proc.wait(5)
            except subprocess.TimeoutExpired:
                proc.kill()

    def click_tray(self, button=1):
        """A real click on the middle of the notification area, whose one icon is the program's."""
        box = geometry(self.tray)
        self.click(box["X"] + box["WIDTH"] // 2, box["Y"] + box["HEIGHT"] // 2, button)

    def menu_entry(self, downs=1):
        """Picks an entry of the popup menu that just opened; it holds the keyboard."""
        time.sleep(0.5)
        self.key(*["Down"] * downs, "Return")

    def windows(self, title):
        """Ids of the visible windows whose title matches the regular expression (bytes, so ASCII)."""
        return visible(title)

    def key(self, *keys):
        xdotool("key", "--delay", "50", *keys)
        time.sleep(0.3)

    def click(self, x, y, button=1):
        click_at(x, y, button)


@pytest.fixture(scope="session")
def desktop():
    assert EXE.is_file(), f"no program at {EXE}; build it or set QC_EXE"
    d = Desktop()
    yield d
    d.close()


class App:
    """One run of the program from a scratch directory of its own (it keeps its files beside it)."""

    def __init__(self, desktop, date, lang, birthdays, nobody, env, args, frozen):
        self.desktop = desktop
        # Not under pytest's private temporary directory: the unprivileged user must reach it.
        self.dir = Path(tempfile.mkdtemp(prefix="qc-e2e-"))
        self.dir.chmod(0o755)
        self.bin = self.dir / "bin"
        self.bin.mkdir(mode=0o777)
        (self.bin / "xdg-open").write_text(XDG_OPEN)
        (self.bin / "xdg-open").chmod(0o755)
        shutil.copy2(EXE, self.dir / "quorvelcal")
        if birthdays is not None:
            data = birthdays if isinstance(birthdays, bytes) else birthday_file(*birthdays)
            (self.dir / "quorvelcal.CFG").write_bytes(data)
        environment = dict(os.environ, LANG=lang, LC_ALL="", LANGUAGE="", TZ="UTC", HOME=str(self.dir),
                           PATH=f"{self.bin}:{os.environ['PATH']}", FAKETIME=("" if frozen else "@") + date,
                           FAKETIME_DONT_FAKE_MONOTONIC="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", **env)
        # The fake clock is preloaded after the change of user: it keeps a semaphore of its own.
        command = ["env", "LD_PRELOAD=" + FAKETIME, str(self.dir / "quorvelcal"), *args]
        self.sudo = False
        if nobody:
            prefix = as_nobody()
            self.sudo = prefix != NOBODY
            command = prefix + ["env", "-i", *(f"{k}={v}" for k, v in environment.items())] + command[1:]
        self.log = open(self.dir / "program.log", "w")
        self.proc = subprocess.Popen(command, cwd=self.dir, env=environment, stdout=self.log,
                                     stderr=subprocess.STDOUT)

    def stop(self):
        if self.proc.poll() is None:
            if self.sudo:
                self.proc.terminate()  # sudo hands it on to the program; a kill would end sudo alone
            else:
                self.proc.kill()
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
        return wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0)
                                      if a is not None and a.get_process_id() == self.proc.pid), None),
                        what="the program on the accessibility bus")


@pytest.fixture
def start(desktop):
    """start(date="2026-12-28 10:00:00", lang="zh_CN.UTF-8", birthdays=(remind days, [(month, day,
    name), ...]), the file's bytes, or None for no birthday file, nobody=True to run as an unprivileged
    user, env={...}, args=[...] for a command line, frozen=True for a clock that stands at date)."""
    apps = []

    def run(date="2026-12-28 10:00:00", lang="zh_CN.UTF-8", birthdays=None, nobody=False, env=None, args=(),
            frozen=False):
        apps.append(App(desktop, date, lang, birthdays, nobody, env or {}, args, frozen))
        return apps[-1]
    yield run
    for app in apps:
        app.stop()


@pytest.fixture
def window_manager(desktop, tmp_path):
    """openbox manages the display during the test: every window gets a frame with a minimise button."""
    ready = tmp_path / "openbox-ready"
    wm = subprocess.Popen(["openbox", "--sm-disable", "--startup", f"touch {ready}"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(ready.exists, what="openbox")
    yield wm
    wm.terminate()
    wm.wait(5)


class Wayland:
    """A headless sway (it refuses to run as root: there it runs as nobody). The program stays the user
    running the tests and reaches it by the socket's path, so the accessibility bus works as on X11; there is no keyboard."""

    def __init__(self):
        # Not under pytest's private temporary directory: nobody must reach it.
        runtime = Path(tempfile.mkdtemp(prefix="qc-sway-"))
        self.scratch = [runtime]
        (runtime / "sway.conf").write_text("output HEADLESS-1 resolution 1024x768\n")
        # sway refuses only root; an ordinary user runs it as itself.
        self.user = NOBODY if os.geteuid() == 0 else []
        if self.user:
            shutil.chown(runtime, 65534, 65534)
        runtime.chmod(0o700)
        env = {key: value for key, value in os.environ.items() if key != "DISPLAY"}
        env.update(HOME=str(runtime), XDG_RUNTIME_DIR=str(runtime), WLR_BACKENDS="headless",
                   WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER="pixman")
        self.log = open(runtime / "sway.log", "w")
        self.proc = subprocess.Popen(self.user + ["sway", "-c", str(runtime / "sway.conf")], env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        self.display = str(wait_for(lambda: next(runtime.glob("wayland-[0-9]"), None), what="sway"))
        self.socket = str(wait_for(lambda: next(runtime.glob("sway-ipc.*.sock"), None), what="sway's socket"))
        self.runtime = Path(tempfile.mkdtemp(prefix="qc-runtime-"))
        self.scratch.append(self.runtime)

    def env(self):
        """What the program needs to be a Wayland client of this compositor."""
        return {"WAYLAND_DISPLAY": self.display, "XDG_RUNTIME_DIR": str(self.runtime), "DISPLAY": "",
                "XDG_SESSION_TYPE": "wayland"}

    def windows(self, pid):
        """(app id, title) of every window the process has on the screen."""
        import json
        tree = json.loads(subprocess.run(["swaymsg", "-s", self.socket, "-t", "get_tree"], capture_output=True,
                                         text=True, check=True).stdout)
        found, nodes = [], [tree]
        while nodes:
            node = nodes.pop()
            if node.get("pid") == pid and node.get("visible"):
                found.append((node.get("app_id"), node.get("name")))
            nodes += node.get("nodes", []) + node.get("floating_nodes", [])
        return sorted(found)

    def shot(self, name):
        """Saves the compositor's screen as <name>.png in $QC_E2E_SHOTS, if set."""
        if folder := os.environ.get("QC_E2E_SHOTS"):
            with open(Path(folder) / f"{name}.png", "wb") as picture:
                subprocess.run(self.user + ["env", f"WAYLAND_DISPLAY={self.display}",
                                         f"XDG_RUNTIME_DIR={Path(self.display).parent}", "grim", "-"],
                               stdout=picture, check=True)

    def close(self):
        self.proc.terminate()
        self.proc.wait(5)
        self.log.close()
        for folder in self.scratch:
            shutil.rmtree(folder, ignore_errors=True)


@pytest.fixture
def wayland(desktop):
    """wayland.env() for start(env=...), wayland.windows(pid), wayland.shot(name)."""
    w = Wayland()
    yield w
    w.close()


@pytest.fixture
def shot(request, desktop):
    """shot(name) saves the whole screen as <name>.png in $QC_E2E_SHOTS, or the test's temp dir."""
    folder = Path(os.environ.get("QC_E2E_SHOTS") or request.getfixturevalue("tmp_path"))

    def take(name):
        subprocess.run(["import", "-window", "root", str(folder / f"{name}.png")], check=True)
        return folder / f"{name}.png"
    return take


def find_accessible(root, role=None, name=None):
    """Every accessible below root with the given role name ("push button") and name, if given."""
    found = []
    for child in root:
        if child is not None:
            if role in (None, child.getRoleName()) and name in (None, child.name):
                found.append(child)
            found += find_accessible(child, role, name)
    return found


def click_accessible(desktop, node):
    """A real click on the middle of an accessible's extents on the screen."""
    import pyatspi
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    desktop.click(box.x + box.width // 2, box.y + box.height // 2)


def press(app, name):
    """A real click on the program's push button of that name."""
    click_accessible(app.desktop, find_accessible(app.accessible(), "push button", name)[0])


SNI_WATCHER = """<node><interface name="org.kde.StatusNotifierWatcher">
<method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
<property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
<property name="ProtocolVersion" type="i" access="read"/></interface></node>"""


@pytest.fixture
def sni_host(desktop):
    """A StatusNotifierItem host: programs started meanwhile put their icon here, not into trayer.
    sni_host.activate() is a click on the icon (the last one registered), sni_host.title() its title."""
    from gi.repository import Gio, GLib
    items, ready = [], threading.Event()
    context = GLib.MainContext.new()
    loop = GLib.MainLoop(context)

    def serve():
        context.push_thread_default()
        bus = Gio.DBusConnection.new_for_address_sync(
            os.environ["DBUS_SESSION_BUS_ADDRESS"], Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
            | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)

        def call(_bus, sender, _path, _interface, _method, args, invocation):
            service = args.unpack()[0]
            items.append((sender, service) if service.startswith("/") else (service, "/StatusNotifierItem"))
            invocation.return_value(None)
        bus.register_object("/StatusNotifierWatcher", Gio.DBusNodeInfo.new_for_xml(SNI_WATCHER).interfaces[0],
                            call, lambda *a: GLib.Variant("b", True) if a[4].startswith("Is") else GLib.Variant("i", 0))
        Gio.bus_own_name_on_connection(bus, "org.kde.StatusNotifierWatcher", 0, lambda *a: ready.set(), None)
        loop.run()
        bus.close_sync(None)

    thread = threading.Thread(target=serve, daemon=True)
    thread.start()
    ready.wait(5)

    class Host:
        def call(self, interface, method, args):
            service, path = wait_for(lambda: items, what="an icon")[-1]
            return Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(
                service, path, interface, method, args, None, 0, 5000, None).unpack()

        def activate(self):
            self.call("org.kde.StatusNotifierItem", "Activate", GLib.Variant("(ii)", (0, 0)))

        def title(self):
            """The title a host shows for the icon (in its list of hidden icons, say)."""
            return self.call("org.freedesktop.DBus.Properties", "Get",
                             GLib.Variant("(ss)", ("org.kde.StatusNotifierItem", "Title")))[0]
    yield Host()
    context.invoke_full(GLib.PRIORITY_DEFAULT, loop.quit)
    thread.join(5)
