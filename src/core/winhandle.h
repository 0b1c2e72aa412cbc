// A Windows handle that closes itself, and a text as the system's wide-character calls take it.
#pragma once

#include <qt_windows.h>

#include <QString>

namespace qc {

class Handle
{
public:
    explicit Handle(HANDLE handle = INVALID_HANDLE_VALUE)
        : h(handle)
    { }
    ~Handle() { reset(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    bool isValid() const { return h != INVALID_HANDLE_VALUE; }
    void reset()
    {
        if (isValid())
            CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }

    HANDLE h;
};

inline const wchar_t *wide(const QString &text)
{
    return reinterpret_cast<const wchar_t *>(text.utf16());
}

} // namespace qc
