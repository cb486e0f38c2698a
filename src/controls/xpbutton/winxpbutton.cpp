#include "winxpbutton.h"

#include "platform/winkeys.h"

#include "platform/numerics.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QPainter>
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

Qt::CursorShape cursorShape(int pointer)
{
    switch (pointer) {
    case 2:
        return Qt::CrossCursor;
    case 3:
        return Qt::IBeamCursor;
    case 5:
    case 15:
        return Qt::SizeAllCursor;
    case 6:
        return Qt::SizeBDiagCursor;
    case 7:
        return Qt::SizeVerCursor;
    case 8:
        return Qt::SizeFDiagCursor;
    case 9:
        return Qt::SizeHorCursor;
    case 10:
        return Qt::UpArrowCursor;
    case 11:
        return Qt::WaitCursor;
    case 12:
        return Qt::ForbiddenCursor;
    case 13:
        return Qt::BusyCursor;
    case 14:
        return Qt::WhatsThisCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

WinXPButton::WinXPButton(QWidget *parent, ButtonContainer *container)
    : QWidget(parent)
{
    setContainer(container);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // A newly placed button is 320 x 240 until its form sizes it.
    resize(320, 240);
    m_overTimer.setInterval(3);
    connect(&m_overTimer, &QTimer::timeout, this, &WinXPButton::OverTimer_Timer);
    m_overTimer.start();
}

WinXPButton::~WinXPButton()
{
    m_redrawEnabled = false;
}

short WinXPButton::buttonValue(Qt::MouseButtons buttons)
{
    return short((buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0)
                 | (buttons & Qt::MiddleButton ? 4 : 0));
}

// --- Persistence -----------------------------------------------------------------------------

void WinXPButton::InitProperties()
{
    m_enabled = true;
    m_useMaskColor = true;
    ButtonContainer *const form = container();
    m_caption = form ? form->ambientDisplayName(this) : QString();
    SetAccessKeys();
    if (form)
        setFont(form->ambientFont());
    InitColors();
    m_transparentColor = bgr(192, 192, 192);
    m_palette.TransparentRGB = m_transparentColor;
    CalcCaptionRect();
}

void WinXPButton::ReadProperties(const PropertyBag &bag)
{
    m_caption = bag.ReadProperty(QStringLiteral("TX"), QString()).toString();
    m_enabled = bag.ReadProperty(QStringLiteral("ENAB"), true).toBool();
    const QVariant storedFont = bag.ReadProperty(QStringLiteral("FONT"), font());
    if (storedFont.canConvert<QFont>())
        setFont(storedFont.value<QFont>());
    // The icon first: pointer 99 shows it.
    const QVariant icon = bag.ReadProperty(QStringLiteral("MICON"));
    if (icon.canConvert<PicturePtr>() && icon.value<PicturePtr>())
        m_mouseIcon = QPixmap::fromImage(icon.value<PicturePtr>()->image());
    else
        m_mouseIcon = icon.value<QPixmap>();
    m_mousePointer = bag.ReadProperty(QStringLiteral("MPTR"), 0).toInt();
    if (m_mousePointer == 99 && !m_mouseIcon.isNull())
        setCursor(QCursor(m_mouseIcon));
    else
        setCursor(cursorShape(m_mousePointer));
    m_pictureNormal = bag.ReadProperty(QStringLiteral("PICN")).value<PicturePtr>();
    m_pictureOver = bag.ReadProperty(QStringLiteral("PICH")).value<PicturePtr>();
    m_useMaskColor = bag.ReadProperty(QStringLiteral("UMCOL"), true).toBool();
    m_picturePosition = bag.ReadProperty(QStringLiteral("PICPOS"), 0).toInt();
    m_useGreyscale = bag.ReadProperty(QStringLiteral("NGREY"), false).toBool();
    m_specialEffect = bag.ReadProperty(QStringLiteral("FX"), 0).toInt();
    QWidget::setEnabled(m_enabled);
    CalcPictureSize();
    CalcCaptionRect();
    SetAccessKeys();
}

void WinXPButton::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(QStringLiteral("TX"), m_caption);
    bag.WriteProperty(QStringLiteral("ENAB"), m_enabled);
    bag.WriteProperty(QStringLiteral("FONT"), font());
    bag.WriteProperty(QStringLiteral("MPTR"), QVariant::fromValue(short(m_mousePointer)));
    // Kept as a picture object, which the bag's text form can hold as well.
    bag.WriteProperty(QStringLiteral("MICON"),
                      m_mouseIcon.isNull() ? QVariant()
                                           : QVariant::fromValue(PicturePtr(std::make_shared<const ButtonPicture>(
                                               m_mouseIcon.toImage(), ButtonPicture::Icon))));
    bag.WriteProperty(QStringLiteral("PICN"), m_pictureNormal ? QVariant::fromValue(m_pictureNormal) : QVariant());
    bag.WriteProperty(QStringLiteral("PICH"), m_pictureOver ? QVariant::fromValue(m_pictureOver) : QVariant());
    bag.WriteProperty(QStringLiteral("UMCOL"), m_useMaskColor);
    bag.WriteProperty(QStringLiteral("PICPOS"), m_picturePosition);
    bag.WriteProperty(QStringLiteral("NGREY"), m_useGreyscale);
    bag.WriteProperty(QStringLiteral("FX"), m_specialEffect);
}

void WinXPButton::markChanged(const char *key)
{
    if (ButtonContainer *const form = container())
        form->propertyChanged(this, QString::fromLatin1(key));
}

// --- Properties ------------------------------------------------------------------------------

void WinXPButton::setCaption(const QString &caption)
{
    m_caption = caption;
    SetAccessKeys();
    CalcCaptionRect();
    DrawButton(xp::StateNormal, true);
    markChanged("TX");
}

void WinXPButton::setButtonEnabled(bool enabled)
{
    m_enabled = enabled;
    DrawButton(xp::StateNormal, true);
    QWidget::setEnabled(enabled);
    markChanged("ENAB");
}

void WinXPButton::applyFont(const QFont &newFont)
{
    setFont(newFont);
    CalcCaptionRect();
    DrawButton(xp::StateNormal, true);
}

void WinXPButton::setButtonFont(const QFont &newFont)
{
    applyFont(newFont);
    markChanged("FONT");
}

// The single font attributes redraw but are not marked: only "FONT" is stored.
void WinXPButton::setFontBold(bool bold)
{
    QFont f = font();
    f.setBold(bold);
    applyFont(f);
}

void WinXPButton::setFontItalic(bool italic)
{
    QFont f = font();
    f.setItalic(italic);
    applyFont(f);
}

void WinXPButton::setFontUnderline(bool underline)
{
    QFont f = font();
    f.setUnderline(underline);
    applyFont(f);
}

qint16 WinXPButton::FontSize() const
{
    return qint16(roundHalfEven(font().pointSizeF()));
}

void WinXPButton::setFontSize(double points)
{
    QFont f = font();
    if (points > 0)
        f.setPointSizeF(points);
    applyFont(f);
}

void WinXPButton::setFontName(const QString &name)
{
    QFont f = font();
    f.setFamilies({name});
    applyFont(f);
}

void WinXPButton::setMousePointer(int pointer)
{
    m_mousePointer = qint16(pointer);
    if (m_mousePointer == 99 && !m_mouseIcon.isNull())
        setCursor(QCursor(m_mouseIcon));
    else
        setCursor(cursorShape(m_mousePointer));
    markChanged("MPTR");
}

void WinXPButton::setMouseIcon(const QPixmap &icon)
{
    m_mouseIcon = icon;
    if (m_mousePointer == 99 && !icon.isNull())
        setCursor(QCursor(icon));
    markChanged("MICON");
}

void WinXPButton::setPictureNormal(PicturePtr picture)
{
    m_pictureNormal = std::move(picture);
    CalcPictureSize();
    CalcCaptionRect();
    DrawButton(m_lastState, true);
    markChanged("PICN");
}

void WinXPButton::setPictureOver(PicturePtr picture)
{
    m_pictureOver = std::move(picture);
    if (m_mouseIsOver)
        DrawButton(m_lastState, true);
    markChanged("PICO");
}

void WinXPButton::setPicturePosition(int position)
{
    m_picturePosition = position;
    markChanged("PICPOS");
    CalcCaptionRect();
    DrawButton(m_lastState, true);
}

void WinXPButton::setUseMaskColor(bool use)
{
    m_useMaskColor = use;
    if (m_pictureNormal)
        DrawButton(m_lastState, true);
    markChanged("UMCOL");
}

void WinXPButton::setUseGreyscale(bool use)
{
    m_useGreyscale = use;
    if (m_pictureNormal)
        DrawButton(m_lastState, true);
    markChanged("NGREY");
}

void WinXPButton::setSpecialEffect(int effect)
{
    m_specialEffect = effect;
    DrawButton(m_lastState, true);
    markChanged("FX");
}

void WinXPButton::DisableRefresh()
{
    m_redrawEnabled = false;
}

void WinXPButton::Refresh()
{
    InitColors();
    CalcCaptionRect();
    m_redrawEnabled = true;
    DrawButton(m_lastState, true);
}

// --- Drawing ---------------------------------------------------------------------------------

void WinXPButton::InitColors()
{
    m_palette = xp::InitColors(xp::TranslateColor(m_transparentColor));
}

void WinXPButton::CalcPictureSize()
{
    xp::CalcPictureSize(m_picture, m_pictureNormal.get());
}

void WinXPButton::CalcCaptionRect()
{
    m_captionRects = xp::CalcCaptionRect(m_buttonWidth, m_buttonHeight, m_picturePosition, m_picture.PictureWidth,
                                         m_picture.PictureHeight, m_caption, font(), m_captionRects.CaptionRectDown);
    xp::CalcPicturePos(m_picture, m_pictureNormal || m_pictureOver, m_caption, m_picturePosition,
                       m_captionRects.CaptionRect, m_buttonWidth, m_buttonHeight);
}

void WinXPButton::DrawButton(int state, bool force)
{
    if (m_buttonHeight == 0 || !m_redrawEnabled || (!force && m_caption == m_lastCaption && state == m_lastState))
        return;
    m_lastState = state;
    m_lastCaption = m_caption;
    xp::ButtonFace face;
    face.width = m_buttonWidth;
    face.height = m_buttonHeight;
    face.caption = m_caption;
    face.font = font();
    face.enabled = m_enabled;
    face.mouseOver = m_mouseIsOver;
    ButtonContainer *const form = container();
    face.focusRim = m_hasFocus || (form && form->ambientDisplayAsDefault(this));
    face.specialEffect = m_specialEffect;
    face.captionRects = m_captionRects;
    face.palette = m_palette;
    face.pictureNormal = m_pictureNormal;
    face.pictureOver = m_pictureOver;
    face.picturePosition = m_picturePosition;
    face.useMaskColor = m_useMaskColor;
    face.useGreyscale = m_useGreyscale;
    face.picture = m_picture;
    xp::renderButton(m_surface, face, state, &m_lastCaptionStyle);
    ++m_redraws;
    update();
}

void WinXPButton::refreshSurface()
{
    repaint();
}

void WinXPButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface);
}

