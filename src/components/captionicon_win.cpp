// Windows: a dialog frame (WS_EX_DLGMODALFRAME) shows no icon in its caption as long as the window
// has none of its own, so the icons Qt set on the window are taken off again.
#include "captionicon.h"

#include <QWidget>

#include <qt_windows.h>

namespace qc {

void removeCaptionIcon(QWidget *window)
{
    const auto hwnd = reinterpret_cast<HWND>(window->winId());
    const LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
    if (!(exStyle & WS_EX_DLGMODALFRAME)) {
        SetWindowLongPtrW(hwnd, GWL_EXSTYLE, exStyle | WS_EX_DLGMODALFRAME);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
            SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SendMessageW(hwnd, WM_SETICON, ICON_SMALL, 0);
    SendMessageW(hwnd, WM_SETICON, ICON_BIG, 0);
}

} // namespace qc
