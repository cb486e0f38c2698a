#pragma once
// The colour picker's current colour and its painting: the conversions that keep the boxes,
// the hex text and the new-colour swatch in step, the colour field with its marker ring, the
// slider strip and its triangles. The dialog owns one of these and wires its widgets to it; the
// routines keep the names the dialog's handlers know them by.

#include "colormodel.h"
#include "painters.h"
#include "pickercontrols.h"
#include "pixelcanvas.h"

#include <array>
#include <optional>

namespace zimbrel::picker {

struct HSLColor
{
    qint16 intHueDegrees = 0;
    quint8 bteSaturationPercent = 0;
    quint8 bteLuminancePercent = 0;
    friend bool operator==(const HSLColor &, const HSLColor &) = default;
};

class ColorPickerCore
{
public:
    explicit ColorPickerCore(PickerControls &controls);

    PickerControls &controls() { return m_controls; }

    // The current colour: hue 0..1530, saturation and luminance 0..255.
    int mIntSystemColorAngle = 0;
    int mBteSaturation = 0;
    int mBteLuminance = 0;
    // The channels of the most recent conversion (painters convert too), not a stable copy.
    float mSngRed = 0;
    float mSngGreen = 0;
    float mSngBlue = 0;

    // The marker ring on the field and the pixels saved from under it, element [i][j] holding
    // the pixel at (mIntMarkerX - 5 + i, mIntMarkerY - 5 + j).
    bool mBlnMarkerShown = false;
    qint16 mIntMarkerX = 0;
    qint16 mIntMarkerY = 0;
    std::array<std::array<ColorValue, 12>, 12> mLngMarkerBackground{};
    bool mBlnBigBoxReady = false;

    PixelCanvas picBigBox{kFieldSize, kFieldSize};
    PixelCanvas picThinBox{kStripVisibleColumns, kStripRows};

    // Colour model. With `blnUpdateTextBoxes` the result becomes the current colour and every box,
    // the hex text and the new swatch show it. An angle outside 0..1530 is reported and gives black.
    ColorValue HSLToRGB(int intLocalColorAngle, int Saturation, int Luminance, bool blnUpdateTextBoxes);
    // Sets hue, and with `update` saturation, luminance, the hue, saturation, brightness and hex
    // boxes from a colour; leaves the red, green and blue boxes and the swatch alone.
    HSLColor RGBToHSL(ColorValue color, bool update);
    // The new swatch's red, green and blue into the last-converted channels and boxes 3..5.
    void SplitlblNewColorToRGBboxes();

    // Colour field.
    void picBigBox_Colorize();
    void Bigbox3D();
    void RainBowBigbox(bool blnFadeToGrey, bool blnFadeToBlack);
    // The channel painters read their fixed channel from a box; false (nothing painted) when the
    // box holds no number.
    bool opt3RedPaintPicBigBox();
    bool opt4GreenPaintPicBigBox();
    bool opt5BluePaintPicBigBox();
    void BigBoxOpt3Reaction(int x, int y);
    void BigBoxOpt4Reaction(int x, int y);
    void BigBoxOpt5Reaction(int x, int y);
    void SampleMarkerBackground();
    void PaintMarker(int x, int y);
    void EraseMarker();

    // Slider strip and triangles.
    void PaintPicThinBox(int index);
    void RainBowThinBox();
    void FadeThinBoxToGrey();
    void FadeThinBoxToBlack();
    void opt3RedPaintPicThinBox(double green, double blue);
    void opt4GreenPaintPicThinBox(double red, double blue);
    void opt5BluePaintPicThinBox(double red, double green);
    void MoveArrows(double row);
    void PositionArrows();
    void NudgeHueValue(int intDirektion);

    // The number a box holds, read as the user's locale reads numbers; nothing when it holds none.
    std::optional<double> boxNumber(int index) const;

private:
    void keepLastConversion(const Rgb &rgb);
    bool paintChannelField(Channel channel, int box);
    void pickReaction(int x, int y, Channel channel);
    void paintChannelStripFor(Channel varying, double first, double second);

    PickerControls &m_controls;
};

} // namespace zimbrel::picker
