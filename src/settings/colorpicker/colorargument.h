#pragma once
// The colour a command line hands the picker.

#include <QString>
#include <QStringView>

#include <optional>

namespace zimbrel {

struct ColorArgument
{
    std::optional<QString> color; // six upper-case hex digits
    QString why;                  // when there is no colour: what is wrong with the text
};

// The whole text, with nothing around it (no blanks, no line end), as one of:
//   RRGGBB, and every form QColor reads without alpha: #RGB, #RRGGBB, #RRRGGGBBB, #RRRRGGGGBBBB
//   and the SVG colour names (red, steelblue, any case);
//   rgb(R, G, B) with whole numbers from 0 to 255 (blanks allowed inside the brackets).
// A colour with alpha (#AARRGGBB, rgba(...), transparent) is refused: the picker has none.
ColorArgument readColorArgument(QStringView text);

// The colour of readColorArgument, or nothing.
std::optional<QString> parseColorArgument(QStringView text);

} // namespace zimbrel
