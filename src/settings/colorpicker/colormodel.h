#pragma once
// The colour picker's colour model: hue on a circle of 1530 steps (six sectors of 255), saturation
// and luminance 0..255, where luminance is the largest of the three channels (the hue, saturation,
// value model; the boxes call it brightness). These are the pure conversions; the picker's state
// and boxes are kept by ColorPickerCore.

#include "platform/bgrcolor.h"
#include "platform/numerics.h"

#include <QString>
#include <QtGlobal>

namespace zimbrel::picker {

// Colours are the programs' own 0x00BBGGRR values.
using zimbrel::bgr;
using zimbrel::BgrColor;
using zimbrel::blueOf;
using zimbrel::greenOf;
using zimbrel::kNoPixel;
using zimbrel::redOf;

inline constexpr int kHueSteps = 1530;
inline constexpr int kSectorSteps = 255;

// The nearest whole number, halves to even.
inline int wholeNumber(double value)
{
    return int(roundHalfEven(value));
}

// A channel value taken to the nearest whole number and kept within 0..255 (above 255 counts as
// 255, below 0 as 0).
inline int channelByte(double value)
{
    if (!(value > 0))
        return 0;
    return value >= 255 ? 255 : wholeNumber(value);
}

// A colour from three channel values, each as channelByte takes it.
inline BgrColor composeRgb(double red, double green, double blue)
{
    return bgr(channelByte(red), channelByte(green), channelByte(blue));
}

struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    BgrColor value() const { return bgr(red, green, blue); }
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

inline bool isHueAngle(int angle)
{
    return angle >= 0 && angle <= kHueSteps;
}

// The colours of every hue at one saturation and luminance: the largest channel is the
// luminance, the smallest follows from the saturation, and the third rises or falls between them
// in single-precision steps across each sector. Painters that sweep the hue make one per row.
class HueSweep
{
public:
    HueSweep(int saturation, int luminance);
    // An angle outside 0..1530 gives black (the caller reports it).
    Rgb at(int angle) const;

private:
    int rising(int k) const;
    int falling(int k) const;

    int m_max;
    int m_min;
    float m_step;
};

// Hue angle 0..1530, saturation and luminance 0..255 to red, green, blue. An angle outside the
// circle gives black (the caller reports it).
inline Rgb hslToRgb(int angle, int saturation, int luminance)
{
    return HueSweep(saturation, luminance).at(angle);
}

// Everything a conversion from red, green, blue yields.
struct HslFromRgb
{
    float rawHueDegrees = 0; // before rounding, single precision
    int hueDegrees = 0;      // round(raw)
    int angle = 0;           // round(raw x 4.25), the hue in steps
    int saturationPercent = 0;
    int luminancePercent = 0;
    int saturation = 0; // 0..255; 0 for black
    int luminance = 0;  // the largest channel
    bool black = false; // the largest channel is 0
};
HslFromRgb rgbToHsl(BgrColor color);

// Six upper-case hex digits, red first (RRGGBB), always six.
QString hexText(int red, int green, int blue);

// The hue angle for a field column or strip row value (the painters' segments of 42 and 43
// pixels over six sectors): hue = round((i - 1) x 254 / (n - 1) + base).
int segmentHue(int i, int n, int base);

} // namespace zimbrel::picker
