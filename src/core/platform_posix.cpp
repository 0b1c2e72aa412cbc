// The neutral answers: no Windows directory, and launchers here have no show command to give.
#include "platform.h"

namespace qc::platform {

QString windowsDirectory()
{
    return {};
}

StartShow startShowCommand()
{
    return StartShow::Normal;
}

} // namespace qc::platform
