// Day note files: naming, size, creation with the header line and handing the note to the editor.
#include "daynotes.h"
#include "daynotes_p.h"

#include "cp936.h"
#include "dates.h"
#include "errors.h"
#include "programdir.h"
#include "regularfile.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace qc {

namespace {

// "YYMMDD.QVN": stale temporaries of other notes are removed while one is created, since an
// existing note is never written again.
bool isNoteFileName(QByteArrayView name)
{
    return name.size() == 10 && name.endsWith(".QVN")
        && std::all_of(name.begin(), name.begin() + 6, [](char c) { return c >= '0' && c <= '9'; });
}

NoteLauncher &launcher()
{
    static NoteLauncher current;
    return current;
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
    // Reading is all the size needs: a read-only note still shows its real size. Whatever is not a
    // regular file (a pipe, a device) has no size to show and is never opened.
    return regularFileSize(notePath(programDirectory(), year, month, day)).value_or(0);
}

void setNoteLauncherForTesting(NoteLauncher newLauncher)
{
    launcher() = std::move(newLauncher);
}

void openNote(int year, int month, int day)
{
    const QString path = notePath(programDirectory(), year, month, day);
    const QString shownPath = QDir::toNativeSeparators(path);
    // Existence alone decides: a note that exists but can't be read must never be recreated over.
    // Something that is no plain file (a folder, a pipe, a device) is not handed to the editor,
    // which could hang on it; Windows refuses a folder the same way.
    switch (pathKind(path)) {
    case PathKind::Missing:
        // A link to a note that isn't there (a drive or a sync folder not connected) is not
        // created through: the note may well exist where the link leads.
        if (const std::optional<DanglingLink> link = danglingLink(path))
            throw EInOutError(IoError::AccessDenied,
                QStringLiteral("日志“%1”是一个链接，它指向的“%2”不存在，所以没有打开")
                    .arg(shownPath, QDir::toNativeSeparators(link->target)));
        try {
            writeWholeFile(path, noteHeader(year, month, day), WhenPresent::KeepExisting, isNoteFileName);
        } catch (const EFolderNotSynced &) {
            throw; // the note is there and complete: its message names it
        } catch (const EInOutError &error) {
            throw EInOutError(
                error.errorCode(), QStringLiteral("无法创建日志“%1”：%2").arg(shownPath, error.message()));
        }
        break;
    case PathKind::Other:
        throw EInOutError(IoError::AccessDenied);
    case PathKind::Regular:
        break;
    }
    const EditorCommand command = editorCommand(path);
    if (launcher())
        launcher()(command);
    else
        startDetached(command);
}

} // namespace qc
