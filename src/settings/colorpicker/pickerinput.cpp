// What the picker's controls do: mode buttons, field and strip drags, keys on the strip, leaving
// a box, and the swatches. The dialog only turns its widgets' events into these calls, so all of
// it is tested on a ColorPickerCore without any window.

#include "pickercore.h"

#include "platform/numerics.h"
#include "platform/winkeys.h"

#include <algorithm>
#include <cmath>

namespace zimbrel::picker {
namespace {

const QString kHueMessage = QStringLiteral("An integer between 0 and 360 i required. Closest value inserted!");
const QString kPercentMessage = QStringLiteral("An number between 0 and 100 i required. Closest value inserted!");

// Field and strip positions are whole pixels of the drawing, floored, within 0..255.
float clampPixel(float v)
{
    return std::clamp(std::floor(v), 0.0f, 255.0f);
}

} // namespace

QPoint ColorPickerCore::markerPlace(int mode) const
{
    switch (mode) {
    case HueMode:
        return {m_saturation, 255 - m_luminance};
    case SaturationMode:
        return {wholeNumber(m_hueAngle / 6.0), 255 - m_luminance};
    case BrightnessMode:
        return {wholeNumber(m_hueAngle / 6.0), 255 - m_saturation};
    case RedMode:
        return {wholeNumber(boxValue(BlueBox)), wholeNumber(255 - boxValue(GreenBox))};
    case GreenMode:
        return {wholeNumber(boxValue(BlueBox)), wholeNumber(255 - boxValue(RedBox))};
    case BlueMode:
        return {wholeNumber(boxValue(RedBox)), wholeNumber(255 - boxValue(GreenBox))};
    default:
        return {m_markerX, m_markerY};
    }
}

// --- Mode switch -------------------------------------------------------------------------------

void ColorPickerCore::selectMode(int index)
{
    const double red = boxValue(RedBox);
    const double green = boxValue(GreenBox);
    const double blue = boxValue(BlueBox);
    switch (index) {
    case HueMode:
    case SaturationMode:
    case BrightnessMode:
        PaintPicThinBox(index);
        break;
    case RedMode:
        opt3RedPaintPicThinBox(green, blue);
        break;
    case GreenMode:
        opt4GreenPaintPicThinBox(red, blue);
        break;
    case BlueMode:
        opt5BluePaintPicThinBox(red, green);
        break;
    default:
        break;
    }
    const QPoint marker = markerPlace(index);
    m_markerX = qint16(marker.x());
    m_markerY = qint16(marker.y());
    picBigBox_Colorize();
    PositionArrows();
    m_controls.pixelsChanged(PickerControl::ThinBox);
}

// --- Colour field ------------------------------------------------------------------------------

void ColorPickerCore::applyFieldPoint(float x, float y)
{
    switch (mode()) {
    case HueMode:
        HSLToRGB(m_hueAngle, wholeNumber(x), wholeNumber(255 - y), true);
        break;
    case SaturationMode:
        HSLToRGB(wholeNumber(x * 6.0), m_saturation, wholeNumber(255 - y), true);
        break;
    case BrightnessMode:
        HSLToRGB(wholeNumber(x * 6.0), wholeNumber(255 - y), m_luminance, true);
        break;
    case RedMode:
        BigBoxOpt3Reaction(int(x), int(y));
        break;
    case GreenMode:
        BigBoxOpt4Reaction(int(x), int(y));
        break;
    case BlueMode:
        BigBoxOpt5Reaction(int(x), int(y));
        break;
    default:
        break;
    }
}

void ColorPickerCore::pressField(float X, float Y)
{
    const float x = clampPixel(X);
    const float y = clampPixel(Y);
    m_mouseDown = true;
    if (m_markerShown)
        EraseMarker();
    if (mode() == BrightnessMode)
        m_strip.fill(HSLToRGB(wholeNumber(x * 6.0), wholeNumber(255 - y), 255, false));
    applyFieldPoint(x, y);
    if (mode() == SaturationMode)
        FadeThinBoxToGrey();
    else if (mode() == BrightnessMode)
        FadeThinBoxToBlack();
    m_markerX = qint16(wholeNumber(x));
    m_markerY = qint16(wholeNumber(y));
    SampleMarkerBackground();
    m_markerShown = true;
}

void ColorPickerCore::dragField(float X, float Y)
{
    if (!m_mouseDown)
        return;
    const float x = clampPixel(X);
    const float y = clampPixel(Y);
    applyFieldPoint(x, y);
    if (mode() == SaturationMode || mode() == BrightnessMode)
        PaintPicThinBox(mode());
}

QString ColorPickerCore::releaseField(float X, float Y)
{
    // The drag ends either way, so the field does not follow the mouse afterwards.
    m_mouseDown = false;
    if (!m_bigBoxReady)
        return QStringLiteral("mBlnBigBoxReady = False!");
    const float x = clampPixel(X);
    const float y = clampPixel(Y);
    m_markerX = qint16(wholeNumber(x));
    m_markerY = qint16(wholeNumber(y));
    SampleMarkerBackground();
    PaintMarker(int(x), int(y));
    return {};
}

// --- Slider strip ------------------------------------------------------------------------------

void ColorPickerCore::applyStripRow(float row)
{
    const float r = std::clamp(row, 0.0f, 255.0f);
    MoveArrows(r);
    switch (mode()) {
    case HueMode:
        HSLToRGB(wholeNumber((255.0 - r) * 6.0), m_saturation, m_luminance, true);
        break;
    case SaturationMode:
        HSLToRGB(m_hueAngle, wholeNumber(255.0 - r), m_luminance, true);
        break;
    case BrightnessMode:
        HSLToRGB(m_hueAngle, m_saturation, wholeNumber(255.0 - r), true);
        break;
    case RedMode:
    case GreenMode:
    case BlueMode:
        m_controls.setNumValue(mode(), singleToText(255.0f - r));
        applyChannelBoxes();
        break;
    default:
        break;
    }
}

void ColorPickerCore::pressStrip(float row)
{
    m_mouseDown = true;
    dragStrip(row);
}

void ColorPickerCore::dragStrip(float row)
{
    if (m_mouseDown)
        applyStripRow(std::floor(row));
}

void ColorPickerCore::releaseStrip()
{
    m_mouseDown = false;
    picBigBox_Colorize();
}

QString ColorPickerCore::stripKey(int keyCode)
{
    switch (mode()) {
    case HueMode:
        if (keyCode == vk::Up || keyCode == vk::Down) {
            NudgeHueValue(keyCode == vk::Up ? 1 : -1);
            picBigBox_Colorize();
        }
        return {};
    case SaturationMode:
        return QStringLiteral("Add code for radio1!");
    case BrightnessMode:
        return QStringLiteral("Add code for radio2!");
    default:
        return {};
    }
}

// --- Boxes -------------------------------------------------------------------------------------

void ColorPickerCore::applyChannelBoxes()
{
    const BgrColor color =
        composeRgb(wholeNumber(boxValue(RedBox)), wholeNumber(boxValue(GreenBox)), wholeNumber(boxValue(BlueBox)));
    RGBToHSL(color, true);
    m_controls.setNewColor(color);
}

QString ColorPickerCore::applyBox(int index)
{
    m_bigBoxReady = false;
    m_markerShown = false;
    QString message;

    // What the box holds as a number; an empty box counts as 0, other text by its leading number.
    const QString text = m_controls.numValue(index);
    const std::optional<double> parsed = boxNumber(index);
    const bool isNumber = parsed.has_value();
    double number = parsed.value_or(leadingNumber(text));

    if (index == HueBox) {
        if (number > 360 || number < 0 || !isNumber) {
            number = std::clamp(number, 0.0, 360.0);
            message = kHueMessage;
            m_controls.setNumValue(HueBox, QString::number(wholeNumber(number)));
        }
        // A fraction becomes the closest whole degree, and says so too.
        if (m_controls.numValue(HueBox) != QString::number(wholeNumber(number))) {
            message = kHueMessage;
            m_controls.setNumValue(HueBox, QString::number(wholeNumber(number)));
        }
        HSLToRGB(wholeNumber(number / 360.0 * double(kHueSteps)), m_saturation, m_luminance, true);
    } else if (index == SaturationBox || index == BrightnessBox) {
        if (number > 100 || number < 0 || !isNumber) {
            number = std::clamp(number, 0.0, 100.0);
            message = kPercentMessage;
            m_controls.setNumValue(index, QString::number(wholeNumber(number)));
        }
        const int value = wholeNumber(number / 100.0 * 255.0);
        if (index == 1)
            HSLToRGB(m_hueAngle, value, m_luminance, true);
        else
            HSLToRGB(m_hueAngle, m_saturation, value, true);
    } else {
        // Red, green, blue: no range message. A number too big to be a channel, or no number,
        // is put right in the box so that the composed colour never overflows.
        for (int i = 3; i <= 5; ++i) {
            const std::optional<double> channel = boxNumber(i);
            if (!channel || *channel > 32767 || *channel < 0)
                m_controls.setNumValue(i, QString::number(channel && *channel > 32767 ? 255 : 0));
        }
        applyChannelBoxes();
    }
    // The strip, the ring and the triangles follow the new colour as a mode switch places them.
    selectMode(mode());
    return message;
}

QString ColorPickerCore::applyHexBox()
{
    const QString s = m_controls.hexColor();
    if (s.isEmpty()) {
        // Nothing to apply: show the colour's hex text again.
        const BgrColor c = m_controls.newColor();
        m_controls.setHexColor(hexText(redOf(c), greenOf(c), blueOf(c)));
        return {};
    }
    // The box holds RRGGBB; the colour value is BBGGRR.
    const QString t = s.mid(4) + s.mid(2, 2) + s.mid(0, 2);
    // The hex digits at its start, as a number (the box takes nothing else when typed into).
    BgrColor value = 0;
    for (QChar c : t) {
        const char16_t u = c.toUpper().unicode();
        const int digit = u >= u'0' && u <= u'9' ? u - u'0' : u >= u'A' && u <= u'F' ? u - u'A' + 10 : -1;
        if (digit < 0)
            break;
        value = value * 16 + BgrColor(digit);
    }
    m_controls.setNewColor(value & 0x00FFFFFFu);
    SplitlblNewColorToRGBboxes();
    return applyBox(3);
}

// --- Swatches ----------------------------------------------------------------------------------

void ColorPickerCore::clickSwatch(SwatchClick click)
{
    if (click == SwatchClick::KeepNew)
        m_controls.setOldColor(m_controls.newColor());
    else
        m_controls.setNewColor(m_controls.oldColor());
    m_bigBoxReady = false;
    m_markerShown = false;
    SplitlblNewColorToRGBboxes();
    RGBToHSL(m_controls.newColor(), true);
    selectMode(mode());
}

} // namespace zimbrel::picker
