// A window whose caption shows no icon, where the system would show the program's: Qt gives every
// window the application's icon. One file per system: on Windows the icon is taken off the window;
// elsewhere the window manager draws the caption and decides.
#pragma once

class QWidget;

namespace qc {

// Call before every showing: the native window is made here if it isn't yet.
void removeCaptionIcon(QWidget *window);

} // namespace qc
