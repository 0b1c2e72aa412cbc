// Day note files: naming, size, creation with the header line and handing the note to the editor.
#include "daynotes.h"

#include "cp936.h"
#include "dates.h"
#include "errors.h"
#include "platform.h"
#include "programdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>

#include <cerrno>

namespace qc {

namespace {

void startDetached(const EditorCommand &command)
{
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
#ifdef Q_OS_WIN
    process.setNativeArguments(command.nativeArguments);
#endif
    // The editor runs on its own; whether it started is deliberately not checked.
    process.startDetached();
}

NoteLauncher &launcher()
{
    static NoteLauncher current;
    return current;
}

// The classic code of a failed create or write; errno still holds the cause of the failing call.
int ioErrorCode(const QFileDevice &file, int savedErrno)
{
    if (file.error() == QFileDevice::ResourceError)
        return IoError::DiskFull;
    if (file.error() == QFileDevice::PermissionsError)
        return IoError::AccessDenied;
    switch (savedErrno) {
    case EACCES:
    case EPERM:
    case EROFS:
        return IoError::AccessDenied;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return IoError::DiskFull;
    case 0:
        return static_cast<int>(file.error());
    default:
        return savedErrno;
    }
}

[[noreturn]] void throwIoError(const QFileDevice &file)
{
    const int savedErrno = errno;
    throw EInOutError(ioErrorCode(file, savedErrno));
}

void createNote(const QString &path, const QByteArray &content)
{
    QSaveFile file(path);
    // Writing in place would leave a half-written note behind on failure; a partial header
    // would later pass for an existing note.
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throwIoError(file);
    // QSaveFile::commit() ignores a failure of the flush it does while closing and would rename
    // an empty file into place on a full disk, so the buffer is flushed and checked here.
    if (file.write(content) != content.size() || !file.flush())
        throwIoError(file);
    // QSaveFile replaces whatever is at the path when it commits. A note that appeared since the
    // caller looked (the user's editor saving it, a second copy of the program) must win, so look
    // once more right before the rename and drop our copy if so. What remains is the instant between
    // this check and the rename, which only a rename that refuses to replace could close.
    if (QFileInfo::exists(path)) {
        file.cancelWriting();
        return;
    }
    errno = 0;
    if (!file.commit())
        throwIoError(file);
}

} // namespace

QString noteFileName(int year, int month, int day)
{
    return QString::number(year).mid(2, 2)
        + QStringLiteral("%1%2.QVN").arg(month, 2, 10, QLatin1Char('0')).arg(day, 2, 10, QLatin1Char('0'));
}

QString notePath(const QString &directory, int year, int month, int day)
{
    return QDir(directory).filePath(noteFileName(year, month, day));
}

QByteArray noteHeader(int year, int month, int day)
{
    const QString line = QStringLiteral("[At]") + dateKey(year, month, day);
    return cp936::encode(line) + QByteArrayLiteral("\r\n");
}

qint64 noteSize(int year, int month, int day)
{
    // Reading is all the size needs: a read-only note still shows its real size.
    QFile file(notePath(programDirectory(), year, month, day));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.size();
}

EditorCommand editorCommand(const QString &notePath)
{
#ifdef Q_OS_WIN
    // Notepad takes the whole command tail as the file name, so the path is passed unquoted.
    return { platform::windowsDirectory() + QStringLiteral("\\NOTEPAD.EXE"), {},
        QDir::toNativeSeparators(notePath) };
#else
    // One argument and no shell: no quoting or word splitting can change which file is opened.
    return { QStringLiteral("xdg-open"), { notePath }, {} };
#endif
}

void setNoteLauncher(NoteLauncher newLauncher)
{
    launcher() = std::move(newLauncher);
}

void openNote(int year, int month, int day)
{
    const QString path = notePath(programDirectory(), year, month, day);
    const QFileInfo info(path);
    // Existence alone decides: a note that exists but can't be read must never be recreated over.
    // A directory in the note's place can't be replaced by a note either; Windows says so the same way.
    if (info.isDir())
        throw EInOutError(IoError::AccessDenied);
    if (!info.exists())
        createNote(path, noteHeader(year, month, day));
    const EditorCommand command = editorCommand(path);
    if (launcher())
        launcher()(command);
    else
        startDetached(command);
}

} // namespace qc
