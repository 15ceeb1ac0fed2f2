#pragma once
// What the window asks of the desktop beyond Qt: the X display behind the platform plugin and
// the state of the pointer's buttons, which a window manager's resize grab hides from Qt.

namespace m4::ui {

/// The X display (an Xlib Display*) the application shows on, or nullptr off X11.
void* x11Display();

/// Whether a mouse button is held down anywhere on the display.
bool pointerButtonsDown();

} // namespace m4::ui
