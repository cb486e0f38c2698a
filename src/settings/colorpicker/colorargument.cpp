#include "colorargument.h"

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

} // namespace

std::optional<QString> parseColorArgument(QStringView text)
{
    // The whole text is looked at character by character; a pattern's "$" would also match before
    // a final line feed.
    const bool hash = text.startsWith(u'#');
    const QStringView digits = hash ? text.mid(1) : text;
    if (!allHex(digits))
        return std::nullopt;
    if (digits.size() == 6)
        return digits.toString().toUpper();
    if (hash && digits.size() == 3) {
        QString doubled;
        for (QChar c : digits)
            doubled += QString(2, c.toUpper());
        return doubled;
    }
    return std::nullopt;
}

} // namespace zimbrel
