#include "sf.h"

#include "platform/cp1252.h"
#include "platform/numerics.h"
#include "platform/wipe.h"
#include "core/engine.h"
#include "core/secret.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace zimbrel {

QString RandomString(qint16 &count, int mode, const RandomSource &random)
{
    reseedRandom();
    if (count < 0) {
        const double drawn = roundHalfEven(double(singleFromWord(random())) * -double(count));
        count = qint16(std::clamp(drawn, 1.0, double(std::numeric_limits<qint16>::max())));
    }
    quint32 codes = 0;
    quint32 first = 0;
    switch (mode) {
    case CapitalLetters:
        codes = 26;
        first = 'A';
        break;
    case DecimalDigits:
        codes = 10;
        first = '0';
        break;
    case AnyAnsiCharacter:
        codes = 256;
        break;
    default:
        return {};
    }
    QString text;
    text.reserve(count);
    for (int i = 0; i < count; ++i)
        text += ansiToChar(static_cast<unsigned char>(first + uniformBelow(codes, random)));
    return text;
}

QString ReplaceAll(QString &text, const QString &searched, const QString &replacement)
{
    std::u16string rewritten = text.toStdU16String();
    engine::replaceAll(rewritten, searched.toStdU16String(), replacement.toStdU16String());
    text = QString::fromStdU16String(rewritten);
    return text;
}

namespace {

// Windows-1252 bytes of a text; a character the code page cannot hold is left out (no candidate
// can be one, so it matches nothing).
std::string ansiBytes(const QString &text)
{
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    for (QChar c : text) {
        if (const std::optional<unsigned char> byte = charToAnsi(c))
            bytes += char(*byte);
    }
    return bytes;
}

engine::Lines ansiLines(const std::optional<QStringList> &lines)
{
    if (!lines)
        return std::nullopt;
    std::vector<std::string> bytes;
    bytes.reserve(size_t(lines->size()));
    for (const QString &line : *lines)
        bytes.push_back(ansiBytes(line));
    return bytes;
}

} // namespace

void ApplyReplacements(QString &password)
{
    for (const auto &[letter, replacement] : engine::kMisreadLetters) {
        QString searched(QChar::fromLatin1(letter));
        QString replaced(QChar::fromLatin1(replacement));
        ReplaceAll(password, searched, replaced);
    }
}

std::optional<int> GuaranteedLength(const std::optional<QStringList> &lines)
{
    return engine::guaranteedLength(ansiLines(lines));
}

QString SelectPassword(const QString &candidates, const std::optional<QStringList> &lines,
                       const CandidateRound &nextRound)
{
    engine::Round more;
    if (nextRound) {
        more = [&nextRound] {
            QString round = nextRound();
            std::string bytes = ansiBytes(round);
            wipe(round);
            return bytes;
        };
    }
    std::string first = ansiBytes(candidates);
    std::string selected = engine::selectPassword(first, ansiLines(lines), more);
    QString password = fromAnsi(QByteArrayView(selected.data(), qsizetype(selected.size())));
    wipeString(first);
    wipeString(selected);
    return password;
}

QString WhyNoPassword(const std::optional<QStringList> &lines)
{
    return QString::fromLatin1(engine::whyNoPassword(ansiLines(lines)));
}

QString CandidateRoundFrom(const RandomSource &random)
{
    qint16 count = kCandidateCount;
    return RandomString(count, AnyAnsiCharacter, random);
}

QString MakePassword(const std::optional<QStringList> &lines, const RandomSource &random)
{
    QString password =
        SelectPassword(CandidateRoundFrom(random), lines, [&random] { return CandidateRoundFrom(random); });
    ApplyReplacements(password);
    return password;
}

} // namespace zimbrel
