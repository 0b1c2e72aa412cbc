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

} // namespace qc::platform
