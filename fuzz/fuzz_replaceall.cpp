// ReplaceAll ends for every argument, and where searching from the front after every
// replacement ends (checked here by doing just that, with a step bound), it gives the same text.
#include "fuzzcheck.h"
#include "generator/sf.h"

using namespace zimbrel;

namespace {

// The rewrite as written: find the first occurrence from the front, replace, start again.
std::optional<QString> fromTheFront(QString text, const QString &searched, const QString &replacement, int steps)
{
    qsizetype pos;
    while ((pos = text.indexOf(searched)) >= 0) {
        if (steps-- == 0)
            return std::nullopt;
        text = text.left(pos) + replacement + text.mid(pos + searched.size());
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Three texts over a small alphabet (so occurrences are common), split by the byte 0xFF.
    QStringList parts{QString(), QString(), QString()};
    int part = 0;
    for (size_t i = 0; i < size && part < 3; ++i) {
        if (data[i] == 0xFF)
            ++part;
        else if (part < 3)
            parts[part] += QChar(u'a' + data[i] % 3);
    }
    const QString &original = parts[0];
    const QString &searched = parts[1];
    const QString &replacement = parts[2];
    QString text = original;
    const QString result = ReplaceAll(text, searched, replacement);
    FUZZ_CHECK(result == text);
    if (searched.isEmpty()) {
        FUZZ_CHECK(result == original);
        return 0;
    }
    if (replacement.contains(searched)) {
        FUZZ_CHECK(result == QString(original).replace(searched, replacement));
        return 0;
    }
    if (replacement.size() < searched.size())
        FUZZ_CHECK(!result.contains(searched));
    if (const std::optional<QString> expected = fromTheFront(original, searched, replacement, 1000))
        FUZZ_CHECK(result == *expected);
    return 0;
}
