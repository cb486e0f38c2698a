#include "gdicanvas.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace zimbrel {
namespace {

constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

} // namespace

int GdiCanvas::toDevice(int logical) const
{
    // Scale 1 (nearly every screen) is the drawing path of every redraw: no floating point there.
    return m_scale == 1.0 ? logical : int(std::floor(logical * m_scale + 1e-9));
}

QRect GdiCanvas::logicalBounds() const
{
    return QRect(0, 0, int(std::ceil(m_image.width() / m_scale - 1e-9)),
                 int(std::ceil(m_image.height() / m_scale - 1e-9)));
}

void GdiCanvas::fill(BgrColor color)
{
    m_image.fill(toQRgb(color));
}

void GdiCanvas::fillRect(int x, int y, int width, int height, BgrColor color)
{
    QRect logical = QRect(x, y, width, height).normalized();
    if (logical.isEmpty())
        return;
    // A logical pixel covers the device pixels from its own left edge to the next one's, so
    // neighbouring spans meet without a gap or an overlap at any scale.
    const QRect device(QPoint(toDevice(logical.left()), toDevice(logical.top())),
                       QPoint(toDevice(logical.right() + 1) - 1, toDevice(logical.bottom() + 1) - 1));
    const QRect area = device & m_image.rect();
    const QRgb value = toQRgb(color);
    for (int row = area.top(); row <= area.bottom(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(m_image.scanLine(row));
        std::fill(line + area.left(), line + area.right() + 1, value);
    }
}

void GdiCanvas::frameRect(int x, int y, int width, int height, BgrColor color)
{
    if (width <= 0 || height <= 0)
        return;
    fillRect(x, y, width, 1, color);
    fillRect(x, y + height - 1, width, 1, color);
    fillRect(x, y, 1, height, color);
    fillRect(x + width - 1, y, 1, height, color);
}

void GdiCanvas::line(int x1, int y1, int x2, int y2, BgrColor color)
{
    // Straight lines, which are nearly all the controls draw, as spans.
    if (y1 == y2) {
        if (x1 != x2)
            fillRect(x1 < x2 ? x1 : x2 + 1, y1, std::abs(x2 - x1), 1, color);
        return;
    }
    if (x1 == x2) {
        fillRect(x1, y1 < y2 ? y1 : y2 + 1, 1, std::abs(y2 - y1), color);
        return;
    }
    forEachLinePoint(x1, y1, x2, y2, [&](int x, int y) { setPixel(x, y, color); });
}

void GdiCanvas::forEachLinePoint(int x1, int y1, int x2, int y2, const std::function<void(int, int)> &point)
{
    // Bresenham from the start towards the end, stopping before the end point.
    const int dx = std::abs(x2 - x1);
    const int dy = -std::abs(y2 - y1);
    const int sx = x1 < x2 ? 1 : -1;
    const int sy = y1 < y2 ? 1 : -1;
    int error = dx + dy;
    int x = x1;
    int y = y1;
    while (x != x2 || y != y2) {
        point(x, y);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += sx;
        }
        if (twice <= dx) {
            error += dx;
            y += sy;
        }
    }
}

void GdiCanvas::setPixel(int x, int y, BgrColor color)
{
    if (m_scale == 1.0) {
        if (m_image.rect().contains(x, y))
            reinterpret_cast<QRgb *>(m_image.scanLine(y))[x] = toQRgb(color);
        return;
    }
    fillRect(x, y, 1, 1, color);
}

BgrColor GdiCanvas::pixel(int x, int y) const
{
    const QPoint device(toDevice(x), toDevice(y));
    if (!m_image.rect().contains(device))
        return kNoPixel;
    return fromQRgb(m_image.pixel(device));
}

void GdiCanvas::drawText(const GdiRect &rect, const QString &text, const QFont &font, BgrColor color)
{
    if (text.isEmpty())
        return;
    // DrawTextA paints whole pixels in the text colour; blended edges would wash out the one-pixel
    // reliefs drawn from the same text.
    QFont aliased = font;
    aliased.setStyleStrategy(QFont::NoAntialias);
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(aliased);
    painter.setPen(toQColor(color));
    painter.drawText(QRect(rect.left, rect.top, rect.width(), rect.height()), kTextFlags, text);
}

GdiRect GdiCanvas::measureText(const GdiRect &bounds, const QString &text, const QFont &font)
{
    if (text.isEmpty())
        return {bounds.left, bounds.top, bounds.left, bounds.top};
    QFont aliased = font;
    aliased.setStyleStrategy(QFont::NoAntialias);
    const QFontMetrics metrics(aliased);
    const QRect measured =
        metrics.boundingRect(QRect(bounds.left, bounds.top, std::max(bounds.width(), 1), 100000),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextShowMnemonic, text);
    return {bounds.left, bounds.top, bounds.left + measured.width(), bounds.top + measured.height()};
}

} // namespace zimbrel
