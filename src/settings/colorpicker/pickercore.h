#pragma once
// The colour picker's current colour and its painting: the conversions that keep the boxes,
// the hex text and the new-colour swatch in step, the colour field with its marker ring, the
// slider strip and its triangles. The dialog owns one of these and wires its widgets to it; the
// routines keep the names the dialog's handlers know them by.

#include "colormodel.h"
#include "painters.h"
#include "pickercontrols.h"
#include "pixelcanvas.h"

#include <QPoint>

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

// Which swatch was clicked: the new colour becomes the old one, or the old one comes back.
enum class SwatchClick { KeepNew, BackToOld };

class ColorPickerCore
{
public:
    explicit ColorPickerCore(PickerControls &controls);

    PickerControls &controls() { return m_controls; }

    // The current colour: hue 0..1530, saturation and luminance 0..255.
    int mIntSystemColorAngle() const { return m_hueAngle; }
    int mBteSaturation() const { return m_saturation; }
    int mBteLuminance() const { return m_luminance; }
    // The channels of the most recent conversion (painters convert too), not a stable copy.
    float mSngRed() const { return m_red; }
    float mSngGreen() const { return m_green; }
    float mSngBlue() const { return m_blue; }

    // The marker ring on the field and the pixels saved from under it, element [i][j] holding
    // the pixel at (mIntMarkerX - 5 + i, mIntMarkerY - 5 + j).
    bool mBlnMarkerShown() const { return m_markerShown; }
    qint16 mIntMarkerX() const { return m_markerX; }
    qint16 mIntMarkerY() const { return m_markerY; }
    const std::array<std::array<BgrColor, 12>, 12> &mLngMarkerBackground() const { return m_markerBackground; }
    // False from a typed value or a swatch click until the field has been painted for it; a
    // mouse-up on the field meanwhile is refused.
    bool mBlnBigBoxReady() const { return m_bigBoxReady; }
    void setBigBoxReady(bool ready) { m_bigBoxReady = ready; }
    // A drag on the field or the strip is under way.
    bool mBlnMouseDown() const { return m_mouseDown; }

    const PixelCanvas &picBigBox() const { return m_field; }
    const PixelCanvas &picThinBox() const { return m_strip; }
    PixelCanvas &picBigBox() { return m_field; }
    PixelCanvas &picThinBox() { return m_strip; }

    // Puts the current colour, or the ring, in place without painting or updating any control:
    // for a start from a known state.
    void setCurrentHsl(int angle, int saturation, int luminance);
    void setMarker(QPoint at, bool shown);

    // What the dialog's controls do, for the mode that is checked. Each returns the message to
    // show, or the empty text.
    // A mode button: the strip, the field, the ring and the triangles for that mode.
    void selectMode(int mode);
    // The field: a press picks the point under it and starts a drag, a move follows it, a release
    // ends it and puts the ring there. Positions in pixels of the field, any value.
    void pressField(float x, float y);
    void dragField(float x, float y);
    QString releaseField(float x, float y);
    // The strip (or its margin, at the same height): a press starts a drag, a move picks the row
    // under it, a release ends it and repaints the field.
    void pressStrip(float row);
    void dragStrip(float row);
    void releaseStrip();
    // A key on the strip (Windows key code): up and down nudge the hue in hue mode.
    QString stripKey(int keyCode);
    // Leaving a number box (0..5) or the hex box: the value is checked, applied, and the display
    // follows as a mode switch places it.
    QString applyBox(int index);
    QString applyHexBox();
    void clickSwatch(SwatchClick click);
    // Where the ring goes for the current colour in `mode`.
    QPoint markerPlace(int mode) const;

    // Colour model. With `blnUpdateTextBoxes` the result becomes the current colour and every box,
    // the hex text and the new swatch show it. An angle outside 0..1530 is reported and gives black.
    BgrColor HSLToRGB(int intLocalColorAngle, int Saturation, int Luminance, bool blnUpdateTextBoxes);
    // Sets hue, and with `update` saturation, luminance, the hue, saturation, brightness and hex
    // boxes from a colour; leaves the red, green and blue boxes and the swatch alone.
    HSLColor RGBToHSL(BgrColor color, bool update);
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
    void NudgeHueValue(int direction);

    // The number a box holds, read as the user's locale reads numbers; nothing when it holds none.
    std::optional<double> boxNumber(int index) const;

private:
    int mode() const { return m_controls.checkedOption(); }
    // A box's number, 0 when it holds none.
    double boxValue(int index) const { return boxNumber(index).value_or(0.0); }
    void applyFieldPoint(float x, float y);
    void applyStripRow(float row);
    void applyChannelBoxes();
    void keepLastConversion(const Rgb &rgb);
    bool paintChannelField(Channel channel, int box);
    void pickReaction(int x, int y, Channel channel);
    void paintChannelStripFor(Channel varying, double first, double second);

    PickerControls &m_controls;
    int m_hueAngle = 0;
    int m_saturation = 0;
    int m_luminance = 0;
    float m_red = 0;
    float m_green = 0;
    float m_blue = 0;
    bool m_markerShown = false;
    qint16 m_markerX = 0;
    qint16 m_markerY = 0;
    std::array<std::array<BgrColor, 12>, 12> m_markerBackground{};
    bool m_bigBoxReady = false;
    bool m_mouseDown = false;
    PixelCanvas m_field{kFieldSize, kFieldSize};
    PixelCanvas m_strip{kStripVisibleColumns, kStripRows};
};

} // namespace zimbrel::picker
