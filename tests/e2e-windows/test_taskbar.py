"""The program's taskbar entry under Wine's shell, as a Windows user sees it: one button, titled
with the program's title rather than the main window's caption, there exactly while a window of
the program shows; the minimise box and a shortcut set to "Minimised" leave the program as that
button alone, and a click on it brings the main window back."""
from conftest import MAIN_CAPTION, TITLE, click_at, wait_for, xdotool

# The 隐藏 button, in the main window's client area.
HIDE = (356, 236)


def entries(program):
    """The captions the taskbar lists for the program, and Wine's buttons that show for them."""
    windows = program.toplevels()
    mine = {w["hwnd"]: w for w in windows if w.get("program") == "quorvelcal.exe"}
    listed = sorted(w["caption"] for w in mine.values() if w["listed"])
    buttons = sorted(mine[b["button for"]]["caption"] for b in windows
                     if b.get("visible") and b.get("button for") in mine)
    return listed, buttons


def window(program, caption):
    return next((w for w in program.windows() if w["caption"] == caption and w["visible"]), None)


def the_entry(program):
    return next(w for w in program.windows() if w["listed"])


def taskbar_button(program, entry):
    return next(b for b in program.toplevels() if b.get("button for") == entry["hwnd"])


def test_one_entry_with_the_program_title_follows_the_main_window(start):
    program = start(shell=True)
    main = wait_for(lambda: window(program, MAIN_CAPTION), 30, "the main window")
    wait_for(lambda: entries(program) == ([TITLE], [TITLE]), what="one taskbar button, with the title")
    entry = the_entry(program)
    assert main["owner"] == entry["hwnd"]

    # The minimise box minimises the program to its entry; the entry's button brings it back.
    click_at(*main["minimise box"])
    wait_for(lambda: window(program, MAIN_CAPTION) is None, what="the main window to go")
    assert the_entry(program)["minimised"]
    assert entries(program) == ([TITLE], [TITLE])
    button = taskbar_button(program, entry)
    click_at(button["x"], button["y"])
    wait_for(lambda: window(program, MAIN_CAPTION), what="the main window back")
    assert not the_entry(program)["minimised"]

    # Hidden, the program leaves the taskbar; the notification-area icon brings both back.
    click_at(main["x"] + HIDE[0], main["y"] + HIDE[1])
    wait_for(lambda: entries(program) == ([], []), what="the entry to go with the main window")
    tray = next(w for w in program.toplevels() if w.get("class") == "Shell_TrayWnd")
    click_at(tray["x"] + tray["width"] - 10, tray["y"] + tray["height"] // 2)
    wait_for(lambda: window(program, MAIN_CAPTION), what="the main window back")
    wait_for(lambda: entries(program) == ([TITLE], [TITLE]), what="the entry back")


def test_a_reminder_box_keeps_the_entry_while_the_main_window_waits(start):
    import datetime
    today = datetime.datetime.now(datetime.timezone.utc).date()
    program = start(birthdays=(3, [(today.month, today.day, "Alice")]), shell=True)
    box = wait_for(lambda: window(program, TITLE), 30, "the reminder")
    assert window(program, MAIN_CAPTION) is None
    assert not box["listed"]
    wait_for(lambda: entries(program) == ([TITLE], [TITLE]), what="one taskbar button while the box is up")
    xdotool("key", "Return")
    wait_for(lambda: window(program, MAIN_CAPTION), what="the main window after the reminder")
    assert entries(program) == ([TITLE], [TITLE])


def test_a_shortcut_set_to_run_minimised_is_obeyed(start):
    # start /min hands the program the show command a shortcut set to "Minimised" gives it.
    program = start(command=["start", "/min", "quorvelcal.exe"], shell=True)
    wait_for(lambda: entries(program) == ([TITLE], [TITLE]), 30, "the program's taskbar button")
    wait_for(lambda: the_entry(program)["minimised"], what="the entry minimised")
    assert window(program, MAIN_CAPTION) is None
    button = taskbar_button(program, the_entry(program))
    click_at(button["x"], button["y"])
    main = wait_for(lambda: window(program, MAIN_CAPTION), what="the main window")
    assert not main["minimised"]
