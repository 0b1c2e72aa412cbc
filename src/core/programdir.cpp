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

QString programDirectoryProblemFor(const QString &filePath)
{
    const QFileInfo file(filePath);
    if (!filePath.isEmpty() && file.isAbsolute() && QFileInfo(file.absolutePath()).isDir())
        return {};
    return QStringLiteral("无法使用程序所在的文件夹：它的名称无法识别，或者它已不存在。"
                          "日志和生日都保存在程序所在的文件夹里，请把程序放到名称正常的文件夹中再启动");
}

QString programDirectoryProblem()
{
    return programDirectoryProblemFor(programFilePath());
}

void setProgramFilePathForTesting(const QString &filePath)
{
    QMutexLocker lock(&overrideMutex);
    overridePath = filePath;
}

} // namespace qc
