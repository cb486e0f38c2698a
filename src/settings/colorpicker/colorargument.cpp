#include "colorargument.h"

#include <QColor>

namespace zimbrel {

namespace {

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool allHex(QStringView digits)
{
    for (QChar c : digits) {
        if (!isHexDigit(c))
            return false;
    }
    return true;
}

bool isLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

QString hexOf(const QColor &color)
{
    return color.name(QColor::HexRgb).mid(1).toUpper();
}

ColorArgument refused(const QString &why)
{
    return {std::nullopt, why};
}

// "rgb(" ... ")": three whole numbers 0..255 separated by commas, blanks around them allowed.
ColorArgument readRgbFunction(QStringView inside)
{
    int channels[3] = {};
    int count = 0;
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < inside.size() && inside[i] == u' ')
            ++i;
    };
    for (;;) {
        skipBlanks();
        const qsizetype start = i;
        while (i < inside.size() && inside[i] >= u'0' && inside[i] <= u'9' && i - start < 3)
            ++i;
        if (i == start || count == 3)
            return refused(QStringLiteral("rgb() takes three whole numbers from 0 to 255"));
        const int value = inside.mid(start, i - start).toInt();
        if (value > 255 || (i < inside.size() && inside[i] >= u'0' && inside[i] <= u'9'))
            return refused(QStringLiteral("rgb() takes numbers from 0 to 255"));
        channels[count++] = value;
        skipBlanks();
        if (i == inside.size())
            break;
        if (inside[i] != u',')
            return refused(QStringLiteral("rgb() takes three whole numbers from 0 to 255, separated by commas"));
        ++i;
    }
    if (count != 3)
        return refused(QStringLiteral("rgb() takes three whole numbers from 0 to 255"));
    return {hexOf(QColor(channels[0], channels[1], channels[2])), {}};
}

} // namespace

ColorArgument readColorArgument(QStringView text)
{
    // The whole text is looked at character by character; a pattern's "$" would also match before
    // a final line feed, and QColor itself would overlook blanks around a name.
    if (text.isEmpty())
        return refused(QStringLiteral("the colour is empty"));
    const QString lower = text.toString().toLower();
    if (lower.startsWith(QStringLiteral("rgba(")) || lower == QStringLiteral("transparent"))
        return refused(QStringLiteral("a colour with alpha (transparency) has no place in the picker"));
    if (lower.startsWith(QStringLiteral("rgb(")) && lower.endsWith(u')'))
        return readRgbFunction(QStringView(lower).mid(4, lower.size() - 5));

    const bool hash = text.startsWith(u'#');
    const QStringView rest = hash ? text.mid(1) : text;
    // Hex digits without "#" are a colour only as six of them ("abc" could be meant as #ABC or
    // #AABBCC; asking for the "#" leaves no doubt). Letters that are no hex digits are a name.
    if (hash || allHex(rest)) {
        if (!allHex(rest))
            return refused(QStringLiteral("after # come hex digits only"));
        if (!hash && rest.size() == 6)
            return {rest.toString().toUpper(), {}};
        if (hash && rest.size() == 8)
            return refused(QStringLiteral("#AARRGGBB has alpha (transparency), which the picker has none of"));
        if (hash && (rest.size() == 3 || rest.size() == 6 || rest.size() == 9 || rest.size() == 12))
            return {hexOf(QColor::fromString(text)), {}};
    }
    bool name = true;
    for (QChar c : text)
        name = name && isLetter(c);
    if (name && QColor::isValidColorName(text))
        return {hexOf(QColor::fromString(text)), {}};
    return refused(QStringLiteral("not a colour: use RRGGBB, #RGB, #RRGGBB, a colour name such as "
                                  "steelblue, or rgb(R, G, B)"));
}

std::optional<QString> parseColorArgument(QStringView text)
{
    return readColorArgument(text).color;
}

} // namespace zimbrel
