"""Whole roads a user takes through the running program: start-up reminders, a new day's reminders
while it runs, the notification-area icon while windows come and go (minimised ones too), and a
day's note handed to the editor."""

import os
import signal
import time

import pytest

from conftest import find_accessible, press, wait_for, xdotool

MAIN = r"^Quorvel Calendar V1\.0$"
BOX = r"^Quorvel[^ ]+ V1\.0$"  # the application title: reminders and error boxes
QUESTION = r"^Quorvel[^ ]+$"


def reminder(app, after=None, timeout=10.0):
    """The text of the one reminder on the screen, once it is not the one that was there before."""
    def one():
        texts = [n.name for n in find_accessible(app.accessible(), "label") if n.name.startswith("生日提醒")]
        return len(texts) == 1 and texts[0] != after and texts[0]
    return wait_for(one, timeout, "a reminder")


@pytest.mark.parametrize("tray", ["xembed", "sni"])
def test_reminders_come_first_and_the_icon_shows_the_main_window_meanwhile(request, start, desktop, tray):
    host = request.getfixturevalue("sni_host") if tray == "sni" else None
    click = host.activate if host else desktop.click_tray
    # Remind 3 days ahead on 28 December: the 28th and the 30th are announced, the 31st is not.
    app = start(birthdays=(3, [(12, 28, "张三"), (12, 30, "李四"), (12, 31, "王五")]))
    first = app.window(BOX)
    assert not desktop.windows(MAIN)
    if host:
        assert host.title() == "Quorvel日历记事本 V1.0"  # the program's title, not its file name

    click()
    app.window(MAIN)
    assert desktop.windows(BOX) == [first]
    press(app, "退出")  # the reminder is still modal: the main window is disabled
    time.sleep(0.5)
    assert not desktop.windows(QUESTION)

    desktop.key("Return")
    assert app.window(BOX) != first
    desktop.key("Return")
    app.gone(BOX)
    time.sleep(0.5)
    assert not desktop.windows(BOX) and desktop.windows(MAIN)


def test_hide_and_back_through_the_icon_and_its_menu_then_exit(start, desktop):
    app = start()  # no birthday file: no box before the main window
    app.window(MAIN)
    assert not desktop.windows(BOX)

    press(app, "隐藏")
    app.gone(MAIN)
    desktop.click_tray()
    app.window(MAIN)

    press(app, "隐藏")
    app.gone(MAIN)
    desktop.click_tray(3)
    desktop.menu_entry()
    app.window(MAIN)

    press(app, "退出")
    app.window(QUESTION)
    desktop.key("Return")  # Yes is the default
    assert app.proc.wait(10) == 0


@pytest.mark.parametrize("opener, title, closer", [
    ("生日", r"^QuorvelCal  Birthday Notify$", "Return"),  # Esc does not close it; Enter is its OK
    ("关于", r"^关于$", "Escape"),
    ("退出", QUESTION, "n"),  # the question has no Cancel; n answers No
])
def test_icon_answers_while_a_dialog_is_open(start, desktop, opener, title, closer):
    app = start()
    app.window(MAIN)
    press(app, opener)
    dialog = app.window(title)

    desktop.click_tray(3)
    desktop.menu_entry()
    desktop.click_tray()
    # The dialog is still open, in front and modal, and still takes the keys.
    assert desktop.windows(title) == [dialog] and desktop.windows(MAIN)
    desktop.key(closer)
    app.gone(title)
    assert app.proc.poll() is None


