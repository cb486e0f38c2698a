#pragma once
// The one colour type of the programs: a colour as the Windows drawing calls keep it,
// 0x00BBGGRR, red in the lowest byte. Settings, property bags, the button's look and the colour
// picker all store colours this way, so this is the only place that knows the layout.

#include <QColor>
#include <QtGlobal>

namespace zimbrel {

using BgrColor = quint32;

// What reading a pixel outside an image gives: -1 as a 32-bit value, which no colour is.
inline constexpr BgrColor kNoPixel = 0xFFFFFFFFu;

constexpr BgrColor bgr(int red, int green, int blue)
{
    return BgrColor(red) | BgrColor(green) << 8 | BgrColor(blue) << 16;
}

constexpr int redOf(BgrColor c)
{
    return int(c & 0xFF);
}
constexpr int greenOf(BgrColor c)
{
    return int((c >> 8) & 0xFF);
}
constexpr int blueOf(BgrColor c)
{
    return int((c >> 16) & 0xFF);
}

// To and from Qt's 0xAARRGGBB (opaque; Qt's alpha is dropped).
constexpr QRgb toQRgb(BgrColor c)
{
    return qRgb(redOf(c), greenOf(c), blueOf(c));
}
constexpr BgrColor fromQRgb(QRgb p)
{
    return bgr(qRed(p), qGreen(p), qBlue(p));
}
inline QColor toQColor(BgrColor c)
{
    return QColor::fromRgb(toQRgb(c));
}

} // namespace zimbrel
