#include "clstrackmouse.h"

#include "modtrackmouse.h"

#include <QApplication>
#include <QCursor>
#include <QEvent>

namespace zimbrel {

clsTrackMouse::clsTrackMouse(QObject *parent)
    : QObject(parent)
{
    m_hover.setSingleShot(true);
    m_hover.setInterval(kHoverTimeMs);
    connect(&m_hover, &QTimer::timeout, this, &clsTrackMouse::hoverTimeUp);
}

clsTrackMouse::~clsTrackMouse()
{
    setTrackObject(nullptr);
}

bool clsTrackMouse::StartTracking()
{
    if (!m_trackObject)
        return false;
    if (m_isTracking)
        StopTracking();
    QWidget *window = m_trackObject;
    modTrackMouse::TrackerRegistry().insert(modTrackMouse::trackerKey(window), this);
    m_prevMouseTracking = window->hasMouseTracking();
    window->setMouseTracking(true);
    modTrackMouse::subclass(window);
    // Hover and leave, each reported once until the next arming.
    m_leaveArmed = true;
    m_hover.start();
    m_isTracking = true;
    return false;
}

bool clsTrackMouse::StopTracking()
{
    if (!m_trackObject)
        return false;
    QWidget *window = m_trackObject;
    modTrackMouse::unsubclass(window);
    window->setMouseTracking(m_prevMouseTracking);
    const QString key = modTrackMouse::trackerKey(window);
    if (modTrackMouse::TrackerRegistry().value(key) == this)
        modTrackMouse::TrackerRegistry().remove(key);
    m_hover.stop();
    m_leaveArmed = false;
    m_isTracking = false;
    return false;
}

void clsTrackMouse::setTrackObject(QWidget *window)
{
    if (!window) {
        StopTracking();
        disconnect(m_destroyedWatch);
        m_trackObject = nullptr;
        return;
    }
    if (m_trackObject && m_trackObject != window)
        StopTracking();
    // Another tracker on the same window gives way: one tracker per window.
    if (clsTrackMouse *other = modTrackMouse::TrackerRegistry().value(modTrackMouse::trackerKey(window));
        other && other != this) {
        other->setTrackObject(nullptr);
    }
    m_trackObject = window;
    // A window that goes away takes its registry entry with it.
    disconnect(m_destroyedWatch);
    m_destroyedWatch =
        connect(window, &QObject::destroyed, this, [this, key = modTrackMouse::trackerKey(window), window] {
            if (modTrackMouse::TrackerRegistry().value(key) == this)
                modTrackMouse::TrackerRegistry().remove(key);
            modTrackMouse::forget(window);
            m_hover.stop();
            m_isTracking = false;
        });
    StartTracking();
}

void clsTrackMouse::HandleMessage(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        StartTracking();
        break;
    case QEvent::Leave:
        if (m_leaveArmed) {
            m_leaveArmed = false;
            m_hover.stop();
            Q_EMIT MouseOut();
        }
        break;
    case QEvent::Destroy:
        m_isTracking = false;
        break;
    default:
        break;
    }
}

void clsTrackMouse::hoverTimeUp()
{
    if (!m_trackObject || !m_isTracking)
        return;
    // The rest counts only where the pointer is on the window (or on what lies inside it).
    const QWidget *under = QApplication::widgetAt(QCursor::pos());
    if (under && (under == m_trackObject || m_trackObject->isAncestorOf(under)))
        Q_EMIT MouseOver();
}

} // namespace zimbrel
