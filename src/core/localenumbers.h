#pragma once
// Numbers as the user writes them (the length line of settings.ini, the editor's boxes, the
// picker's boxes), read in the user's locale the way the GUI toolkit reads them, in plain C++:
// zimbrel-generator reads the length line before the toolkit is loaded, and every program must
// read the same text as the same number.
//
// The locale data (each locale's symbols and digit groups, and which locale a name such as
// "de_CH.UTF-8" stands for) is taken from Qt's own QLocale when the programs are built
// (src/tools/localenumbers_main.cpp), so the rules here and the toolkit's agree.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zimbrel {

// How a locale writes a number.
struct NumberStyle
{
    // The symbols, from the locale of LC_NUMERIC.
    std::u16string_view decimal;
    std::u16string_view group;
    std::u16string_view minus; // "-" and U+2212 are read as minus too
    std::u16string_view plus;  // and "+" as plus
    char32_t zero = U'0';      // the first of the ten digits; "0".."9" are read too
    // The rest, from the locale of LC_MESSAGES. Every single character the exponent matches in
    // either case ("Ee"); empty where the exponent is longer ("\u00D710^"), and then a letter e
    // can still start one, unless `takenLetters` holds it: Qt's data gives a few such locales
    // the letter e as list separator, so there "1e3" is no number and "1E3" is.
    std::u16string_view exponent;
    std::u16string_view takenLetters;
    // Digit groups: at least `groupTop` digits before the first separator, `groupHigher`
    // between two, exactly `groupLeast` after the last.
    uint8_t groupTop = 1;
    uint8_t groupHigher = 3;
    uint8_t groupLeast = 3;
};

// The style of the C locale: "." and "," and "e".
const NumberStyle &cNumberStyle();

// The style of a locale named as the environment names it ("de_DE.UTF-8", "sr_RS@latin",
// "pt-BR", "C", "POSIX"); a name that is no known language's is C's.
const NumberStyle &localeNumberStyle(std::string_view name);

// The variables the user's locale comes from; an unset variable is empty.
struct LocaleEnvironment
{
    std::string all;      // LC_ALL
    std::string numeric;  // LC_NUMERIC
    std::string messages; // LC_MESSAGES
    std::string lang;     // LANG
    std::string language; // LANGUAGE
    static LocaleEnvironment current();
    bool operator==(const LocaleEnvironment &) const = default;
};

// The user's style: the symbols from LC_ALL, LC_NUMERIC or LANG; the exponent and the digit
// groups from LC_ALL, LC_MESSAGES or LANG, or from the first entry of LANGUAGE where that names
// another language, script or territory.
NumberStyle userNumberStyle(const LocaleEnvironment &environment);

// A whole text as a number in `style`: blanks around it, a sign, digit groups, the decimal
// separator, an exponent. Nothing when the text is not a number or the number is not finite.
std::optional<double> readNumber(std::u16string_view text, const NumberStyle &style);

// A number the user wrote: in the user's style (of the current environment), and otherwise in
// C's, so "1.5" is one and a half everywhere. Nothing when it is neither.
std::optional<double> readUserNumber(std::u16string_view text);

} // namespace zimbrel
