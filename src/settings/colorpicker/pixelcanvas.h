#pragma once
// A persistent drawing that is written and read one pixel at a time, as the picker's field and
// strip are. Positions outside the visible area read as kNoPixel and are not written, so a
// painter may run over the edge (the strip is painted 20 columns wide but shows 19).

#include "colormodel.h"

#include <QImage>

namespace zimbrel::picker {

class PixelCanvas
{
public:
    PixelCanvas(int width, int height);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width() && y < height(); }

    BgrColor pixel(int x, int y) const
    {
        return contains(x, y) ? fromQRgb(reinterpret_cast<const QRgb *>(m_image.constScanLine(y))[x]) : kNoPixel;
    }
    void setPixel(int x, int y, BgrColor color)
    {
        if (contains(x, y))
            reinterpret_cast<QRgb *>(m_image.scanLine(y))[x] = toQRgb(color);
    }
    void fill(BgrColor color);

    // The drawing as an image (for showing it, and for tests and screenshots).
    const QImage &image() const { return m_image; }

private:
    QImage m_image;
};

} // namespace zimbrel::picker
