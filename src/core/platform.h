// The Windows services the program uses, in one place: the Windows directory (Notepad is taken from
// there), the show command a shortcut starts the program with, the taskbar entry and the system's
// code page 936 tables. On other systems the first two answer neutrally (an empty directory, a
// normal show).
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>

namespace qc::platform {

// The Windows directory as the system reports it; empty on other systems.
QString windowsDirectory();

// How the program was asked to show its first window (a Windows shortcut's "Run" setting).
enum class StartShow { Normal, Minimized, Maximized };
StartShow startShowCommand();

// Calls `changed` whenever the user changes the regional settings (date and time formats ...)
// while the program runs, for as long as `owner` lives. Qt does not pass such a change on. On
// other systems the desktop's locale does not change under a running program: nothing happens.
void onRegionalSettingsChange(QObject *owner, const std::function<void()> &changed);

// The program's one taskbar entry (Windows): a window of its own, titled `title` and seen only
// as that entry, owns the main window `mainWindow` (its native handle), so that the main window
// has no entry of its own and the entry reads the program's title rather than the caption. The
// entry is there exactly while a window of the program is visible; the main window's minimise box
// minimises the whole program to it, and activating it activates the main window or its topmost
// box. Lasts as long as `owner`. On other systems nothing happens: the desktop lists the window.
void attachTaskbarEntry(QObject *owner, quintptr mainWindow, const QString &title);
// Whether the program has a taskbar entry of its own (on Windows, once attached).
bool hasTaskbarEntry();
// Brings back a program minimised to its taskbar entry (the notification-area icon's click).
void restoreFromTaskbarEntry();
// Minimises the program to its taskbar entry; false where it has none (the window minimises itself).
bool minimizeToTaskbarEntry();

#ifdef Q_OS_WIN
// Code page 936 through the system, for a Qt built without ICU (its usual Windows build), which
// has no converter of its own for it. Bytes and texts are those of Qt's own converter: a
// character the code page lacks becomes one "?" (an invisible one is left out) and sets *ok to
// false; a bad byte, a lead byte without its trail byte included, decodes to U+FFFD.
QByteArray encodeCodePage936(QStringView text, bool *ok = nullptr);
QString decodeCodePage936(QByteArrayView bytes);

// Whether the folder refuses a new file for want of write access (the folder or the drive is not
// writable), rather than being missing or no place for files. Tried with a file of a name of its
// own that is gone again when closed.
bool folderRefusesNewFiles(const QString &folder);
#endif

} // namespace qc::platform
