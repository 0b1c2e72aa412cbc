// The only unit that calls the Windows API directly.
#include "platform.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace qc::platform {

QString windowsDirectory()
{
#ifdef Q_OS_WIN
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return QString::fromWCharArray(buffer, length <= MAX_PATH ? int(length) : 0);
#else
    return {};
#endif
}

StartShow startShowCommand()
{
#ifdef Q_OS_WIN
    STARTUPINFOW startup {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    if (startup.dwFlags & STARTF_USESHOWWINDOW) {
        if (startup.wShowWindow == SW_SHOWMINNOACTIVE)
            return StartShow::Minimized;
        if (startup.wShowWindow == SW_SHOWMAXIMIZED)
            return StartShow::Maximized;
    }
#endif
    return StartShow::Normal;
}

} // namespace qc::platform
