// The per-system parts of telling a link that leads nowhere (regularfile_posix.cpp,
// regularfile_win.cpp).
#pragma once

#include <QString>

namespace qc {

// Whether the folder of a link's final target exists, found as the system finds it.
bool folderExistsAt(const QString &target);

// The final target as the user is shown it.
QString shownLinkTarget(const QString &target);

} // namespace qc
