#pragma once
// The painters of the picker's colour field (256 x 256) and slider strip (painted 20 x 256, of
// which 19 columns show). They write pixels into a canvas and return the colour of their last
// conversion, which the picker keeps as its "last converted" channels.

#include "colormodel.h"
#include "pixelcanvas.h"

#include <array>

namespace zimbrel::picker {

inline constexpr int kFieldSize = 256;
inline constexpr int kStripColumns = 20;        // painted
inline constexpr int kStripVisibleColumns = 19; // shown; the twentieth is clipped
inline constexpr int kStripRows = 256;

enum class Channel { Red, Green, Blue };

// The hues of the 255 steps of a rainbow: six segments of 42, 43, 42, 43, 42, 43 steps spreading
// each sector's 255 hue steps (0..254, 255..509, ...). The 256th step, red again, is not included.
const std::array<int, 255> &rainbowHues();

// Hue mode: row 0 runs from saturation 0 to 255 at full luminance for `angle`; every column then
// fades linearly to black at the bottom.
Rgb paintHueField(PixelCanvas &field, int angle);

// Saturation and brightness modes: hue across, and down the rows luminance 255..0 (fadeToBlack)
// or saturation 255..0 (fadeToGrey); the coordinate not faded keeps `saturation` / `luminance`.
Rgb paintRainbowField(PixelCanvas &field, bool fadeToGrey, bool fadeToBlack, int saturation, int luminance);

// Channel modes: `fixed` channel at `value`; across x the blue (red mode, green mode) or red
// (blue mode) rising, down the rows green (red and blue mode) or red (green mode) falling.
void paintChannelField(PixelCanvas &field, Channel fixed, float value);

// Every column of the canvas (`columns` of them) fades from the colour in its row 0 down to black
// in the last row, in single-precision steps of a 255th of each channel.
void fadeColumnsToBlack(PixelCanvas &canvas, int columns);

// Hue mode strip: red at the bottom through the rainbow to red at the top.
Rgb paintRainbowStrip(PixelCanvas &strip);

// Saturation mode strip: saturation 255 at the top to 0 at the bottom.
Rgb paintSaturationStrip(PixelCanvas &strip, int angle, int luminance);

// Channel mode strips: `varying` runs 255 at the top to 0 at the bottom; the other two channels
// are `first` and `second` in the order red, green, blue, each taken to the nearest whole number.
void paintChannelStrip(PixelCanvas &strip, Channel varying, double first, double second);

// The marker ring: 11 x 11 pixels around its centre, 32 of them on the ring.
const std::array<QPoint, 32> &ringOffsets();
void paintWhiteRing(PixelCanvas &field, int x, int y);
// Replaces each field pixel under the ring by its bitwise complement.
void invertRing(PixelCanvas &field, int x, int y);

} // namespace zimbrel::picker
