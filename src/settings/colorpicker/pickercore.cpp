#include "pickercore.h"

#include "platform/messagebox.h"
#include "platform/numerics.h"

#include <algorithm>

namespace zimbrel::picker {

ColorPickerCore::ColorPickerCore(PickerControls &controls)
    : m_controls(controls)
{ }

void ColorPickerCore::setCurrentHsl(int angle, int saturation, int luminance)
{
    m_hueAngle = angle;
    m_saturation = saturation;
    m_luminance = luminance;
}

void ColorPickerCore::setMarker(QPoint at, bool shown)
{
    m_markerX = qint16(at.x());
    m_markerY = qint16(at.y());
    m_markerShown = shown;
}

std::optional<double> ColorPickerCore::boxNumber(int index) const
{
    return localeNumber(m_controls.numValue(index));
}

void ColorPickerCore::keepLastConversion(const Rgb &rgb)
{
    m_red = float(rgb.red);
    m_green = float(rgb.green);
    m_blue = float(rgb.blue);
}

// --- Colour model ---------------------------------------------------------------------------

BgrColor ColorPickerCore::HSLToRGB(int intLocalColorAngle, int Saturation, int Luminance, bool blnUpdateTextBoxes)
{
    const int angle = intLocalColorAngle;
    if (!isHueAngle(angle)) {
        const QString number = angle >= 0 ? u' ' + QString::number(angle) : QString::number(angle);
        showMessage({QStringLiteral("Error occured in HSLToRGB. intSystemColorAngleMax1530= ") + number,
                     {},
                     MessageIcon::None});
    }
    const Rgb rgb = hslToRgb(angle, Saturation, Luminance);
    keepLastConversion(rgb);
    const BgrColor color = rgb.value();
    if (!blnUpdateTextBoxes)
        return color;

    m_controls.setNumValue(HueBox, QString::number(wholeNumber(double(angle) / 255.0 / 6.0 * 360.0)));
    m_controls.setNumValue(SaturationBox, QString::number(wholeNumber(double(Saturation) / 255.0 * 100.0)));
    m_controls.setNumValue(BrightnessBox, QString::number(wholeNumber(double(Luminance) / 255.0 * 100.0)));
    m_controls.setNumValue(RedBox, QString::number(rgb.red));
    m_controls.setNumValue(GreenBox, QString::number(rgb.green));
    m_controls.setNumValue(BlueBox, QString::number(rgb.blue));
    m_controls.setHexColor(hexText(rgb.red, rgb.green, rgb.blue));
    m_controls.setNewColor(color);
    m_hueAngle = angle;
    m_saturation = Saturation;
    m_luminance = Luminance;
    return color;
}

HSLColor ColorPickerCore::RGBToHSL(BgrColor color, bool update)
{
    const HslFromRgb hsl = rgbToHsl(color);
    m_hueAngle = hsl.angle;
    if (update) {
        m_controls.setHexColor(hexText(redOf(color), greenOf(color), blueOf(color)));
        // From the stored angle, not the raw hue: 10.5 degrees shows as 11 with a hue of 10.
        m_controls.setNumValue(HueBox, QString::number(wholeNumber(double(m_hueAngle) / double(kHueSteps) * 360.0)));
        if (!hsl.black) {
            m_saturation = hsl.saturation;
            m_controls.setNumValue(SaturationBox, QString::number(hsl.saturationPercent));
        } else {
            m_saturation = 0;
        }
        m_luminance = hsl.luminance;
        m_controls.setNumValue(BrightnessBox, QString::number(hsl.luminancePercent));
    }
    return {qint16(hsl.hueDegrees), quint8(hsl.saturationPercent), quint8(hsl.luminancePercent)};
}

void ColorPickerCore::SplitlblNewColorToRGBboxes()
{
    const BgrColor color = m_controls.newColor();
    m_red = float(redOf(color));
    m_controls.setNumValue(RedBox, QString::number(redOf(color)));
    m_green = float(greenOf(color));
    m_controls.setNumValue(GreenBox, QString::number(greenOf(color)));
    m_blue = float(blueOf(color));
    m_controls.setNumValue(BlueBox, QString::number(blueOf(color)));
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

    if (m_markerShown) {
        SampleMarkerBackground();
        PaintMarker(m_markerX, m_markerY);
        // The ring leaves its centre alone, so this is the field's own colour there.
        const BgrColor centre = m_field.pixel(m_markerX, m_markerY);
        if (centre != kNoPixel)
            m_controls.setNewColor(centre);
    }
    if (!m_bigBoxReady) {
        m_markerShown = true;
        // In the channel modes the ring stays where the mode switch put it.
        const int current = m_controls.checkedOption();
        if (current >= HueMode && current <= BrightnessMode) {
            const QPoint marker = markerPlace(current);
            m_markerX = qint16(marker.x());
            m_markerY = qint16(marker.y());
        }
        SampleMarkerBackground();
        PaintMarker(m_markerX, m_markerY);
        m_bigBoxReady = true;
    }
}

void ColorPickerCore::Bigbox3D()
{
    keepLastConversion(paintHueField(m_field, m_hueAngle));
    m_controls.pixelsChanged(PickerControl::BigBox);
}

void ColorPickerCore::RainBowBigbox(bool blnFadeToGrey, bool blnFadeToBlack)
{
    keepLastConversion(paintRainbowField(m_field, blnFadeToGrey, blnFadeToBlack, m_saturation, m_luminance));
    m_controls.pixelsChanged(PickerControl::BigBox);
}

bool ColorPickerCore::paintChannelField(Channel channel, int box)
{
    const std::optional<double> fixed = boxNumber(box);
    if (!fixed)
        return false;
    picker::paintChannelField(m_field, channel, float(*fixed));
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
    const BgrColor picked = m_field.pixel(x, y);
    if (picked == kNoPixel)
        return;
    m_controls.setNewColor(picked);
    SplitlblNewColorToRGBboxes();
    switch (channel) {
    case Channel::Red:
        opt3RedPaintPicThinBox(m_green, m_blue);
        break;
    case Channel::Green:
        opt4GreenPaintPicThinBox(m_red, m_blue);
        break;
    case Channel::Blue:
        opt5BluePaintPicThinBox(m_red, m_green);
        break;
    }
    const auto red = boxNumber(RedBox);
    const auto green = boxNumber(GreenBox);
    const auto blue = boxNumber(BlueBox);
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
    if (!m_markerShown)
        return;
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i)
            m_markerBackground[i][j] = m_field.pixel(m_markerX - 5 + i, m_markerY - 5 + j);
    }
}

