#include "titleband.h"

#include <algorithm>
#include <array>

namespace zimbrel {
namespace {

// Rows 2 to 28, top to bottom.
constexpr std::array<QRgb, 27> kLowerRows = {
    0xDADCDF, 0xD4D6DA, 0xCFD1D5, 0xCACDD1, 0xBAC1CA, 0xBAC1CA, 0xBAC2CB, 0xBCC4CC, 0xBFC6CE,
    0xC3C9D1, 0xC3C9D1, 0xC7CCD3, 0xCBD0D6, 0xCFD3D9, 0xD3D7DC, 0xD7DADF, 0xD7DADF, 0xDADDE1,
    0xDDE0E4, 0xE1E3E7, 0xE5E8ED, 0xE5E8ED, 0xE8EBF2, 0xE9EEF6, 0xE9EEF7, 0xACAFB7, 0xD0D4DD,
};

} // namespace

QImage titleBandImage(QRgb firstRow, QRgb secondRow)
{
    QImage band(2560, int(kLowerRows.size()) + 2, QImage::Format_RGB32);
    for (int y = 0; y < band.height(); ++y) {
        const QRgb color = y == 0 ? firstRow : y == 1 ? secondRow : kLowerRows[size_t(y - 2)];
        std::fill_n(reinterpret_cast<QRgb *>(band.scanLine(y)), band.width(), 0xFF000000u | color);
    }
    return band;
}

} // namespace zimbrel
