#pragma once
// Moving a window that has no title bar with the mouse.
//
// The window system's own move is asked for first (QWindow::startSystemMove), as a title bar
// would. Where the window system refuses (no window manager, as under a bare X server), and for a
// window that bypasses the window manager, the window follows the mouse itself until the button is
// released. Either way `finished` runs once,
// after the button has been released, so callers can store the final place.

#include <QPointer>
#include <QWidget>
#include <functional>

namespace zimbrel {

// Starts moving `window` (a top-level widget) with the mouse while the left button is held. The
// window was grabbed at the global position `grab` (where the button went down) and the pointer is
// now at `pointer` (the position of the motion that asks for the move). Returns at once; a second
// call while a move of the same window is under way is ignored.
void moveWindowWithMouse(QWidget *window, QPoint grab, QPoint pointer, std::function<void()> finished = {});

// True while a move started by moveWindowWithMouse has not finished.
bool isWindowMoving(const QWidget *window);

} // namespace zimbrel
