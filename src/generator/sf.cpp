#include "sf.h"

#include "platform/cp1252.h"
#include "platform/numerics.h"
#include "core/engine.h"
#include "core/helperspawn.h"

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

namespace {

// A text longer than this after an occurrence is cut there, as the file format's readers expect.
constexpr qsizetype kTailLimit = 999999;

// Rewrites `text` from left to right. `out` never holds an occurrence that starts at or after
// `barrier`, and every character still to look at lies in `pending` (top = next, made by earlier
// replacements) and then in `text` from `next` on; so when `out` ends with `searched`, that is the
// leftmost occurrence of the whole text, as a search from the front would find it.
//
// With `rescan`, a replacement goes back in front of what is still to look at, so an occurrence
// that forms across the seam is found as a search from the front would find it. Without it, the
// replacement goes straight out and the search goes on behind it: each occurrence of the text as
// it stands is replaced once. Gives up (nothing) after `budget` replacements.
std::optional<QString> rewrite(const QString &text, const QString &searched, const QString &replacement, bool rescan,
                               qsizetype budget)
{
    QString out;
    out.reserve(text.size());
    QString pending; // reversed: the last character is the next one
    qsizetype next = 0;
    qsizetype end = text.size();
    qsizetype barrier = 0;
    qsizetype made = 0;
    while (!pending.isEmpty() || next < end) {
        if (!pending.isEmpty()) {
            out += pending.back();
            pending.chop(1);
        } else {
            out += text.at(next++);
        }
        if (out.size() - searched.size() < barrier || !out.endsWith(searched))
            continue;
        if (++made > budget)
            return std::nullopt;
        out.chop(searched.size());
        qsizetype excess = pending.size() + (end - next) - kTailLimit;
        if (excess > 0) {
            const qsizetype fromText = std::min(excess, end - next);
            end -= fromText;
            pending.remove(0, excess - fromText);
        }
        if (rescan) {
            pending.reserve(pending.size() + replacement.size());
            for (qsizetype i = replacement.size(); i-- > 0;)
                pending += replacement.at(i);
        } else {
            out += replacement;
            barrier = out.size();
        }
    }
    return out;
}

} // namespace

QString ReplaceAll(QString &text, const QString &searched, const QString &replacement)
{
    if (searched.isEmpty() || text.size() < searched.size())
        return text;
    // Searching from the front after every replacement ends by itself when each replacement
    // shortens the text. A replacement that contains the searched text would be found again
    // forever, so there each occurrence is replaced once. Other rewrites can keep making new
    // occurrences with what precedes them ("aab" by "bbaaaaa" in "aaaab" never ends); they get a
    // budget of replacements well beyond anything a finite rewrite of that text needs in
    // practice, and past it each occurrence is replaced once too. Every character looked at
    // costs one comparison with the searched text, so the work stays bounded by the sizes.
    const bool shrinks = replacement.size() < searched.size();
    const bool containsItself = replacement.contains(searched);
    const qsizetype budget = shrinks ? std::numeric_limits<qsizetype>::max() : 16 * (text.size() + 64);
    std::optional<QString> result;
    if (!containsItself)
        result = rewrite(text, searched, replacement, true, budget);
    if (!result)
        result = rewrite(text, searched, replacement, false, std::numeric_limits<qsizetype>::max());
    text = *result;
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
    // The engine's table; the four letters are ASCII, and so are their replacements.
    for (QChar &c : password) {
        if (c.unicode() < 0x80)
            c = QChar(char16_t(static_cast<unsigned char>(engine::replacementFor(char(c.unicode())))));
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
            std::fill(round.begin(), round.end(), QChar(0));
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
