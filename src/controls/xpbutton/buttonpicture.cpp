#include "buttonpicture.h"

#include "platform/gdicanvas.h"
#include "platform/numerics.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QRegularExpression>

namespace zimbrel {

int himetricToPixels(int himetric)
{
    return int(roundHalfEven(double(himetric) * 96.0 / 2540.0));
}

int pixelsToHimetric(int pixels)
{
    return int(roundHalfEven(double(pixels) * 2540.0 / 96.0));
}

ButtonPicture::ButtonPicture(const QImage &image, Type type)
    : m_image(image.convertToFormat(QImage::Format_ARGB32))
    , m_type(type)
    , m_widthHimetric(pixelsToHimetric(image.width()))
    , m_heightHimetric(pixelsToHimetric(image.height()))
{ }

PicturePtr ButtonPicture::load(const QString &path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    const bool icon = reader.format().toLower() == "ico" || image.hasAlphaChannel();
    return std::make_shared<const ButtonPicture>(image, icon ? Icon : Bitmap);
}

QImage ButtonPicture::opaque(BgrColor maskColor) const
{
    QImage result(m_image.size(), QImage::Format_RGB32);
    if (m_type == Bitmap) {
        // A bitmap has no transparency of its own.
        result = m_image.convertToFormat(QImage::Format_RGB32);
        return result;
    }
    result.fill(toQRgb(maskColor));
    QPainter painter(&result);
    painter.drawImage(0, 0, m_image);
    return result;
}

QString ButtonPicture::toText() const
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    m_image.save(&buffer, "PNG");
    return QStringLiteral("picture(%1, %2, %3, \"%4\")")
        .arg(int(m_type))
        .arg(m_widthHimetric)
        .arg(m_heightHimetric)
        .arg(QString::fromLatin1(png.toBase64()));
}

PicturePtr ButtonPicture::fromText(const QString &text)
{
    static const QRegularExpression form(
        QStringLiteral("^picture\\((\\d+),\\s*(\\d+),\\s*(\\d+),\\s*\"([A-Za-z0-9+/=]*)\"\\)$"));
    const auto match = form.match(text.trimmed());
    if (!match.hasMatch())
        return {};
    QImage image;
    if (!image.loadFromData(QByteArray::fromBase64(match.captured(4).toLatin1()), "PNG"))
        return {};
    auto picture = std::make_shared<ButtonPicture>(image, match.captured(1).toInt() == Icon ? Icon : Bitmap);
    picture->m_widthHimetric = match.captured(2).toInt();
    picture->m_heightHimetric = match.captured(3).toInt();
    return picture;
}

void PaintTransparentPicture(QImage &surface, int x, int y, int w, int h, const ButtonPicture &picture,
                             BgrColor transparent, qint64 brush, bool grey, bool useMaskColor, BgrColor maskColor)
{
    if (w <= 0 || h <= 0)
        return;
    const QImage source = picture.opaque(maskColor);
    const QRgb silhouette = brush > 0 ? toQRgb(BgrColor(brush)) : qRgb(0, 0, 0);
    const QRgb transparentRgb = toQRgb(transparent);
    // Pictures keep their own pixels: on a HiDPI surface each covers its block of device pixels.
    GdiCanvas canvas(surface);
    for (int row = 0; row < h; ++row) {
        for (int col = 0; col < w; ++col) {
            // Beyond the picture's own pixels the source reads black.
            const QRgb c = source.rect().contains(col, row) ? (source.pixel(col, row) | 0xFF000000u) : qRgb(0, 0, 0);
            // On a true-colour surface the nearest colour is the colour itself.
            if (useMaskColor && (c & 0xFFFFFF) == (transparentRgb & 0xFFFFFF))
                continue;
            QRgb out = silhouette;
            if (brush < 0) {
                if (grey) {
                    const int g = int(roundHalfEven(roundHalfEven(qRed(c) * 0.3) + qGreen(c) * 0.59 + qBlue(c) * 0.11));
                    out = qRgb(g, g, g);
                } else {
                    out = c;
                }
            }
            canvas.setPixel(x + col, y + row, fromQRgb(out));
        }
    }
}

} // namespace zimbrel
