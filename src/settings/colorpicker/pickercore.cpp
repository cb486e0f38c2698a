#include "pickercore.h"

#include "platform/messagebox.h"
#include "platform/numerics.h"

#include <algorithm>

namespace zimbrel::picker {

ColorPickerCore::ColorPickerCore(PickerControls &controls)
    : m_controls(controls)
{
}

std::optional<double> ColorPickerCore::boxNumber(int index) const
{
    return localeNumber(m_controls.numValue(index));
}

void ColorPickerCore::keepLastConversion(const Rgb &rgb)
{
    mSngRed = float(rgb.red);
    mSngGreen = float(rgb.green);
    mSngBlue = float(rgb.blue);
}

// --- Colour model ---------------------------------------------------------------------------

ColorValue ColorPickerCore::HSLToRGB(int intLocalColorAngle, int Saturation, int Luminance, bool blnUpdateTextBoxes)
{
    const int angle = intLocalColorAngle;
    if (!isHueAngle(angle)) {
        const QString number = angle >= 0 ? u' ' + QString::number(angle) : QString::number(angle);
        showMessage({QStringLiteral("Error occured in HSLToRGB. intSystemColorAngleMax1530= ") + number, {},
                     MessageIcon::None});
    }
    const Rgb rgb = hslToRgb(angle, Saturation, Luminance);
    keepLastConversion(rgb);
    const ColorValue color = rgb.value();
    if (!blnUpdateTextBoxes)
        return color;

    m_controls.setNumValue(0, QString::number(wholeNumber(double(angle) / 255.0 / 6.0 * 360.0)));
    m_controls.setNumValue(1, QString::number(wholeNumber(double(Saturation) / 255.0 * 100.0)));
    m_controls.setNumValue(2, QString::number(wholeNumber(double(Luminance) / 255.0 * 100.0)));
    m_controls.setNumValue(3, QString::number(rgb.red));
    m_controls.setNumValue(4, QString::number(rgb.green));
    m_controls.setNumValue(5, QString::number(rgb.blue));
    m_controls.setHexColor(hexText(rgb.red, rgb.green, rgb.blue));
    m_controls.setNewColor(color);
    mIntSystemColorAngle = angle;
    mBteSaturation = Saturation;
    mBteLuminance = Luminance;
    return color;
}

HSLColor ColorPickerCore::RGBToHSL(ColorValue color, bool update)
{
    const HslFromRgb hsl = rgbToHsl(color);
    mIntSystemColorAngle = hsl.angle;
    if (update) {
        m_controls.setHexColor(hexText(redOf(color), greenOf(color), blueOf(color)));
        // From the stored angle, not the raw hue: 10.5 degrees shows as 11 with a hue of 10.
        m_controls.setNumValue(0, QString::number(wholeNumber(double(mIntSystemColorAngle) / 1530.0 * 360.0)));
        if (!hsl.black) {
            mBteSaturation = hsl.saturation;
            m_controls.setNumValue(1, QString::number(hsl.saturationPercent));
        } else {
            mBteSaturation = 0;
        }
        mBteLuminance = hsl.luminance;
        m_controls.setNumValue(2, QString::number(hsl.luminancePercent));
    }
    return {qint16(hsl.hueDegrees), quint8(hsl.saturationPercent), quint8(hsl.luminancePercent)};
}

void ColorPickerCore::SplitlblNewColorToRGBboxes()
{
    const ColorValue color = m_controls.newColor();
    mSngRed = float(redOf(color));
    m_controls.setNumValue(3, QString::number(redOf(color)));
    mSngGreen = float(greenOf(color));
    m_controls.setNumValue(4, QString::number(greenOf(color)));
    mSngBlue = float(blueOf(color));
    m_controls.setNumValue(5, QString::number(blueOf(color)));
}

// --- Colour field ---------------------------------------------------------------------------

void ColorPickerCore::picBigBox_Colorize()
{
    m_controls.setBigBoxVisible(false);
    switch (m_controls.checkedOption()) {
    case HueMode:
        Bigbox3D();
        break;
    case SaturationMode:
        RainBowBigbox(false, true);
        break;
    case BrightnessMode:
        RainBowBigbox(true, false);
        break;
    case RedMode:
        opt3RedPaintPicBigBox();
        break;
    case GreenMode:
        opt4GreenPaintPicBigBox();
        break;
    case BlueMode:
        opt5BluePaintPicBigBox();
        break;
    default:
        break;
    }
    m_controls.setBigBoxVisible(true);
    m_controls.setThinBoxVisible(true);

    if (mBlnMarkerShown) {
        SampleMarkerBackground();
        PaintMarker(mIntMarkerX, mIntMarkerY);
        // The ring leaves its centre alone, so this is the field's own colour there.
        const ColorValue centre = picBigBox.pixel(mIntMarkerX, mIntMarkerY);
        if (centre != kNoPixel)
            m_controls.setNewColor(centre);
    }
    if (!mBlnBigBoxReady) {
        mBlnMarkerShown = true;
        switch (m_controls.checkedOption()) {
        case HueMode:
            mIntMarkerX = qint16(mBteSaturation);
            mIntMarkerY = qint16(255 - mBteLuminance);
            break;
        case SaturationMode:
            mIntMarkerX = qint16(wholeNumber(mIntSystemColorAngle / 6.0));
            mIntMarkerY = qint16(255 - mBteLuminance);
            break;
        case BrightnessMode:
            mIntMarkerX = qint16(wholeNumber(mIntSystemColorAngle / 6.0));
            mIntMarkerY = qint16(255 - mBteSaturation);
            break;
        default:
            break;
        }
        SampleMarkerBackground();
        PaintMarker(mIntMarkerX, mIntMarkerY);
        mBlnBigBoxReady = true;
    }
}

void ColorPickerCore::Bigbox3D()
{
    keepLastConversion(paintHueField(picBigBox, mIntSystemColorAngle));
    m_controls.pixelsChanged(PickerControl::BigBox);
}

void ColorPickerCore::RainBowBigbox(bool blnFadeToGrey, bool blnFadeToBlack)
{
    keepLastConversion(paintRainbowField(picBigBox, blnFadeToGrey, blnFadeToBlack, mBteSaturation, mBteLuminance));
    m_controls.pixelsChanged(PickerControl::BigBox);
}

bool ColorPickerCore::paintChannelField(Channel channel, int box)
{
    const std::optional<double> fixed = boxNumber(box);
    if (!fixed)
        return false;
    picker::paintChannelField(picBigBox, channel, float(*fixed));
    m_controls.pixelsChanged(PickerControl::BigBox);
    return true;
}

bool ColorPickerCore::opt3RedPaintPicBigBox()
{
    return paintChannelField(Channel::Red, 3);
}

bool ColorPickerCore::opt4GreenPaintPicBigBox()
{
    return paintChannelField(Channel::Green, 4);
}

bool ColorPickerCore::opt5BluePaintPicBigBox()
{
    return paintChannelField(Channel::Blue, 5);
}

void ColorPickerCore::pickReaction(int x, int y, Channel channel)
{
    const ColorValue picked = picBigBox.pixel(x, y);
    if (picked == kNoPixel)
        return;
    m_controls.setNewColor(picked);
    SplitlblNewColorToRGBboxes();
    switch (channel) {
    case Channel::Red:
        opt3RedPaintPicThinBox(mSngGreen, mSngBlue);
        break;
    case Channel::Green:
        opt4GreenPaintPicThinBox(mSngRed, mSngBlue);
        break;
    case Channel::Blue:
        opt5BluePaintPicThinBox(mSngRed, mSngGreen);
        break;
    }
    const auto red = boxNumber(3);
    const auto green = boxNumber(4);
    const auto blue = boxNumber(5);
    if (red && green && blue)
        RGBToHSL(composeRgb(*red, *green, *blue), true);
}

void ColorPickerCore::BigBoxOpt3Reaction(int x, int y)
{
    pickReaction(x, y, Channel::Red);
}

void ColorPickerCore::BigBoxOpt4Reaction(int x, int y)
{
    pickReaction(x, y, Channel::Green);
}

void ColorPickerCore::BigBoxOpt5Reaction(int x, int y)
{
    pickReaction(x, y, Channel::Blue);
}

void ColorPickerCore::SampleMarkerBackground()
{
    if (!mBlnMarkerShown)
        return;
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i)
            mLngMarkerBackground[i][j] = picBigBox.pixel(mIntMarkerX - 5 + i, mIntMarkerY - 5 + j);
    }
}

