// What the program asks of the system outside Qt, chosen per system (platform_win.cpp,
// platform_posix.cpp): the Windows directory (Notepad is taken from there) and the show command a
// shortcut starts the program with. Elsewhere they answer neutrally: an empty directory, a
// normal show.
#pragma once

#include <QString>

namespace qc::platform {

// The Windows directory as the system reports it; empty on other systems.
QString windowsDirectory();

// How the program was asked to show its first window (a Windows shortcut's "Run" setting).
enum class StartShow { Normal, Minimized, Maximized };
StartShow startShowCommand();

#ifdef Q_OS_WIN
// Whether the folder refuses a new file for want of write access (the folder or the drive is not
// writable), rather than being missing or no place for files. Tried with a file of a name of its
// own that is gone again when closed.
bool folderRefusesNewFiles(const QString &folder);
#endif

} // namespace qc::platform
