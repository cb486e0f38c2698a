#include "winxpbutton.h"

#include "platform/numerics.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>

#include <cmath>

namespace zimbrel {
namespace {

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
    installAccessibility();
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
    // At the screen's own density, so the caption is as sharp as the labels beside it.
    if (m_surface.devicePixelRatio() != devicePixelRatioF())
        makeSurface();
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
    // Moved to a screen of another density: drawn again for it before it is shown.
    if (m_surface.devicePixelRatio() != devicePixelRatioF() && m_buttonHeight != 0)
        DrawButton(m_lastState, true);
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface);
}

void WinXPButton::makeSurface()
{
    const qreal ratio = devicePixelRatioF();
    m_surface = QImage(int(std::ceil(std::max(1, m_buttonWidth) * ratio)),
                       int(std::ceil(std::max(1, m_buttonHeight) * ratio)), QImage::Format_RGB32);
    m_surface.setDevicePixelRatio(ratio);
    m_surface.fill(xp::kBackColor);
}

void WinXPButton::resizeEvent(QResizeEvent *)
{
    m_buttonWidth = width();
    m_buttonHeight = height();
    makeSurface();
    CalcCaptionRect();
    setMask(xp::CreateButtonRegion(m_buttonWidth, m_buttonHeight));
    if (m_buttonHeight != 0)
        DrawButton(xp::StateNormal, true);
}

} // namespace zimbrel
