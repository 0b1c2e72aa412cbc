// The regional settings (date and time formats ...) changed by the user while the program runs.
// Qt does not pass such a change on; Windows announces it to every top-level window
// (regionalsettings_win.cpp). Elsewhere the desktop's locale does not change under a running
// program (regionalsettings_posix.cpp): nothing is ever announced.
#pragma once

#include <functional>

class QWidget;

namespace qc {

// Calls `changed` whenever the regional settings change, for as long as `window` lives.
void onRegionalSettingsChange(QWidget *window, const std::function<void()> &changed);

} // namespace qc
