// What the save shares on every system: its error types and the seams tests set.
#include "savefile.h"
#include "savefile_p.h"

#include <QDir>
#include <QRandomGenerator>

#include <utility>

namespace qc {

SaveHooks &saveHooks()
{
    static SaveHooks current;
    return current;
}

ScopedSaveHooks::ScopedSaveHooks(SaveHooks hooks)
{
    saveHooks() = std::move(hooks);
}

ScopedSaveHooks::~ScopedSaveHooks()
{
    saveHooks() = {};
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

QByteArray randomLetters()
{
    QByteArray letters;
    for (int i = 0; i < TemporaryLetters; ++i) {
        const int n = int(QRandomGenerator::global()->bounded(52));
        letters += char(n < 26 ? 'a' + n : 'A' + n - 26);
    }
    return letters;
}

QByteArray randomTemporaryName(const QByteArray &target)
{
    return target + TemporaryMark + randomLetters();
}

} // namespace qc
