// The locale is fixed when the program starts: there is no change to follow.
#include "regionalsettings.h"

namespace qc {

void onRegionalSettingsChange(QWidget *, const std::function<void()> &) { }

} // namespace qc
