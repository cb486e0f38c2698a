#include "titleband.h"

#include <algorithm>

namespace zimbrel {

QImage titleBandImage(std::span<const QRgb> rowColors)
{
    QImage band(2560, int(rowColors.size()), QImage::Format_RGB32);
    for (int y = 0; y < band.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb *>(band.scanLine(y)), band.width(), 0xFF000000u | rowColors[y]);
    return band;
}

} // namespace zimbrel
