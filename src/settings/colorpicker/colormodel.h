#pragma once
// The colour picker's colour model: hue on a circle of 1530 steps (six sectors of 255), saturation
// and luminance 0..255, where luminance is the largest of the three channels (the hue, saturation,
// value model; the boxes call it brightness). These are the pure conversions; the picker's state
// and boxes are kept by ColorPickerCore.

#include <QString>
#include <QtGlobal>

namespace zimbrel::picker {

// A colour as 0x00BBGGRR: red in the lowest byte.
using ColorValue = quint32;

// What reading a pixel outside an image gives (-1 as a 32-bit value).
inline constexpr ColorValue kNoPixel = 0xFFFFFFFFu;

inline constexpr int kHueSteps = 1530;
inline constexpr int kSectorSteps = 255;

constexpr ColorValue rgbValue(int red, int green, int blue)
{
    return ColorValue(red) | ColorValue(green) << 8 | ColorValue(blue) << 16;
}
constexpr int redOf(ColorValue c) { return int(c & 0xFF); }
constexpr int greenOf(ColorValue c) { return int((c >> 8) & 0xFF); }
constexpr int blueOf(ColorValue c) { return int((c >> 16) & 0xFF); }

// The nearest whole number, halves to even.
int wholeNumber(double value);

// A colour from three channel values, each taken to the nearest whole number and kept within
// 0..255 (a value above 255 counts as 255, one below 0 as 0).
ColorValue composeRgb(double red, double green, double blue);

struct Rgb
{
    int red = 0;
    int green = 0;
    int blue = 0;
    ColorValue value() const { return rgbValue(red, green, blue); }
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

inline bool isHueAngle(int angle) { return angle >= 0 && angle <= kHueSteps; }

// Hue angle 0..1530, saturation and luminance 0..255 to red, green, blue. An angle outside the
// circle gives black (the caller reports it).
Rgb hslToRgb(int angle, int saturation, int luminance);

// Everything a conversion from red, green, blue yields.
struct HslFromRgb
{
    float rawHueDegrees = 0;    // before rounding, single precision
    int hueDegrees = 0;         // round(raw)
    int angle = 0;              // round(raw x 4.25), the hue in steps
    int saturationPercent = 0;
    int luminancePercent = 0;
    int saturation = 0;         // 0..255; 0 for black
    int luminance = 0;          // the largest channel
    bool black = false;         // the largest channel is 0
};
HslFromRgb rgbToHsl(ColorValue color);

// Six upper-case hex digits, red first (RRGGBB), always six.
QString hexText(int red, int green, int blue);

// The hue angle for a field column or strip row value (the painters' segments of 42 and 43
// pixels over six sectors): hue = round((i - 1) x 254 / (n - 1) + base).
int segmentHue(int i, int n, int base);

} // namespace zimbrel::picker
