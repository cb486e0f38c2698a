#include "modtrackmouse.h"

#include "clstrackmouse.h"

#include <QEvent>
#include <QSet>
#include <QWidget>

namespace zimbrel::modTrackMouse {
namespace {

// One handler object for every tracked window, as one window procedure served them all.
class Handler : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override { return TrackWindowProc(watched, event); }
    QSet<const QWidget *> windows;
};

Handler &handler()
{
    static Handler instance;
    return instance;
}

} // namespace

QString trackerKey(const QWidget *window)
{
    // The widget's address serves as its handle: asking Qt for a native window id would turn
    // every tracked child widget into a native window of its own.
    return QStringLiteral("TM") + QString::number(quintptr(window));
}

QHash<QString, clsTrackMouse *> &TrackerRegistry()
{
    static QHash<QString, clsTrackMouse *> registry;
    return registry;
}

void subclass(QWidget *window)
{
    if (!window || handler().windows.contains(window))
        return;
    window->installEventFilter(&handler());
    handler().windows.insert(window);
}

void unsubclass(QWidget *window)
{
    if (!window)
        return;
    window->removeEventFilter(&handler());
    handler().windows.remove(window);
}

bool isSubclassed(const QWidget *window)
{
    return handler().windows.contains(window);
}

void forget(const QWidget *window)
{
    handler().windows.remove(window);
}

bool TrackWindowProc(QObject *window, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(window);
    clsTrackMouse *tracker = widget ? TrackerRegistry().value(trackerKey(widget)) : nullptr;
    if (!tracker)
        return false;
    tracker->HandleMessage(event);
    return false;
}

} // namespace zimbrel::modTrackMouse
