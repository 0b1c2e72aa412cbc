// The program's own location, with a test override so tests never touch the build directory.
#include "programdir.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

namespace qc {

namespace {

QMutex overrideMutex;
QString overridePath;

} // namespace

QString programFilePath()
{
    {
        QMutexLocker lock(&overrideMutex);
        if (!overridePath.isEmpty())
            return overridePath;
    }
    const QString path = QCoreApplication::applicationFilePath();
    const QString canonical = QFileInfo(path).canonicalFilePath();
    return canonical.isEmpty() ? path : canonical;
}

QString programDirectory()
{
    return QFileInfo(programFilePath()).absolutePath();
}

void setProgramFilePathForTesting(const QString &filePath)
{
    QMutexLocker lock(&overrideMutex);
    overridePath = filePath;
}

} // namespace qc
