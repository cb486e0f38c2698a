#include "colormodel.h"

#include "platform/numerics.h"

#include <algorithm>

namespace zimbrel::picker {

int wholeNumber(double value)
{
    return int(roundHalfEven(value));
}

ColorValue composeRgb(double red, double green, double blue)
{
    auto channel = [](double v) { return std::clamp(wholeNumber(std::clamp(v, -1.0, 256.0)), 0, 255); };
    return rgbValue(channel(red), channel(green), channel(blue));
}

Rgb hslToRgb(int angle, int saturation, int luminance)
{
    if (!isHueAngle(angle))
        return {};
    const int max = luminance;
    const int min = wholeNumber(double((255 - saturation) * luminance) / 255.0);
    const float step = float(double(max - min) / 255.0);
    // One rounding of the single-precision sum; k counts from the start of the sector.
    auto rising = [&](int k) { return wholeNumber(double(float(min) + float(k) * step)); };
    auto falling = [&](int k) { return wholeNumber(double(float(max) - float(k) * step)); };
    if (angle <= 255)
        return {max, rising(angle), min};
    if (angle <= 510)
        return {falling(angle - 255), max, min};
    if (angle <= 765)
        return {min, max, rising(angle - 510)};
    if (angle <= 1020)
        return {min, falling(angle - 765), max};
    if (angle <= 1275)
        return {rising(angle - 1020), min, max};
    return {max, min, falling(angle - 1275)};
}

HslFromRgb rgbToHsl(ColorValue color)
{
    const int r = redOf(color);
    const int g = greenOf(color);
    const int b = blueOf(color);
    int max = r > g ? r : g;
    int min = r > g ? g : r;
    if (b > max)
        max = b;
    else if (b < min)
        min = b;
    const int diff = max - min;

    HslFromRgb hsl;
    hsl.luminance = max;
    hsl.luminancePercent = wholeNumber(double(max) / 255.0 * 100.0);
    hsl.black = max == 0;
    if (max != 0) {
        hsl.saturationPercent = wholeNumber(double(diff) * 100.0 / double(max));
        hsl.saturation = wholeNumber(double(diff) * 255.0 / double(max));
    }
    const float k = diff == 0 ? 0.0f : float(60.0 / double(diff));
    // Equal channels go to red first, then green.
    float h;
    if (max == r)
        h = g < b ? k * float(g - b) + 360.0f : k * float(g - b);
    else if (max == g)
        h = k * float(b - r) + 120.0f;
    else
        h = k * float(r - g) + 240.0f;
    hsl.rawHueDegrees = h;
    hsl.hueDegrees = wholeNumber(h);
    hsl.angle = wholeNumber(double(h) * 4.25);
    return hsl;
}

QString hexText(int red, int green, int blue)
{
    const QString digits = QString::number(red * 65536 + green * 256 + blue, 16).toUpper();
    return (QStringLiteral("00000") + digits).right(6);
}

int segmentHue(int i, int n, int base)
{
    return wholeNumber(double((i - 1) * 254) / double(n - 1) + base);
}

} // namespace zimbrel::picker
