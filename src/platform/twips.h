#pragma once
// Window positions are stored in twips (15 to a pixel at 96 dpi), so a store written by the
// Windows programs, and one written here, mean the same place.

#include <QPoint>
#include <QRect>

namespace zimbrel {

inline constexpr int kTwipsPerPixel = 15;

// The primary screen in logical pixels (its origin is the origin stored positions refer to).
QRect primaryScreenPixels();

} // namespace zimbrel
