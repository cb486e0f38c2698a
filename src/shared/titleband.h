#pragma once
// The band the windows without a title bar draw at their top, so that it looks like one:
// 2560 pixels wide, one colour a row.

#include <QImage>
#include <span>

namespace zimbrel {

QImage titleBandImage(std::span<const QRgb> rowColors);

} // namespace zimbrel
