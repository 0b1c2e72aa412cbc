// The Windows directory and the show command, from the system.
#include "platform.h"

#include <qt_windows.h>

namespace qc::platform {

QString windowsDirectory()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return QString::fromWCharArray(buffer, length <= MAX_PATH ? int(length) : 0);
}

StartShow startShowCommand()
{
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    if (startup.dwFlags & STARTF_USESHOWWINDOW) {
        // A shortcut set to "Minimised" asks for 7; other launchers (start /min) ask for 2 or 6.
        if (startup.wShowWindow == SW_SHOWMINNOACTIVE || startup.wShowWindow == SW_SHOWMINIMIZED
            || startup.wShowWindow == SW_MINIMIZE)
            return StartShow::Minimized;
        if (startup.wShowWindow == SW_SHOWMAXIMIZED)
            return StartShow::Maximized;
    }
    return StartShow::Normal;
}

} // namespace qc::platform
