// zimbrel-colorpicker's colour argument: accepted exactly when the whole text is RRGGBB,
// #RRGGBB or #RGB, and then given as six upper-case hex digits.
#include "fuzzcheck.h"
#include "settings/colorpicker/colorargument.h"

#include <QRegularExpression>

using namespace zimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QRegularExpression grammar(
        QRegularExpression::anchoredPattern(QStringLiteral("#?[0-9A-Fa-f]{6}|#[0-9A-Fa-f]{3}")));
    for (const QString &text : {QString::fromLatin1(fuzz::bytesOf(data, size)), fuzz::utf16Of(data, size)}) {
        const std::optional<QString> color = parseColorArgument(text);
        FUZZ_CHECK(color.has_value() == grammar.match(text).hasMatch());
        if (!color)
            continue;
        FUZZ_CHECK(color->size() == 6 && *color == color->toUpper());
        FUZZ_CHECK(parseColorArgument(*color) == color);
        FUZZ_CHECK(parseColorArgument(u'#' + *color) == color);
    }
    return 0;
}