void ColorPickerCore::EraseMarker()
{
    // Saved pixels from outside the field go back outside it, where they change nothing.
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i) {
            const ColorValue saved = mLngMarkerBackground[i][j];
            if (saved != kNoPixel)
                picBigBox.setPixel(mIntMarkerX - 5 + i, mIntMarkerY - 5 + j, saved);
        }
    }
    m_controls.pixelsChanged(PickerControl::BigBox);
}

void ColorPickerCore::PaintMarker(int x, int y)
{
    // A white ring on dark or strongly coloured ground; on light colours of the yellow to cyan
    // range, or pale ones, the ring inverts what lies under it.
    bool white = mBteLuminance < 200;
    if (!white) {
        const std::optional<double> hue = boxNumber(0);
        if (!hue)
            return;
        white = (*hue < 26 || *hue > 200) && mBteSaturation > 70;
    }
    if (white)
        paintWhiteRing(picBigBox, x, y);
    else
        invertRing(picBigBox, x, y);
    m_controls.pixelsChanged(PickerControl::BigBox);
}

// --- Slider strip and triangles -------------------------------------------------------------

void ColorPickerCore::PaintPicThinBox(int index)
{
    switch (index) {
    case HueMode:
        RainBowThinBox();
        break;
    case SaturationMode:
        FadeThinBoxToGrey();
        break;
    case BrightnessMode:
        picThinBox.fill(HSLToRGB(mIntSystemColorAngle, mBteSaturation, 255, false));
        FadeThinBoxToBlack();
        break;
    default:
        break;
    }
    m_controls.setThinBoxVisible(true);
}

