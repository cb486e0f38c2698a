#pragma once
// Where the windows without a title bar open, and how they are dragged.
//
// The generator remembers its window's last place per user: application "3004", section "55572",
// keys "x" and "y", the outer left and top edge in twips as decimal text. Both programs open their
// main window there, or centred on the primary screen while nothing is stored.

#include <QPoint>
#include <QSize>
#include <QString>
#include <functional>

class QMouseEvent;
class QWidget;

namespace zimbrel {

inline constexpr char kPositionApplication[] = "3004";
inline constexpr char kPositionSection[] = "55572";

// The top-left corner, in pixels of the primary screen, for the stored texts `x` and `y` (empty
// when absent) and a window of outer size `outer` on a screen of size `screen`. Stored values are
// used as they are (a window may be placed partly off screen) but kept within what the window
// system can address.
QPoint positionFromStore(const QString &x, const QString &y, QSize outer, QSize screen);

// Places `window` at the stored position, or centres it.
void RestorePosition(QWidget *window);

// Whether a position is stored (else windows open centred).
bool hasStoredPosition();

// Stores the window's outer left edge as "x", then its top edge as "y", in twips.
void storePosition(const QWidget *window);

// Lets the user move `window` with the mouse, grabbed at the global position `grab` with the
// pointer now at `pointer`; `finished` runs once the button is released.
void DragForm(QWidget *window, QPoint grab, QPoint pointer, std::function<void()> finished = {});

// The part of a window the user drags it by: a press of the left button there, then a move with
// exactly the left button held, starts one move of the window. One press starts at most one move:
// after the window manager's own move loop Qt may still report the button held, and a second
// move would swallow the user's next click.
class DragSurface
{
public:
    void pressed(const QMouseEvent *event);
    void moved(QWidget *window, const QMouseEvent *event, std::function<void()> finished = {});

private:
    QPoint m_grab;
    bool m_armed = false;
};

} // namespace zimbrel
