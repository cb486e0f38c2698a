#pragma once
// The controls of the picker dialog that its colour routines read and write: the six numeric
// boxes (and three reserved ones), the hex box, the two swatches, the mode buttons, the six lines
// of the slider triangles and whether field and strip are shown. The routines work on this
// plain state; the dialog subclasses it and mirrors each change onto its widgets.

#include "colormodel.h"

#include <QLineF>
#include <QString>
#include <array>

namespace zimbrel::picker {

enum class PickerControl {
    NumValue, // index 0..8
    HexColor,
    NewColor,
    OldColor,
    Option,   // the checked mode changed
    Triangle, // index 0..5: linTriang1Vert, 1Rising, 1Falling, 2Vert, 2Rising, 2Falling
    BigBox,   // the field's visibility or pixels
    ThinBox,  // the strip's visibility or pixels
};

enum PickerMode : int { HueMode = 0, SaturationMode, BrightnessMode, RedMode, GreenMode, BlueMode };

// The six number boxes, in the order of the modes they belong to.
enum NumBox : int { HueBox = 0, SaturationBox, BrightnessBox, RedBox, GreenBox, BlueBox };

// The colour the new-colour swatch has before anything sets it.
inline constexpr BgrColor kDesignNewColor = bgr(221, 204, 153);

class PickerControls
{
public:
    static constexpr int kNumValueCount = 9;
    static constexpr int kTriangleLineCount = 6;

    PickerControls();
    virtual ~PickerControls() = default;

    const QString &numValue(int index) const { return m_numValue.at(index); }
    void setNumValue(int index, const QString &text);

    const QString &hexColor() const { return m_hexColor; }
    void setHexColor(const QString &text);

    BgrColor newColor() const { return m_newColor; }
    void setNewColor(BgrColor color);
    BgrColor oldColor() const { return m_oldColor; }
    void setOldColor(BgrColor color);

    // The index of the checked mode button, or -1 when none is checked.
    int checkedOption() const { return m_checkedOption; }
    void setCheckedOption(int index);

    const QLineF &triangleLine(int index) const { return m_lines.at(index); }
    void setTriangleLineY(int index, double y1, double y2);

    bool bigBoxVisible() const { return m_bigBoxVisible; }
    void setBigBoxVisible(bool visible);
    bool thinBoxVisible() const { return m_thinBoxVisible; }
    void setThinBoxVisible(bool visible);

    // What the user typed into a box, taken over without a change notice (the box shows it).
    void takeTypedNumValue(int index, const QString &text) { m_numValue.at(index) = text; }
    void takeTypedHexColor(const QString &text) { m_hexColor = text; }

    // The field's or strip's pixels changed (the routines call this after painting).
    void pixelsChanged(PickerControl which) { controlChanged(which, 0); }

protected:
    // Called after every change, with the control and its index (boxes and lines).
    virtual void controlChanged(PickerControl control, int index);

private:
    std::array<QString, kNumValueCount> m_numValue;
    QString m_hexColor;
    BgrColor m_newColor = kDesignNewColor;
    BgrColor m_oldColor = kDesignNewColor;
    int m_checkedOption = -1;
    std::array<QLineF, kTriangleLineCount> m_lines;
    bool m_bigBoxVisible = true;
    bool m_thinBoxVisible = true;
};

} // namespace zimbrel::picker
