#include "appicon.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace zimbrel {

QImage padlockImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const double u = size / 16.0;
    // Shackle: a grey arch over the body.
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 2 * u, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(QRectF(4 * u, 1 * u, 8 * u, 10 * u), 0, 180 * 16);
    p.drawLine(QPointF(4 * u, 6 * u), QPointF(4 * u, 8 * u));
    p.drawLine(QPointF(12 * u, 6 * u), QPointF(12 * u, 8 * u));
    // Body: yellow with a dark outline and a black keyhole.
    p.setPen(QPen(QColor(0x80, 0x80, 0x00), u));
    p.setBrush(QColor(0xFF, 0xFF, 0x00));
    p.drawRect(QRectF(2.5 * u, 7.5 * u, 11 * u, 8 * u));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(7 * u, 10 * u, 2 * u, 3 * u));
    p.end();
    return image;
}

QIcon appIcon()
{
    // Drawn once; a window asks for it each time it is made.
    static const QImage small = padlockImage(16);
    static const QImage large = padlockImage(32);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(small));
    icon.addPixmap(QPixmap::fromImage(large));
    return icon;
}

} // namespace zimbrel
