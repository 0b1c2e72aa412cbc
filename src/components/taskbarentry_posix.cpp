// No entry of the program's own: the desktop lists and minimises the main window as any other.
#include "taskbarentry.h"

namespace qc {

void attachTaskbarEntry(QWidget *, const QString &) { }

bool hasTaskbarEntry()
{
    return false;
}

void restoreFromTaskbarEntry() { }

bool minimizeToTaskbarEntry()
{
    return false;
}

} // namespace qc
