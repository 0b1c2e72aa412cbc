// What the save shares on every system: its error types and the seams tests set.
#include "savefile.h"
#include "savefile_p.h"

#include <QDir>

#include <algorithm>
#include <utility>

namespace qc {

SaveHooks &saveHooks()
{
    static SaveHooks current;
    return current;
}

void setSaveHooksForTesting(SaveHooks newHooks)
{
    saveHooks() = std::move(newHooks);
}

EFolderNotWritable::EFolderNotWritable(QString folder)
    : EInOutError(IoError::AccessDenied)
    , m_folder(std::move(folder))
{ }

EFolderNotSynced::EFolderNotSynced(const QString &path, const QString &folder, const QString &reason)
    : EInOutError(IoError::WriteFault,
        QStringLiteral("“%1”已经写好，但文件夹“%2”里它的目录项可能还没有写到磁盘上（%3），"
                       "断电或拔出驱动器后可能找不到这次保存的内容")
            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(folder), reason))
{ }

bool isTemporaryNameFor(const QString &fileName, const QString &targetName)
{
    const qsizetype stem = targetName.size() + TemporaryMark.size();
    if (fileName.size() != stem + TemporaryLetters || !fileName.startsWith(targetName)
        || QStringView(fileName).mid(targetName.size(), TemporaryMark.size()) != TemporaryMark)
        return false;
    const QStringView letters = QStringView(fileName).mid(stem);
    return std::all_of(letters.begin(), letters.end(),
        [](QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); });
}

} // namespace qc
