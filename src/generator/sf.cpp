#include "sf.h"

#include "platform/cp1252.h"
#include "platform/numerics.h"

#include <algorithm>
#include <limits>

namespace zimbrel {

QString RandomString(qint16 &count, int mode, const RandomSource &random)
{
    reseedRandom();
    if (count < 0) {
        const double drawn = roundHalfEven(double(random()) * -double(count));
        count = qint16(std::clamp(drawn, 1.0, double(std::numeric_limits<qint16>::max())));
    }
    double scale = 0;
    double offset = 0;
    switch (mode) {
    case CapitalLetters:
        scale = 25;
        offset = 65;
        break;
    case DecimalDigits:
        scale = 9;
        offset = 48;
        break;
    case AnyAnsiCharacter:
        scale = 255;
        break;
    default:
        return {};
    }
    QString text;
    text.reserve(count);
    for (int i = 0; i < count; ++i) {
        // The product is exact in double precision, so the tie rule alone decides the edges.
        const double code = roundHalfEven(double(random()) * scale + offset);
        text += ansiToChar(static_cast<unsigned char>(code));
    }
    return text;
}

QString ReplaceAll(QString &text, const QString &searched, const QString &replacement)
{
    if (searched.isEmpty())
        return text;
    // The original keeps at most this many characters after an occurrence.
    constexpr qsizetype kTailLimit = 999999;
    // Rewriting rules can grow or cycle in ways no simple test rules out; these bounds lie far
    // beyond any text the programs handle and only make sure the loop ends.
    constexpr qsizetype kTextLimit = qsizetype(1) << 24;
    constexpr qsizetype kStepLimit = qsizetype(1) << 24;
    const bool grows = replacement.contains(searched);
    qsizetype from = 0;
    qsizetype pos;
    for (qsizetype step = 0; step < kStepLimit && text.size() <= kTextLimit
                             && (pos = text.indexOf(searched, from)) >= 0;
         ++step) {
        text = text.left(pos) + replacement + text.mid(pos + searched.size(), kTailLimit);
        if (grows) {
            // Searching from the front again would find the replacement itself forever.
            from = pos + replacement.size();
        } else {
            // Everything before pos - (searched length - 1) is unchanged and held no occurrence,
            // so searching from there finds what a search from the front would find.
            from = std::max<qsizetype>(0, pos - searched.size() + 1);
        }
    }
    return text;
}

void ApplyReplacements(QString &password)
{
    static const std::pair<QString, QString> pairs[] = {
        {QStringLiteral("q"), QStringLiteral("e")},
        {QStringLiteral("i"), QStringLiteral("s")},
        {QStringLiteral("l"), QStringLiteral("t")},
        {QStringLiteral("I"), QStringLiteral("J")},
    };
    for (const auto &[searched, replacement] : pairs)
        ReplaceAll(password, searched, replacement);
}

QString SelectPassword(const QString &candidates, const std::optional<QStringList> &lines)
{
    const bool hasSet = lines && !lines->isEmpty();
    // The wanted length is converted once; the text cannot change during the loop.
    std::optional<double> wanted;
    if (lines && lines->size() > 1)
        wanted = localeNumber(lines->at(1));

    QString password;
    for (QChar candidate : candidates) {
        // Without a set the membership test cannot be made, and the candidate is taken.
        if (!hasSet || lines->at(0).contains(candidate))
            password += candidate;
        // No length to compare with ends the selection at once.
        if (!wanted || *wanted == double(password.size()))
            break;
    }
    return password;
}

QString MakePassword(const std::optional<QStringList> &lines, const RandomSource &random)
{
    qint16 count = kCandidateCount;
    const QString candidates = RandomString(count, AnyAnsiCharacter, random);
    QString password = SelectPassword(candidates, lines);
    ApplyReplacements(password);
    return password;
}

} // namespace zimbrel