def test_note_is_created_and_opened_and_a_failed_editor_is_reported(start, desktop):
    app = start(date="2026-03-07 10:00:00")
    app.window(MAIN)
    note = app.dir / "260307.QVN"

    press(app, "打开日志")
    assert wait_for(app.xdg_calls, what="xdg-open") == [str(note)]
    assert note.read_bytes() == b"[At]2026-3-7\r\n"

    # xdg-open finds no application for the note: the user is told where the note is.
    (app.bin / "status").write_text("3")
    press(app, "打开日志")
    app.window(BOX)
    assert any(str(note) in label.name for label in find_accessible(app.accessible(), "label"))
    desktop.key("Return")
    app.gone(BOX)
    assert note.read_bytes() == b"[At]2026-3-7\r\n"

    # An editor still running when the program ends keeps running.
    (app.bin / "status").write_text("0")
    (app.bin / "linger").touch()
    press(app, "打开日志")
    editor = int(wait_for(lambda: (app.bin / "pid").exists() and (app.bin / "pid").read_text(), what="editor"))
    press(app, "退出")
    app.window(QUESTION)
    desktop.key("Return")
    assert app.proc.wait(10) == 0
    time.sleep(0.5)
    os.kill(editor, 0)  # raises when it was ended with the program
    os.kill(editor, signal.SIGTERM)


def test_note_in_a_directory_the_user_cannot_write(start, desktop):
    app = start(nobody=True)  # the scratch directory belongs to the user running the tests
    app.window(MAIN)
    desktop.key("Return")  # "打开日志" has the focus at start
    app.window(BOX)
    assert not (app.dir / "261228.QVN").exists() and app.xdg_calls() == []
    desktop.key("Return")
    app.gone(BOX)


def test_year_end_reminders_come_nearest_first(start, desktop):
    app = start(date="2026-12-30 10:00:00",
                birthdays=(5, [(1, 1, "甲"), (1, 3, "乙"), (12, 30, "丙"), (12, 31, "丁"), (12, 30, "戊")]))
    seen = [reminder(app)]
    for _ in range(4):
        desktop.key("Return")
        seen.append(reminder(app, seen[-1]))
    desktop.key("Return")
    app.gone(BOX)
    assert seen == ["生日提醒：12月30日是丙的生日", "生日提醒：12月30日是戊的生日", "生日提醒：12月31日是丁的生日",
                    "生日提醒：1月1日是甲的生日", "生日提醒：1月3日是乙的生日"]
    app.window(MAIN)


def test_a_new_day_while_hidden_brings_its_reminder_once(start, desktop):
    app = start(date="2026-12-28 23:59:50", birthdays=(1, [(12, 29, "李四")]))
    app.window(MAIN)
    assert not desktop.windows(BOX)  # the 29th is not today yet
    press(app, "隐藏")
    app.gone(MAIN)

    assert reminder(app, timeout=20) == "生日提醒：12月29日是李四的生日"  # after midnight
    assert not desktop.windows(MAIN)
    desktop.click_tray()
    app.window(MAIN)
    press(app, "退出")  # modal to the main window: no question
    time.sleep(0.5)
    assert not desktop.windows(QUESTION)
    desktop.key("Return")
    app.gone(BOX)
    time.sleep(3)  # three more ticks of the same day
    assert not desktop.windows(BOX) and app.proc.poll() is None


def test_the_icon_brings_back_a_minimised_reminder(start, desktop, window_manager):
    app = start(birthdays=(1, [(12, 28, "张三")]))
    box = app.window(BOX)
    xdotool("windowminimize", box)
    app.gone(BOX)

    desktop.click_tray()
    app.window(MAIN)
    assert desktop.windows(BOX) == [box]  # restored, in front, and it takes the keys
    wait_for(lambda: xdotool("getactivewindow") == [box], what="the reminder to be active")
    desktop.key("Return")
    app.gone(BOX)
    assert desktop.windows(MAIN) and app.proc.poll() is None


def test_qt_options_on_the_command_line_change_nothing(start, desktop):
    app = start(args=["-reverse", "-platform", "offscreen", "-style", "windows"])
    app.window(MAIN)  # on the display: "-platform offscreen" was not taken
    buttons = {n.name: n for n in find_accessible(app.accessible(), "push button")}
    left = {name: buttons[name].queryComponent().getExtents(0).x for name in ("生日", "关于")}
    assert left["生日"] < left["关于"]  # laid out left to right: "-reverse" was not taken
