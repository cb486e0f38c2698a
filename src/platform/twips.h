#pragma once
// Window positions are stored in twips, as the stored values have always been.

#include <QPoint>
#include <QRect>

namespace zimbrel {

inline constexpr int kTwipsPerPixel = 15;

// The primary screen in logical pixels (its origin is the origin stored positions refer to).
QRect primaryScreenPixels();

} // namespace zimbrel