void ColorPickerCore::EraseMarker()
{
    // Saved pixels from outside the field go back outside it, where they change nothing.
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i) {
            const BgrColor saved = m_markerBackground[i][j];
            if (saved != kNoPixel)
                m_field.setPixel(m_markerX - 5 + i, m_markerY - 5 + j, saved);
        }
    }
    m_controls.pixelsChanged(PickerControl::BigBox);
}

void ColorPickerCore::PaintMarker(int x, int y)
{
    // A white ring on dark or strongly coloured ground; on light colours of the yellow to cyan
    // range, or pale ones, the ring inverts what lies under it.
    bool white = m_luminance < 200;
    if (!white) {
        const std::optional<double> hue = boxNumber(HueBox);
        if (!hue)
            return;
        white = (*hue < 26 || *hue > 200) && m_saturation > 70;
    }
    if (white)
        paintWhiteRing(m_field, x, y);
    else
        invertRing(m_field, x, y);
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
        m_strip.fill(HSLToRGB(m_hueAngle, m_saturation, 255, false));
        FadeThinBoxToBlack();
        break;
    default:
        break;
    }
    m_controls.setThinBoxVisible(true);
}

void ColorPickerCore::RainBowThinBox()
{
    keepLastConversion(paintRainbowStrip(m_strip));
    m_controls.pixelsChanged(PickerControl::ThinBox);
}

void ColorPickerCore::FadeThinBoxToGrey()
{
    keepLastConversion(paintSaturationStrip(m_strip, m_hueAngle, m_luminance));
    m_controls.pixelsChanged(PickerControl::ThinBox);
}

void ColorPickerCore::FadeThinBoxToBlack()
{
    fadeColumnsToBlack(m_strip, kStripColumns);
    m_controls.pixelsChanged(PickerControl::ThinBox);
}

void ColorPickerCore::paintChannelStripFor(Channel varying, double first, double second)
{
    paintChannelStrip(m_strip, varying, first, second);
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
        row = 255.0 - double(m_hueAngle) / double(kHueSteps) * 255.0;
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

void ColorPickerCore::NudgeHueValue(int direction)
{
    m_hueAngle = std::clamp(m_hueAngle + direction, 0, kHueSteps);
    HSLToRGB(m_hueAngle, m_saturation, m_luminance, true);
    MoveArrows(255.0 - double(m_hueAngle) / double(kHueSteps) * 255.0);
}

} // namespace zimbrel::picker
