#include "colormodel.h"

namespace zimbrel::picker {

HueSweep::HueSweep(int saturation, int luminance)
    : m_max(luminance)
    , m_min(wholeNumber(double((255 - saturation) * luminance) / 255.0))
    , m_step(float(double(m_max - m_min) / 255.0))
{ }

// One rounding of the single-precision sum; k counts from the start of the sector.
int HueSweep::rising(int k) const
{
    return wholeNumber(double(float(m_min) + float(k) * m_step));
}

int HueSweep::falling(int k) const
{
    return wholeNumber(double(float(m_max) - float(k) * m_step));
}

Rgb HueSweep::at(int angle) const
{
    if (!isHueAngle(angle))
        return {};
    if (angle <= 255)
        return {m_max, rising(angle), m_min};
    if (angle <= 510)
        return {falling(angle - 255), m_max, m_min};
    if (angle <= 765)
        return {m_min, m_max, rising(angle - 510)};
    if (angle <= 1020)
        return {m_min, falling(angle - 765), m_max};
    if (angle <= 1275)
        return {rising(angle - 1020), m_min, m_max};
    return {m_max, m_min, falling(angle - 1275)};
}

HslFromRgb rgbToHsl(BgrColor color)
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
