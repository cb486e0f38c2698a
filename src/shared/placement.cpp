#include "placement.h"

#include <QGuiApplication>

#include "platform/numerics.h"
#include "platform/twips.h"
#include "platform/userstore.h"
#include "platform/windowmove.h"

#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace zimbrel {
namespace {

// X11 window coordinates are 16-bit; a larger stored value is pinned rather than wrapped.
constexpr double kMinCoordinate = -32768;
constexpr double kMaxCoordinate = 32767;

int twipsToPixels(float twips)
{
    return int(std::clamp(roundHalfEven(double(twips) / kTwipsPerPixel), kMinCoordinate, kMaxCoordinate));
}

QString storeKey(const char *key)
{
    return QString::fromLatin1(key);
}

} // namespace

QPoint positionFromStore(const QString &x, const QString &y, QSize outer, QSize screen)
{
    if (!x.isEmpty()) {
        const auto left = float(leadingNumber(x));
        const auto top = float(leadingNumber(y));
        return {twipsToPixels(left), twipsToPixels(top)};
    }
    // Centred, computed in twips as single-precision values like every window coordinate.
    const float left = (float(screen.width() * kTwipsPerPixel) - float(outer.width() * kTwipsPerPixel)) / 2;
    const float top = (float(screen.height() * kTwipsPerPixel) - float(outer.height() * kTwipsPerPixel)) / 2;
    return {twipsToPixels(left), twipsToPixels(top)};
}

void RestorePosition(QWidget *window)
{
    const QString app = storeKey(kPositionApplication);
    const QString section = storeKey(kPositionSection);
    const QString x = GetSetting(app, section, QStringLiteral("x"));
    const QString y = x.isEmpty() ? QString() : GetSetting(app, section, QStringLiteral("y"));
    const QRect screen = primaryScreenPixels();
    const QSize outer = window->frameGeometry().size();
    window->move(screen.topLeft() + positionFromStore(x, y, outer, screen.size()));
}

bool hasStoredPosition()
{
    return !GetSetting(storeKey(kPositionApplication), storeKey(kPositionSection), QStringLiteral("x")).isEmpty();
}

void storePosition(const QWidget *window)
{
    // A native Wayland client never learns where its window is (every window reports 0,0), so
    // it stores nothing rather than a place the user did not choose.
    if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland")))
        return;
    const QPoint place = window->frameGeometry().topLeft() - primaryScreenPixels().topLeft();
    const QString app = storeKey(kPositionApplication);
    const QString section = storeKey(kPositionSection);
    SaveSetting(app, section, QStringLiteral("x"), singleToText(float(place.x() * kTwipsPerPixel)));
    SaveSetting(app, section, QStringLiteral("y"), singleToText(float(place.y() * kTwipsPerPixel)));
}

void DragForm(QWidget *window, QPoint grab, QPoint pointer, std::function<void()> finished)
{
    moveWindowWithMouse(window, grab, pointer, std::move(finished));
}

void DragSurface::pressed(const QMouseEvent *event)
{
    m_armed = event->button() == Qt::LeftButton;
    m_grab = event->globalPosition().toPoint();
}

void DragSurface::moved(QWidget *window, const QMouseEvent *event, std::function<void()> finished)
{
    if (!m_armed || event->buttons() != Qt::LeftButton)
        return;
    m_armed = false;
    DragForm(window, m_grab, event->globalPosition().toPoint(), std::move(finished));
}

} // namespace zimbrel