void ColorPickerCore::RainBowThinBox()
{
    keepLastConversion(paintRainbowStrip(picThinBox));
    m_controls.pixelsChanged(PickerControl::ThinBox);
}

void ColorPickerCore::FadeThinBoxToGrey()
{
    keepLastConversion(paintSaturationStrip(picThinBox, mIntSystemColorAngle, mBteLuminance));
    m_controls.pixelsChanged(PickerControl::ThinBox);
}

void ColorPickerCore::FadeThinBoxToBlack()
{
    fadeColumnsToBlack(picThinBox, kStripColumns);
    m_controls.pixelsChanged(PickerControl::ThinBox);
}

void ColorPickerCore::paintChannelStripFor(Channel varying, double first, double second)
{
    paintChannelStrip(picThinBox, varying, first, second);
    m_controls.pixelsChanged(PickerControl::ThinBox);
}

void ColorPickerCore::opt3RedPaintPicThinBox(double green, double blue)
{
    paintChannelStripFor(Channel::Red, green, blue);
}

void ColorPickerCore::opt4GreenPaintPicThinBox(double red, double blue)
{
    paintChannelStripFor(Channel::Green, red, blue);
}

void ColorPickerCore::opt5BluePaintPicThinBox(double red, double green)
{
    paintChannelStripFor(Channel::Blue, red, green);
}

void ColorPickerCore::MoveArrows(double row)
{
    m_controls.setTriangleLineY(0, row + 28, row + 38);
    m_controls.setTriangleLineY(1, row + 38, row + 32);
    m_controls.setTriangleLineY(2, row + 28, row + 34);
    m_controls.setTriangleLineY(3, row + 28, row + 38);
    m_controls.setTriangleLineY(4, row + 33, row + 38);
    m_controls.setTriangleLineY(5, row + 33, row + 28);
}

void ColorPickerCore::PositionArrows()
{
    const int mode = m_controls.checkedOption();
    std::optional<double> row;
    if (mode == HueMode) {
        row = 255.0 - double(mIntSystemColorAngle) / 1530.0 * 255.0;
    } else if (mode == SaturationMode || mode == BrightnessMode) {
        if (const auto percent = boxNumber(mode))
            row = 255.0 - *percent * 2.55;
    } else if (mode >= RedMode && mode <= BlueMode) {
        if (const auto channel = boxNumber(mode))
            row = 255.0 - *channel;
    }
    if (row)
        MoveArrows(*row);
}

void ColorPickerCore::NudgeHueValue(int intDirektion)
{
    mIntSystemColorAngle = std::clamp(mIntSystemColorAngle + intDirektion, 0, kHueSteps);
    HSLToRGB(mIntSystemColorAngle, mBteSaturation, mBteLuminance, true);
    MoveArrows(255.0 - double(mIntSystemColorAngle) / 1530.0 * 255.0);
}

} // namespace zimbrel::picker
