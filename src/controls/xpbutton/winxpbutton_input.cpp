// WinXPButton's interaction: the mouse, the keyboard, the focus and the hover timer turned into
// the button's states and notifications (Click, MouseDown, KeyDown, ...).

#include "winxpbutton.h"

#include "platform/winkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShortcutEvent>

namespace zimbrel {
namespace {

short shiftValue(Qt::KeyboardModifiers modifiers)
{
    return short((modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
                 | (modifiers & Qt::AltModifier ? 4 : 0));
}

// The Windows key code of a key, for the handlers that look at it.
short keyCode(const QKeyEvent *event)
{
    return short(windowsKeyCode(event->key(), event->modifiers()));
}

} // namespace

// --- Interaction -----------------------------------------------------------------------------

bool WinXPButton::IsMouseOver() const
{
    return isVisible() && QApplication::widgetAt(QCursor::pos()) == this;
}

void WinXPButton::UserControl_MouseDown(short Button, short Shift, float X, float Y)
{
    Q_EMIT MouseDown(Button, Shift, X, Y);
    m_lastButton = Button;
    if (Button != 2)
        DrawButton(xp::StatePressed, false);
}

void WinXPButton::UserControl_MouseMove(short Button, short Shift, float X, float Y)
{
    Q_EMIT MouseMove(Button, Shift, X, Y);
    if (Button != 0 && Button != 1)
        return;
    if (IsMouseOver()) {
        if (Button == 0 && !m_mouseIsOver) {
            m_overTimer.start();
            m_mouseIsOver = true;
            DrawButton(xp::StateNormal, true);
            Q_EMIT MouseOver();
        } else if (Button == 1) {
            // Held down inside: pressed, and no longer hot once the button comes up.
            m_mouseIsOver = true;
            DrawButton(xp::StatePressed, false);
            m_mouseIsOver = false;
        }
    } else {
        DrawButton(xp::StateNormal, false);
    }
}

void WinXPButton::UserControl_MouseUp(short Button, short Shift, float X, float Y)
{
    Q_EMIT MouseUp(Button, Shift, X, Y);
    if (Button != 2)
        DrawButton(xp::StateNormal, false);
}

void WinXPButton::UserControl_Click()
{
    if (m_lastButton != 1 || !m_enabled)
        return;
    DrawButton(xp::StateNormal, true);
    refreshSurface();
    Q_EMIT Click();
}

void WinXPButton::UserControl_DblClick()
{
    if (m_lastButton != 1)
        return;
    UserControl_MouseDown(1, 0, 0, 0);
    // The release that follows comes here (Qt keeps the mouse with the pressed widget) and
    // brings the up look back; it is no second click.
    m_afterDoubleClick = true;
}

void WinXPButton::UserControl_KeyDown(short KeyCode, short Shift)
{
    Q_EMIT KeyDown(KeyCode, Shift);
    m_lastKey = KeyCode & 0xFF;
    if (KeyCode == vk::Space) {
        DrawButton(xp::StatePressed, false);
    } else if (KeyCode == vk::Left || KeyCode == vk::Up || KeyCode == vk::Right || KeyCode == vk::Down) {
        // As a typed Tab or Shift+Tab would: after this key has been handled.
        const bool next = KeyCode == vk::Right || KeyCode == vk::Down;
        QMetaObject::invokeMethod(
            this, [this, next] { focusNextPrevChild(next); }, Qt::QueuedConnection);
    }
}

void WinXPButton::UserControl_KeyUp(short KeyCode, short Shift)
{
    Q_EMIT KeyUp(KeyCode, Shift);
    if (m_lastKey == vk::Space && KeyCode == vk::Space) {
        DrawButton(xp::StateNormal, false);
        refreshSurface();
        Q_EMIT Click();
    }
}

void WinXPButton::OverTimer_Timer()
{
    if (IsMouseOver())
        return;
    m_overTimer.stop();
    m_mouseIsOver = false;
    DrawButton(xp::StateNormal, true);
    Q_EMIT MouseOut();
}

void WinXPButton::AccessKeyPress(int)
{
    m_lastButton = 1;
    UserControl_Click();
}

void WinXPButton::AmbientChanged(const QString &)
{
    InitColors();
    DrawButton(m_lastState, true);
}

void WinXPButton::SetAccessKeys()
{
    m_accessKey.clear();
    if (m_shortcutId != 0) {
        releaseShortcut(m_shortcutId);
        m_shortcutId = 0;
    }
    const QString &c = m_caption;
    if (c.size() <= 1)
        return;
    qsizetype a = c.indexOf(u'&');
    if (a < 0 || a == c.size() - 1)
        return;
    if (c.at(a + 1) != u'&') {
        m_accessKey = c.at(a + 1).toLower();
    } else {
        // "&&" is a literal ampersand: the next single "&" marks the key, if any.
        const qsizetype next = c.indexOf(u'&', a + 2);
        if (next < 0)
            return;
        if (next + 1 < c.size() && c.at(next + 1) == u'&')
            return;
        m_accessKey = next + 1 < c.size() ? QString(c.at(next + 1).toLower()) : QString();
    }
    if (!m_accessKey.isEmpty() && !m_accessKey.at(0).isSpace())
        m_shortcutId = grabShortcut(QKeySequence(QStringLiteral("Alt+") + m_accessKey.toUpper()));
}

// --- Qt events to the button's notifications -------------------------------------------------

void WinXPButton::mousePressEvent(QMouseEvent *event)
{
    m_afterDoubleClick = false;
    const QPointF at = event->position();
    UserControl_MouseDown(buttonValue(event->button()), shiftValue(event->modifiers()), float(at.x()), float(at.y()));
}

void WinXPButton::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    UserControl_MouseMove(buttonValue(event->buttons()), shiftValue(event->modifiers()), float(at.x()), float(at.y()));
}

void WinXPButton::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    const QPointer<WinXPButton> alive(this);
    UserControl_MouseUp(buttonValue(event->button()), shiftValue(event->modifiers()), float(at.x()), float(at.y()));
    if (!alive)
        return;
    // A click is a press and a release over the button.
    const bool over = rect().contains(at.toPoint()) && (mask().isEmpty() || mask().contains(at.toPoint()));
    if (std::exchange(m_afterDoubleClick, false) || !over)
        return;
    UserControl_Click();
}

