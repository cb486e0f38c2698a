#pragma once
// The process-wide registry of mouse-leave trackers: at most one tracker per window, found by
// the key "TM" and the window's handle. Tracking a window means putting the shared handler in
// front of the window's own event handling; the handler passes every event on unchanged.

#include <QHash>
#include <QString>

class QEvent;
class QObject;
class QWidget;

namespace zimbrel {

class clsTrackMouse;

namespace modTrackMouse {

// "TM" followed by the window's handle in decimal.
QString trackerKey(const QWidget *window);

// The registry itself: key to tracker.
QHash<QString, clsTrackMouse *> &TrackerRegistry();

// Puts the shared handler in front of the window's own handling, or takes it away again.
void subclass(QWidget *window);
void unsubclass(QWidget *window);
bool isSubclassed(const QWidget *window);
// Drops what is known of a window that is being destroyed.
void forget(const QWidget *window);

// The shared handler: hands an event for a tracked window to its tracker. Returns whether the
// event was consumed (never: the window's own handling always runs).
bool TrackWindowProc(QObject *window, QEvent *event);

} // namespace modTrackMouse
} // namespace zimbrel
