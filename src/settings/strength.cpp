#include "strength.h"

#include "core/engine.h"
#include "platform/cp1252.h"

#include <QHash>
#include <QSet>

#include <cmath>

namespace zimbrel {

namespace {

// What the generator makes of a character of the set: the engine's replacements.
QChar replaced(QChar c)
{
    if (c.unicode() >= 0x80)
        return c;
    return QChar(char16_t(static_cast<unsigned char>(engine::replacementFor(char(c.unicode())))));
}

// The box's text as the bytes settings.ini will hold (the boxes take nothing else).
std::string ansiBytes(const QString &text)
{
    const std::optional<QByteArray> bytes = toAnsi(text);
    return bytes ? bytes->toStdString() : std::string();
}

} // namespace

QString strengthWord(double bits)
{
    if (bits < kWeakBits)
        return QStringLiteral("poor");
    if (bits < kGoodBits)
        return QStringLiteral("weak");
    if (bits < kExcellentBits)
        return QStringLiteral("good");
    return QStringLiteral("excellent");
}

QString strengthExplained()
{
    return QStringLiteral("Each bit doubles the guesses needed to find the password: under %1 bits is poor, under %2 "
                          "weak, under %3 good, and %3 or more excellent.")
        .arg(kWeakBits)
        .arg(kGoodBits)
        .arg(kExcellentBits);
}

double characterEntropy(const QString &set)
{
    // Membership decides what is drawn, so a character written twice counts once.
    QSet<QChar> members;
    for (QChar c : set) {
        if (isAnsiChar(c))
            members.insert(c);
    }
    QHash<QChar, int> yields;
    for (QChar c : std::as_const(members))
        ++yields[replaced(c)];
    double entropy = 0;
    const double total = double(members.size());
    for (int count : std::as_const(yields)) {
        const double p = count / total;
        entropy -= p * std::log2(p);
    }
    return entropy;
}

Strength passwordStrength(const QString &set, const QString &length)
{
    const std::string lengthBytes = ansiBytes(length);
    const engine::Lines lines = std::vector<std::string>{ansiBytes(set), lengthBytes};
    const engine::Outlook outlook = engine::outlook(lines);
    Strength strength;
    strength.warning = true;
    if (outlook.kind == engine::Outlook::Kind::None) {
        strength.text = QStringLiteral("No password: ") + QString::fromLatin1(outlook.why);
        return strength;
    }
    const double perCharacter = characterEntropy(set);
    if (outlook.kind == engine::Outlook::Kind::Exact) {
        const double bits = outlook.length * perCharacter;
        strength.bits = bits;
        strength.warning = bits < kGoodBits;
        strength.text = QStringLiteral("Strength: %1 bits, %2").arg(qRound(bits)).arg(strengthWord(bits));
        if (*engine::readLength(lengthBytes) > engine::kLongest)
            strength.text += QStringLiteral(" (the longest, %1)").arg(engine::kLongest);
        return strength;
    }
    // One round of 255 candidates, each in the set with the chance k / 256.
    const double inSet = outlook.codes / 256.0;
    if (!outlook.zero) {
        const double characters = engine::kRound * inSet;
        const double bits = characters * perCharacter;
        strength.bits = bits;
        strength.warning = bits < kGoodBits;
        strength.text = QStringLiteral("About %1 characters, %2 bits, %3")
                            .arg(qRound(characters))
                            .arg(qRound(bits))
                            .arg(strengthWord(bits));
        return strength;
    }
    // 0 ends at once when the first candidate is not in the set; otherwise the round's others come.
    const int nonePercent = qRound(100 * (1 - inSet));
    const double characters = 1 + (engine::kRound - 1) * inSet;
    const double bits = characters * perCharacter;
    if (nonePercent >= 50) {
        strength.text = QStringLiteral("No password in most runs (%1%), else about %2 characters")
                            .arg(nonePercent)
                            .arg(qRound(characters));
        return strength;
    }
    strength.bits = bits;
    strength.text = QStringLiteral("About %1 characters, %2 bits, %3; none in %4%")
                        .arg(qRound(characters))
                        .arg(qRound(bits))
                        .arg(strengthWord(bits))
                        .arg(nonePercent);
    return strength;
}

} // namespace zimbrel
