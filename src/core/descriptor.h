// An open file descriptor that closes itself: the POSIX file units (the _posix.cpp files) work with
// the system's calls directly where Qt's file classes can't say what they need (open without
// waiting, link, lock).
#pragma once

#include <unistd.h>

namespace qc {

class Descriptor
{
public:
    explicit Descriptor(int descriptor = -1)
        : fd(descriptor)
    { }
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    void reset()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

    int fd;
};

} // namespace qc
