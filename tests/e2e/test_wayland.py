"""The program as a Wayland client of a headless compositor (sway): its windows carry the desktop
entry's name as their app id, the reminders still come first, and the notification-area icon is
shown only where a StatusNotifierItem host runs. There is no keyboard: buttons are pressed through
the accessibility bus."""

import time

import pytest

from conftest import find_accessible, wait_for

APP_ID = "org.example.QuorvelCal"
MAIN = (APP_ID, "Quorvel Calendar V1.0")
BOX = (APP_ID, "Quorvel日历记事本 V1.0")


def press(app, name):
    [button] = wait_for(lambda: find_accessible(app.accessible(), "push button", name), what=name)
    button.queryAction().doAction(0)


@pytest.mark.parametrize("tray", ["none", "sni"])
def test_on_wayland(request, start, wayland, tray):
    host = request.getfixturevalue("sni_host") if tray == "sni" else None
    app = start(birthdays=(1, [(12, 28, "张三")]), env=dict(wayland.env(), QT_QPA_PLATFORM="wayland"))
    assert wait_for(lambda: wayland.windows(app.proc.pid), what="a window") == [BOX]
    time.sleep(0.5)
    wayland.shot(f"wayland-{tray}")
    press(app, "OK")
    wait_for(lambda: wayland.windows(app.proc.pid) == [MAIN], what="the main window")

    press(app, "隐藏")
    time.sleep(1)
    if host:  # hidden, and back through the icon
        assert wayland.windows(app.proc.pid) == []
        host.activate()
        wait_for(lambda: wayland.windows(app.proc.pid) == [MAIN], what="the main window back")
    else:  # no icon to come back through: minimised, which sway does not do, so it stays
        assert wayland.windows(app.proc.pid) == [MAIN]
    assert app.proc.poll() is None
    log = app.output()
    assert "QObject::connect" not in log and "plugin" not in log, log