void WinXPButton::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        UserControl_DblClick();
    else
        mousePressEvent(event);
}

void WinXPButton::keyPressEvent(QKeyEvent *event)
{
    const short code = keyCode(event);
    // Enter and Escape are the form's (its default and cancel buttons).
    if (code == vk::Return || code == vk::Escape) {
        event->ignore();
        return;
    }
    const QPointer<WinXPButton> alive(this);
    UserControl_KeyDown(code, shiftValue(event->modifiers()));
    if (!alive)
        return;
    const QString text = event->text();
    if (text.size() == 1) {
        short ascii = short(text.at(0).unicode());
        Q_EMIT KeyPress(ascii);
    }
}

void WinXPButton::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    const short code = keyCode(event);
    if (code == vk::Return || code == vk::Escape) {
        event->ignore();
        return;
    }
    UserControl_KeyUp(code, shiftValue(event->modifiers()));
}

void WinXPButton::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    m_hasFocus = true;
    DrawButton(m_lastState, true);
}

void WinXPButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    m_hasFocus = false;
    DrawButton(m_lastState, true);
}

void WinXPButton::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_redrawEnabled = true;
    InitColors();
    DrawButton(xp::StateNormal, true);
}

void WinXPButton::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_redrawEnabled = false;
}

bool WinXPButton::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        const auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (m_shortcutId != 0 && shortcut->shortcutId() == m_shortcutId) {
            AccessKeyPress(m_accessKey.isEmpty() ? 0 : m_accessKey.at(0).unicode());
            return true;
        }
    }
    return QWidget::event(event);
}

} // namespace zimbrel
