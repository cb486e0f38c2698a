#include "pixelcanvas.h"

namespace zimbrel::picker {

PixelCanvas::PixelCanvas(int width, int height)
    : m_image(width, height, QImage::Format_RGB32)
{
    m_image.fill(Qt::white);
}

void PixelCanvas::fill(BgrColor color)
{
    m_image.fill(toQRgb(color));
}

} // namespace zimbrel::picker
