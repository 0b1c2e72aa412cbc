// Windows keeps its fonts in the window system: there is no configuration to read ahead.
#include "fontwarmup.h"

namespace qc {

FontSystemWarmUp::FontSystemWarmUp() = default;

FontSystemWarmUp::~FontSystemWarmUp() = default;

void FontSystemWarmUp::wait() { }

} // namespace qc
