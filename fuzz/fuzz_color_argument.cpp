// zimbrel-colorpicker's colour argument: accepted exactly when the whole text is one of the
// forms the command documents, and then given as six upper-case hex digits that QColor agrees
// with.
#include "fuzzcheck.h"
#include "settings/colorpicker/colorargument.h"

#include <QColor>
#include <QRegularExpression>

using namespace zimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QRegularExpression digits(QRegularExpression::anchoredPattern(
        QStringLiteral("[0-9A-Fa-f]{6}|#(?:[0-9A-Fa-f]{3}){1,2}|#(?:[0-9A-Fa-f]{3}){3,4}")));
    static const QRegularExpression name(QRegularExpression::anchoredPattern(QStringLiteral("[A-Za-z]+")));
    static const QRegularExpression rgb(QRegularExpression::anchoredPattern(
        QStringLiteral("(?i)rgb\\( *(\\d{1,3}) *, *(\\d{1,3}) *, *(\\d{1,3}) *\\)")));
    for (const QString &text : {QString::fromLatin1(fuzz::bytesOf(data, size)), fuzz::utf16Of(data, size)}) {
        const std::optional<QString> color = parseColorArgument(text);
        const QRegularExpressionMatch function = rgb.match(text);
        bool expected = digits.match(text).hasMatch();
        if (name.match(text).hasMatch() && QColor::isValidColorName(text))
            expected = QColor::fromString(text).alpha() == 255;
        if (function.hasMatch()) {
            expected = true;
            for (int i = 1; i <= 3; ++i)
                expected = expected && function.captured(i).toInt() <= 255;
        }
        FUZZ_CHECK(color.has_value() == expected);
        if (!color)
            continue;
        FUZZ_CHECK(color->size() == 6 && *color == color->toUpper());
        FUZZ_CHECK(parseColorArgument(*color) == color);
        FUZZ_CHECK(parseColorArgument(u'#' + *color) == color);
    }
    return 0;
}
