// The desktop's font configuration, read on a thread of its own while the application object is
// built. Reading it (tens of configuration files, the font caches) is the largest single step
// before the first window can measure its text; the window cannot map before it is done.
#pragma once

#include <thread>

namespace qc {

// Started first thing in the program; wait() before the first font is used. Where the font
// system's set-up cannot run on a thread of its own, or is done by the window system itself
// (Windows), there is nothing to wait for. Should the font database get there first after all,
// the set-up is made once more, never half: the font library keeps the first complete one.
class FontSystemWarmUp
{
public:
    FontSystemWarmUp();
    ~FontSystemWarmUp();
    FontSystemWarmUp(const FontSystemWarmUp &) = delete;
    FontSystemWarmUp &operator=(const FontSystemWarmUp &) = delete;
    void wait();

private:
    std::thread m_thread;
};

} // namespace qc
