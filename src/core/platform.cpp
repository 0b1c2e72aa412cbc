// The folder probe of the Windows save.
#include "platform.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <QDir>
#include <QUuid>
#endif

namespace qc::platform {

#ifdef Q_OS_WIN
bool folderRefusesNewFiles(const QString &folder)
{
    const QString probe = QDir::toNativeSeparators(QDir(folder).filePath(
        QStringLiteral("quorvelcal-%1.probe").arg(QUuid::createUuid().toString(QUuid::Id128))));
    const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t *>(probe.utf16()), GENERIC_WRITE, 0,
        nullptr, CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT;
}
#endif

} // namespace qc::platform
