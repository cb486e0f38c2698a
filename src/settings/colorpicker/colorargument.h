#pragma once
// The colour a command line hands the picker.

#include <QString>
#include <QStringView>

#include <optional>

namespace zimbrel {

// RRGGBB, #RRGGBB or #RGB in any case, and nothing else: no blanks, no line end, no more digits.
// Gives the colour as six upper-case hex digits, or nothing when the text is not such a colour.
std::optional<QString> parseColorArgument(QStringView text);

} // namespace zimbrel
