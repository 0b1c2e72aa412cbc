"""Whole texts in the locales a user may run, and everything on the screen read over the
accessibility bus: the start-up reminder, the month grid and its held day, the clock and the status
bar, the remind-days field, the names of the spinners and the birthday fields."""

import re
import subprocess

import pyatspi
import pytest

from conftest import click_accessible, find_accessible, wait_for

MAIN = r"^Quorvel Calendar V1\.0$"
BOX = r"^Quorvel[^ ]+ V1\.0$"
BIRTHDAYS = r"^QuorvelCal  Birthday Notify$"


def extents(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def screen():
    """The screen as (width, pixel(x, y) -> (r, g, b)), from a binary PPM."""
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], capture_output=True,
                          check=True).stdout
    header = re.match(rb"P6\s+(\d+)\s+\d+\s+255\s", data)
    width, start = int(header[1]), header.end()
    return lambda x, y: data[start + 3 * (y * width + x):start + 3 * (y * width + x) + 3]


def uncut(pixel, node, inset):
    """A text cut at the control's edge runs into the columns just inside its frame: there they must
    hold the background alone."""
    x, y, w, h = extents(node)
    for column in (x + inset, x + w - 1 - inset):
        colours = {pixel(column, row) for row in range(y + inset, y + h - inset)}
        assert len(colours) == 1, f"{node.name!r} touches its edge at x={column - x}"


@pytest.mark.parametrize("lang", ["zh_CN.UTF-8", "en_US.UTF-8", "C"])
def test_texts_are_whole_and_read_aloud(start, desktop, lang):
    # 28 December, 10 o'clock: the widest date and hour; a birthday today; the longest remind days.
    app = start(lang=lang, birthdays=(255, [(12, 28, "张三")]))
    (app.dir / "261228.QVN").write_bytes(b"x" * 999)
    app.window(BOX)
    assert find_accessible(app.accessible(), "label", "生日提醒：12月28日是张三的生日")
    desktop.key("Return")
    app.window(MAIN)

    root = app.accessible()
    [grid] = find_accessible(root, "table", "月历")
    for day in ("29", "28"):
        click_accessible(desktop, find_accessible(grid, "table cell", day)[0])
    held = [cell for cell in grid if cell.getState().contains(pyatspi.STATE_SELECTED)]
    assert [(cell.name, cell.description) for cell in held] == [("28", "2026-12-28")]
    assert held[0].getState().contains(pyatspi.STATE_FOCUSED) and grid.description == "2026-12-28"
    assert len([cell for cell in grid if cell.getRole() == pyatspi.ROLE_TABLE_COLUMN_HEADER]) == 7

    # Walked by row and column: December 2026 starts on a Tuesday, so the 28th is the Monday of the
    # fifth week, under the header of the second column.
    table = grid.queryTable()
    assert (table.nRows, table.nColumns) == (6, 7)
    assert [table.getAccessibleAt(0, c).name for c in range(7)] == ["", "", "1", "2", "3", "4", "5"]
    assert table.getAccessibleAt(4, 1).name == "28" and table.isSelected(4, 1)
    assert [table.isSelected(r, c) for r in range(6) for c in range(7)].count(True) == 1
    monday = table.getColumnHeader(1)
    assert monday.getRole() == pyatspi.ROLE_TABLE_COLUMN_HEADER and monday.name
    assert monday.name == table.getColumnDescription(1) == grid.getChildAtIndex(1).name
    index = table.getIndexAt(4, 1)
    assert (table.getRowAtIndex(index), table.getColumnAtIndex(index)) == (4, 1)
    assert grid.getChildAtIndex(index).name == "28"

    labels = find_accessible(root, "label")
    status = wait_for(lambda: [n for n in labels if n.name in ("Date :2026-12-28", "999 Bytes")], what="status")
    clock = [n for n in labels if extents(n)[2:] == (89, 25)]
    assert len(status) == 2 and len(clock) == 2 and all(n.name for n in clock)
    assert clock[1].name.startswith("10:00:")
    pixel = screen()
    for node in clock:
        uncut(pixel, node, 2)  # inside the two bevels
    for node in status:
        uncut(pixel, node, 1)  # inside the sunken frame

    click_accessible(desktop, find_accessible(root, "push button", "生日")[0])
    app.window(BIRTHDAYS)
    [field] = [n for n in find_accessible(app.accessible(), "text") if n.queryText().getText(0, -1) == "255"]
    x, y, w, h = extents(field)
    for i in range(3):
        cx, cy, cw, ch = field.queryText().getCharacterExtents(i, pyatspi.DESKTOP_COORDS)
        assert x <= cx and cx + cw <= x + w, f"digit {i} of 255 is cut: {(cx, cw)} in {(x, w)}"


def test_every_note_size_shows_whole(start, desktop, shot):
    app = start()  # 28 December 2026: the 26th, 27th and 28th lie in one week
    sizes = {26: 999, 27: 1234, 28: 1048576, 29: 10 << 30}
    for day, size in sizes.items():
        with open(app.dir / f"2612{day}.QVN", "wb") as note:
            note.truncate(size)  # sparse: ten gigabytes cost nothing
    app.window(MAIN)
    root = app.accessible()
    [grid] = find_accessible(root, "table", "月历")
    for day, size in sizes.items():
        click_accessible(desktop, find_accessible(grid, "table cell", str(day))[0])
        text = f"{size} Bytes"
        [panel] = wait_for(lambda: find_accessible(root, "label", text), what=text)
        x, y, w, h = extents(panel)
        # The note size panel, inside its 50 pixels; a size no legible face fits runs on to the edge.
        assert w == 48 if size < 10 << 30 else 48 < w <= 441 - 250
        uncut(screen(), panel, 1)
    shot("note-sizes")


def test_every_field_is_named_by_its_label(start, desktop):
    app = start()
    app.window(MAIN)
    root = app.accessible()
    assert sorted(n.name for n in find_accessible(root, "spin button")) == ["年", "月"]
    click_accessible(desktop, find_accessible(root, "push button", "生日")[0])
    app.window(BIRTHDAYS)
    fields = [n for n in find_accessible(app.accessible(), "text") if n.getRoleName() == "text"
              and n.queryText().getText(0, -1) in ("", "3")]
    assert sorted(n.name for n in fields if n.name) == sorted(["月", "日", "姓名", "在…天前开始提醒"])
