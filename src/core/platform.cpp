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

#ifdef Q_OS_WIN
namespace {

constexpr UINT CodePage936 = 936;

} // namespace

QByteArray encodeCodePage936(QStringView text, bool *ok)
{
    if (ok)
        *ok = true;
    if (text.isEmpty())
        return {};
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    const int length = int(text.size());
    BOOL usedDefault = FALSE;
    const int size
        = WideCharToMultiByte(CodePage936, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, "?", nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    WideCharToMultiByte(
        CodePage936, WC_NO_BEST_FIT_CHARS, wide, length, bytes.data(), size, "?", &usedDefault);
    if (ok)
        *ok = !usedDefault;
    return bytes;
}

QString decodeCodePage936(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    const int length = int(bytes.size());
    const int size = MultiByteToWideChar(CodePage936, 0, bytes.data(), length, nullptr, 0);
    QString text(size, Qt::Uninitialized);
    MultiByteToWideChar(CodePage936, 0, bytes.data(), length, reinterpret_cast<wchar_t *>(text.data()), size);
    return text;
}
#endif

} // namespace qc::platform
