#pragma once
// Number handling that the stored texts and the password engine depend on.

#include <QString>
#include <QStringView>
#include <optional>

namespace zimbrel {

// Nearest whole number, a half going to the even neighbour (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
// Every conversion of a fractional value to a whole number in the programs goes through here.
inline double roundHalfEven(double value)
{
    // Adding and taking away 2^52 leaves no room for a fraction, so the addition itself rounds,
    // in the processor's default mode: to nearest, ties to even. The painters round every
    // channel of every pixel, so this is worth being fast. Larger values are whole already.
    constexpr double kShift = 4503599627370496.0; // 2^52
    if (!(value < kShift && value > -kShift))
        return value;
    const double shift = value < 0 ? -kShift : kShift;
    return (value + shift) - shift;
}

// The number that the first characters of a text spell, 0 when there is none. Blanks, tabs and
// line feeds are skipped, also between digits ("1 2" reads 12); one sign; "." as the decimal point;
// an exponent with E or D. Anything after the number is ignored ("12px" reads 12). A number too
// large for a double reads as 0, so no caller ever has to deal with an infinity.
double leadingNumber(QStringView text);

// The whole text as a number, in the user's locale first and then with "." as decimal point;
// leading and trailing blanks are allowed. Nothing when the text is not a number or not finite.
// The reader of core/localenumbers.h, which zimbrel-generator uses before Qt is loaded.
std::optional<double> localeNumber(QStringView text);

// The decimal form of a single-precision value: a whole number without a decimal separator,
// otherwise up to seven significant digits.
QString singleToText(float value);

} // namespace zimbrel
