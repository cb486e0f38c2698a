#pragma once
// The band the windows without a title bar draw at their top, so that it looks like one:
// 2560 x 29 pixels, one colour a row, the blue-grey gradient of an XP caption.

#include <QImage>

namespace zimbrel {

// The band with its two top rows in the colours given: the editor and the colour picker differ
// only there.
QImage titleBandImage(QRgb firstRow, QRgb secondRow);

} // namespace zimbrel
