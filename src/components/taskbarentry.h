// The program's one taskbar entry (Windows, taskbarentry_win.cpp): a window of its own, titled with
// the program title and seen only as that entry, owns the main window, so that the main window has
// no entry of its own and the entry reads the program's title rather than the caption. The entry is
// there exactly while a window of the program is visible; the main window's minimise box minimises
// the whole program to it, and activating it activates the main window or its topmost box. On
// other systems (taskbarentry_posix.cpp) nothing happens: the desktop lists the window itself.
#pragma once

#include <QString>

class QWidget;

namespace qc {

// Gives `mainWindow` the entry titled `title`, for as long as the window lives.
void attachTaskbarEntry(QWidget *mainWindow, const QString &title);
// Whether the program has a taskbar entry of its own (on Windows, once attached).
bool hasTaskbarEntry();
// Brings back a program minimised to its taskbar entry (the notification-area icon's click).
void restoreFromTaskbarEntry();
// Minimises the program to its taskbar entry; false where it has none (the window minimises itself).
bool minimizeToTaskbarEntry();

} // namespace qc
