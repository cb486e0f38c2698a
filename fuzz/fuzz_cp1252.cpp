// Windows-1252 both ways: every byte string survives bytes -> text -> bytes, and any text either
// is refused or comes back as the same text.
#include "fuzzcheck.h"
#include "platform/cp1252.h"

using namespace zimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const QString text = fromAnsi(bytes);
    FUZZ_CHECK(text.size() == bytes.size());
    const std::optional<QByteArray> back = toAnsi(text);
    FUZZ_CHECK(back && *back == bytes);

    const QString any = fuzz::utf16Of(data, size);
    const std::optional<QByteArray> encoded = toAnsi(any);
    bool allStorable = true;
    for (QChar c : any)
        allStorable = allStorable && isAnsiChar(c);
    FUZZ_CHECK(encoded.has_value() == allStorable);
    if (encoded)
        FUZZ_CHECK(fromAnsi(*encoded) == any);
    return 0;
}