void WinXPButton::resizeEvent(QResizeEvent *)
{
    m_buttonWidth = width();
    m_buttonHeight = height();
    m_surface = QImage(std::max(1, m_buttonWidth), std::max(1, m_buttonHeight), QImage::Format_RGB32);
    m_surface.fill(xp::kBackColor);
    CalcCaptionRect();
    setMask(xp::CreateButtonRegion(m_buttonWidth, m_buttonHeight));
    if (m_buttonHeight != 0)
        DrawButton(xp::StateNormal, true);
}

// --- Interaction -----------------------------------------------------------------------------

bool WinXPButton::IsMouseOver() const
{
    return isVisible() && QApplication::widgetAt(QCursor::pos()) == this;
}

void WinXPButton::UserControl_MouseDown(short Button, short Shift, float X, float Y)
{
    Q_EMIT
    MouseDown(Button, Shift, X, Y);
    m_lastButton = Button;
    if (Button != 2)
        DrawButton(xp::StatePressed, false);
}

void WinXPButton::UserControl_MouseMove(short Button, short Shift, float X, float Y)
{
    Q_EMIT
    MouseMove(Button, Shift, X, Y);
    if (Button != 0 && Button != 1)
        return;
    if (IsMouseOver()) {
        if (Button == 0 && !m_mouseIsOver) {
            m_overTimer.start();
            m_mouseIsOver = true;
            DrawButton(xp::StateNormal, true);
            Q_EMIT
            MouseOver();
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
    Q_EMIT
    MouseUp(Button, Shift, X, Y);
    if (Button != 2)
        DrawButton(xp::StateNormal, false);
}

void WinXPButton::UserControl_Click()
{
    if (m_lastButton != 1 || !m_enabled)
        return;
    DrawButton(xp::StateNormal, true);
    refreshSurface();
    Q_EMIT
    Click();
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
    Q_EMIT
    KeyDown(KeyCode, Shift);
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
    Q_EMIT
    KeyUp(KeyCode, Shift);
    if (m_lastKey == vk::Space && KeyCode == vk::Space) {
        DrawButton(xp::StateNormal, false);
        refreshSurface();
        Q_EMIT
        Click();
    }
}

void WinXPButton::OverTimer_Timer()
{
    if (IsMouseOver())
        return;
    m_overTimer.stop();
    m_mouseIsOver = false;
    DrawButton(xp::StateNormal, true);
    Q_EMIT
    MouseOut();
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
        Q_EMIT
        KeyPress(ascii);
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
