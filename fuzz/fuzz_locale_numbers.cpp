// The reader of numbers users write, which runs without Qt, against Qt's QLocale: any text in any
// of Qt's locales reads as the same finite number, or as none in both.
#include "fuzzcheck.h"
#include "core/localenumbers.h"

#include <QLocale>

#include <cmath>

using namespace zimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QList<QLocale> locales = [] {
        QList<QLocale> all{QLocale::c()};
        all += QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
        return all;
    }();
    if (size < 2)
        return 0;
    // The first two bytes choose the locale, by name as the environment would give it.
    const QLocale &chosen = locales[(data[0] | data[1] << 8) % locales.size()];
    const QString name = chosen.name();
    const QLocale locale(name);
    const QString text = fuzz::utf16Of(data + 2, size - 2);
    bool ok = false;
    const double expected = locale.toDouble(text, &ok);
    const std::optional<double> read = readNumber(std::u16string_view(QStringView(text).utf16(), size_t(text.size())),
                                                  localeNumberStyle(name.toStdString()));
    FUZZ_CHECK(read.has_value() == (ok && std::isfinite(expected)));
    FUZZ_CHECK(!read || *read == expected);
    return 0;
}
