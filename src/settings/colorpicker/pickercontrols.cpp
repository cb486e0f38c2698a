#include "pickercontrols.h"

namespace zimbrel::picker {

PickerControls::PickerControls()
    : m_lines{QLineF(277, 251, 277, 261), QLineF(277, 261, 283, 256), QLineF(277, 251, 283, 256),
              QLineF(312, 251, 312, 261), QLineF(307, 256, 312, 261), QLineF(307, 256, 312, 251)}
{ }

void PickerControls::setNumValue(int index, const QString &text)
{
    m_numValue.at(index) = text;
    controlChanged(PickerControl::NumValue, index);
}

void PickerControls::setHexColor(const QString &text)
{
    m_hexColor = text;
    controlChanged(PickerControl::HexColor, 0);
}

void PickerControls::setNewColor(BgrColor color)
{
    m_newColor = color;
    controlChanged(PickerControl::NewColor, 0);
}

void PickerControls::setOldColor(BgrColor color)
{
    m_oldColor = color;
    controlChanged(PickerControl::OldColor, 0);
}

void PickerControls::setCheckedOption(int index)
{
    m_checkedOption = index;
    controlChanged(PickerControl::Option, index);
}

void PickerControls::setTriangleLineY(int index, double y1, double y2)
{
    QLineF &line = m_lines.at(index);
    line.setP1(QPointF(line.x1(), y1));
    line.setP2(QPointF(line.x2(), y2));
    controlChanged(PickerControl::Triangle, index);
}

void PickerControls::setBigBoxVisible(bool visible)
{
    m_bigBoxVisible = visible;
    controlChanged(PickerControl::BigBox, 0);
}

void PickerControls::setThinBoxVisible(bool visible)
{
    m_thinBoxVisible = visible;
    controlChanged(PickerControl::ThinBox, 0);
}

void PickerControls::controlChanged(PickerControl, int) { }

} // namespace zimbrel::picker
