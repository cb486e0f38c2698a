#include "windowmove.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <optional>

#include <xcb/xcb.h>

namespace zimbrel {
namespace {

constexpr char kMoverName[] = "zimbrel-window-mover";

// Whether the first mouse button is down, asked of the X server itself: while the window manager
// runs its move loop, it holds the pointer and this process sees no mouse events at all.
std::optional<bool> x11LeftButtonDown()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection())
        return std::nullopt;
    xcb_connection_t *connection = x11->connection();
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!screen)
        return std::nullopt;
    xcb_query_pointer_reply_t *reply =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, screen->root), nullptr);
    if (!reply)
        return std::nullopt;
    const bool down = reply->mask & XCB_BUTTON_MASK_1;
    free(reply);
    return down;
}

// One move of one window. It lives as a child of the window, so it goes away with it.
class Mover : public QObject
{
public:
    Mover(QWidget *window, QPoint grab, std::function<void()> finished)
        : QObject(window)
        , m_window(window)
        , m_finished(std::move(finished))
        , m_anchor(grab)
    {
        setObjectName(QString::fromLatin1(kMoverName));
    }

    void start(QPoint pointer)
    {
        QWindow *handle = m_window->windowHandle();
        // A window the window manager does not manage is moved by no one but itself.
        const bool managed = !(m_window->windowFlags() & Qt::X11BypassWindowManagerHint);
        if (handle && managed && handle->startSystemMove()) {
            // The window manager moves the window; watch for the release of the button.
            if (x11LeftButtonDown()) {
                connect(&m_poll, &QTimer::timeout, this, [this] { pollSystemMove(); });
                m_poll.start(kPollMs);
            } else {
                // Elsewhere (Wayland) the move ends with the next mouse event we are given.
                m_waitForAnyMouseEvent = true;
                qApp->installEventFilter(this);
            }
            return;
        }
        m_origin = m_window->pos();
        // Motion events are compressed, so the one that started the move may be the last before
        // the release: catch up with it at once.
        follow(pointer);
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        const bool mouse =
            type == QEvent::MouseMove || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease;
        if (m_waitForAnyMouseEvent) {
            if (mouse || type == QEvent::Enter)
                finish();
            return false;
        }
        if (!mouse)
            return false;
        const auto *mouseEvent = static_cast<QMouseEvent *>(event);
        const QPoint at = mouseEvent->globalPosition().toPoint();
        if (mouseEvent->buttons() & Qt::LeftButton) {
            if (type == QEvent::MouseMove)
                follow(at);
        } else {
            // The release ends the move where it happened; a release we never saw (let go
            // outside our windows) ends it at the next motion without the button.
            if (type == QEvent::MouseButtonRelease)
                follow(at);
            finish();
        }
        return false;
    }

private:
    static constexpr int kPollMs = 15;
    // After the release the window manager's last notice of the window's place may still be on
    // its way: the move ends once the place has held still for a few polls.
    static constexpr int kSettlePolls = 4;
    static constexpr int kMaxSettlePolls = 40;

    void pollSystemMove()
    {
        if (!m_released) {
            const auto down = x11LeftButtonDown();
            if (down && *down)
                return;
            m_released = true;
            m_lastPos = m_window ? m_window->pos() : QPoint();
        }
        ++m_settlePolls;
        const QPoint now = m_window ? m_window->pos() : QPoint();
        m_stillPolls = now == m_lastPos ? m_stillPolls + 1 : 0;
        m_lastPos = now;
        if (!m_window || m_stillPolls >= kSettlePolls || m_settlePolls >= kMaxSettlePolls)
            finish();
    }

    void follow(QPoint pointer)
    {
        if (m_window)
            m_window->move(m_origin + (pointer - m_anchor));
    }

    void finish()
    {
        if (m_done)
            return;
        m_done = true;
        m_poll.stop();
        qApp->removeEventFilter(this);
        setObjectName(QString());
        auto finished = std::move(m_finished);
        deleteLater();
        if (finished)
            finished();
    }

    QPointer<QWidget> m_window;
    std::function<void()> m_finished;
    QPoint m_anchor;
    QTimer m_poll;
    QPoint m_origin;
    bool m_waitForAnyMouseEvent = false;
    bool m_done = false;
    bool m_released = false;
    QPoint m_lastPos;
    int m_settlePolls = 0;
    int m_stillPolls = 0;
};

} // namespace

bool isWindowMoving(const QWidget *window)
{
    return window && window->findChild<QObject *>(QString::fromLatin1(kMoverName), Qt::FindDirectChildrenOnly);
}

void moveWindowWithMouse(QWidget *window, QPoint grab, QPoint pointer, std::function<void()> finished)
{
    if (!window || isWindowMoving(window))
        return;
    (new Mover(window, grab, std::move(finished)))->start(pointer);
}

} // namespace zimbrel
