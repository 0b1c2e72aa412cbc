// The font configuration read ahead through fontconfig, which Qt's font database reads it from.
#include "fontwarmup.h"

#include <dlfcn.h>

#include <system_error>

namespace qc {

FontSystemWarmUp::FontSystemWarmUp()
{
    // Taken from the fontconfig that Qt's GUI library already brought in rather than linked to
    // the program: a library of its own among the program's direct ones would lengthen every
    // symbol lookup of the start-up. Without it (another font database) there is nothing to do.
    using Init = int (*)();
    const auto init = reinterpret_cast<Init>(dlsym(RTLD_DEFAULT, "FcInit"));
    if (!init)
        return;
    try {
        // FcInit() installs the configuration it loaded only if none is current yet, so the font
        // database's own call afterwards finds it and returns at once.
        m_thread = std::thread(init);
    } catch (const std::system_error &) {
        // No thread to spare: the font database reads the configuration itself, as it would anyway.
    }
}

FontSystemWarmUp::~FontSystemWarmUp()
{
    wait();
}

void FontSystemWarmUp::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace qc
