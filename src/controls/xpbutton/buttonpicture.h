#pragma once
// Pictures on the XP-style button: the picture object the button keeps (its pixels, whether it is
// a bitmap or an icon, and its size in HIMETRIC, hundredths of a millimetre), and the painting of
// it pixel by pixel with a transparent colour, in grey, or as a one-colour silhouette for the relief.

#include "platform/gdicanvas.h"

#include <QImage>
#include <QMetaType>
#include <QString>
#include <memory>

namespace zimbrel {

class ButtonPicture
{
public:
    enum Type { Bitmap = 1, Icon = 3 };

    ButtonPicture() = default;
    // A picture of `image`; an icon's transparent parts take `maskColor` when it is painted.
    ButtonPicture(const QImage &image, Type type);

    // Reads a picture through Qt's image readers (PNG, BMP, ICO, ...). ICO files, and images with
    // transparency, become icons; everything else a bitmap. Null when the file cannot be read.
    static std::shared_ptr<const ButtonPicture> load(const QString &path);

    Type type() const { return m_type; }
    int widthHimetric() const { return m_widthHimetric; }
    int heightHimetric() const { return m_heightHimetric; }
    const QImage &image() const { return m_image; }

    // The pixels as the button blits them: an icon drawn over `maskColor`, a bitmap as it is.
    QImage opaque(BgrColor maskColor) const;

    // A text form for property bags: picture(type, width, height, "base64 PNG").
    QString toText() const;
    static std::shared_ptr<const ButtonPicture> fromText(const QString &text);

private:
    QImage m_image;
    Type m_type = Bitmap;
    int m_widthHimetric = 0;
    int m_heightHimetric = 0;
};

using PicturePtr = std::shared_ptr<const ButtonPicture>;

// HIMETRIC to screen pixels at 96 dots per inch, halves to even.
int himetricToPixels(int himetric);
int pixelsToHimetric(int pixels);

// The blit: a w x h picture at (x, y) of `surface`. Pixels of the transparent colour are skipped
// when `useMaskColor`; the rest are copied, turned grey (0.3 red + 0.59 green + 0.11 blue), or,
// with a brush of 0 or more, painted in that one colour.
void PaintTransparentPicture(QImage &surface, int x, int y, int w, int h, const ButtonPicture &picture,
                             BgrColor transparent, qint64 brush, bool grey, bool useMaskColor, BgrColor maskColor);

} // namespace zimbrel

Q_DECLARE_METATYPE(zimbrel::PicturePtr)
