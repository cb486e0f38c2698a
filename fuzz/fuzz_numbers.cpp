// The leading-number reader and the locale number conversion: never an infinity or NaN, and a
// plain decimal number reads as its value.
#include "fuzzcheck.h"
#include "platform/numerics.h"

#include <cmath>

using namespace zimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString latin = QString::fromLatin1(fuzz::bytesOf(data, size));
    const QString wide = fuzz::utf16Of(data, size);
    for (const QString &text : {latin, wide}) {
        FUZZ_CHECK(std::isfinite(leadingNumber(text)));
        const std::optional<double> number = localeNumber(text);
        FUZZ_CHECK(!number || std::isfinite(*number));
    }
    // A whole number written out reads back the same, in both readers and with blanks around it.
    if (size >= 4) {
        const qint32 value =
            qint32(uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24);
        const QString written = QString::number(value);
        FUZZ_CHECK(leadingNumber(written) == double(value));
        FUZZ_CHECK(leadingNumber(written + QStringLiteral("px")) == double(value));
        FUZZ_CHECK(localeNumber(QStringLiteral(" ") + written + QStringLiteral(" ")) == double(value));
        FUZZ_CHECK(!localeNumber(written + QStringLiteral("x")));
    }
    return 0;
}
