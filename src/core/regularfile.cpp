// What reading the program's files shares on every system: telling a link that leads nowhere.
#include "regularfile.h"
#include "regularfile_p.h"

#include <QFileInfo>

namespace qc {

std::optional<DanglingLink> danglingLink(const QString &path)
{
    if (!QFileInfo(path).isSymLink())
        return std::nullopt;
    const QString target = finalLinkTarget(path);
    if (target.isEmpty() || QFileInfo::exists(target))
        return std::nullopt;
    return DanglingLink { shownLinkTarget(target), folderExistsAt(target) };
}

} // namespace qc
