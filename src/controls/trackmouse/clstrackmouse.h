#pragma once
// clsTrackMouse: tells when the mouse pointer comes to rest on a window (MouseOver, after a
// millisecond without moving) and when it leaves it (MouseOut). Each mouse move over the window
// re-arms both, so every new rest raises MouseOver again.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QEvent;

namespace zimbrel {

class clsTrackMouse : public QObject
{
    Q_OBJECT
public:
    static constexpr int kHoverTimeMs = 1;

    explicit clsTrackMouse(QObject *parent = nullptr);
    ~clsTrackMouse() override;

    // Begins or re-arms tracking of TrackObject. Returns false, always.
    bool StartTracking();
    // Ends tracking and gives the window its own handling back. Returns false, always.
    bool StopTracking();

    QWidget *TrackObject() const { return m_trackObject; }
    // A window starts tracking it; null stops tracking.
    void setTrackObject(QWidget *window);

    bool IsTracking() const { return m_isTracking; }

    // Called by the shared handler for every event of the tracked window.
    void HandleMessage(QEvent *event);

Q_SIGNALS:
    void MouseOver();
    void MouseOut();

private:
    void hoverTimeUp();

    QPointer<QWidget> m_trackObject;
    bool m_isTracking = false;
    // What the window had before tracking began: it only sends moves without a button when asked.
    bool m_prevMouseTracking = false;
    QTimer m_hover;
    bool m_leaveArmed = false;
    QMetaObject::Connection m_destroyedWatch;
};

} // namespace zimbrel
