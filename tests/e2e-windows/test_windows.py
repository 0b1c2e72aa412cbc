"""Roads of the Windows program under Wine, as a Windows user takes them."""
import subprocess
import time

import pytest

from conftest import MAIN_CAPTION, TITLE, TOPLEVELS, birthday_file, click, geometry, visible, wait_for, \
    wine_processes, windows_path, xdotool

# Points of the main window's client area: the buttons of the control strip (it starts at y 184).
OPEN_NOTE = (156, 236)
BIRTHDAYS = (356, 204)
HIDE = (356, 236)
ABOUT = (420, 204)
# The clock's date panel in the client area: left, top, width, height.
DATE_PANEL = (12, 196, 80, 16)
# Points of the about dialog: the mail and the web address.
MAIL, WEB = (80, 90), (80, 114)
# Points of the birthday dialog: month, day and name fields, 添加 and OK.
MONTH, DAY, NAME, ADD, OK = (20, 148), (80, 148), (224, 148), (224, 53), (229, 188)


def test_main_window_and_the_note_in_notepad(start):
    program = start()
    main = program.window(MAIN_CAPTION)
    box = geometry(main)
    assert (box["WIDTH"], box["HEIGHT"]) == (441, 273)

    click(main, *OPEN_NOTE)
    day = program.today
    note = program.folder / f"{day.year % 100:02d}{day.month:02d}{day.day:02d}.QVN"
    wait_for(note.exists, what="the note")
    assert note.read_bytes() == f"[At]{day.year}-{day.month}-{day.day}\r\n".encode()
    # Notepad of the Windows directory, the note's path as the whole rest of the command line.
    started = wait_for(lambda: wine_processes("NOTEPAD.EXE"), what="Notepad")
    assert started == ["C:\\windows\\NOTEPAD.EXE " + windows_path(note)]
    wait_for(lambda: xdotool("search", "--name", note.name), what="Notepad's window on the note")


def test_reminder_comes_before_the_main_window(start):
    import datetime
    today = datetime.datetime.now(datetime.timezone.utc).date()
    program = start(birthdays=(3, [(today.month, today.day, "Alice")]))
    reminder = program.window(TITLE)
    assert not visible(MAIN_CAPTION)
    xdotool("windowfocus", reminder, "key", "Return")
    program.window(MAIN_CAPTION)


def test_birthday_dialog_saves_a_byte_exact_file(start):
    program = start(birthdays=(5, [(3, 7, "张三")]))
    main = program.window(MAIN_CAPTION)
    click(main, *BIRTHDAYS)
    dialog = program.window("QuorvelCal  Birthday Notify")
    for point, text in ((MONTH, "12"), (DAY, "31"), (NAME, "Bob")):
        click(dialog, *point)
        xdotool("type", "--delay", "80", text)
    click(dialog, *ADD)
    click(dialog, *OK)
    wait_for(lambda: not visible("QuorvelCal  Birthday Notify"), what="the dialog to close")
    assert (program.folder / "quorvelcal.CFG").read_bytes() == birthday_file(5, [(3, 7, "张三"), (12, 31, "Bob")])
    assert sorted(p.name for p in program.folder.iterdir() if p.is_file() and not p.suffix == ".dll") == \
        ["LICENSE.txt", "quorvelcal.CFG", "quorvelcal.exe", "说明.txt"]


def test_hidden_window_comes_back_through_the_tray_icon(start):
    program = start()
    main = program.window(MAIN_CAPTION)
    click(main, *HIDE)
    wait_for(lambda: not visible(MAIN_CAPTION), what="the main window to hide")
    # Without a notification area of the desktop's own, Wine shows its icons in a tray window.
    tray = wait_for(lambda: xdotool("search", "--onlyvisible", "--name", "^Wine System Tray$"), what="Wine's tray")[0]
    click(tray, 8, 8)
    program.window(MAIN_CAPTION)


def test_about_dialog_links_go_to_the_shell(start):
    program = start()
    click(program.window(MAIN_CAPTION), *ABOUT)
    about = program.window("关于")
    # No icon in the about dialog's caption; the main window has the program's.
    icons = {w["caption"]: w["icon"] for w in program.windows() if w["visible"]}
    assert (icons["关于"], icons[MAIN_CAPTION]) == (False, True)
    click(about, *WEB)
    wait_for(program.opened_addresses, what="the web address opened")
    click(about, *MAIL)
    wait_for(lambda: len(program.opened_addresses()) == 2, what="the mail address opened")
    assert program.opened_addresses() == ["https://quorvel.example/", "mailto:qc@quorvel.example"]


@pytest.mark.xfail(strict=True, reason="Wine keeps each regional setting a process has read in that process "
                   "and never reads it again; only the process that changes a setting sees the change (on Windows "
                   "every process does). The program's side, in-process: tst_regionalsettings.")
def test_the_clock_follows_a_change_of_the_regional_settings(start):
    program = start()
    main = program.window(MAIN_CAPTION)
    box = geometry(main)

    def date_panel():
        # The pixels of the clock's date panel (the control strip's first field).
        x, y = box["X"] + DATE_PANEL[0], box["Y"] + DATE_PANEL[1]
        return subprocess.run(["import", "-window", "root", "-crop", f"{DATE_PANEL[2]}x{DATE_PANEL[3]}+{x}+{y}",
                               "rgb:-"], capture_output=True, check=True).stdout

    def settings_changed_to(short_date):
        """Changes the short date format as the regional settings' panel does; returns the old one."""
        return program.wine(TOPLEVELS, "--short-date", short_date).decode().strip()

    # Drawn and steady: the date stays as it is from one tick of the clock to the next.
    first = wait_for(lambda: (a := date_panel()) == (time.sleep(1.5) or date_panel()) and a, what="a steady date")
    original = settings_changed_to("dd.MM.yyyy")
    wait_for(lambda: date_panel() != first, 5, "the date in the new format")
    settings_changed_to(original)
    wait_for(lambda: date_panel() == first, 5, "the date in the first format again")
