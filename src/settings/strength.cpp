#include "strength.h"

#include "core/engine.h"
#include "platform/cp1252.h"
#include "platform/numerics.h"

#include <QHash>
#include <QSet>

#include <cmath>

namespace zimbrel {

namespace {

constexpr int kLongest = engine::kLongest;

// What the generator makes of a character of the set: the engine's replacements.
QChar replaced(QChar c)
{
    if (c.unicode() >= 0x80)
        return c;
    return QChar(char16_t(static_cast<unsigned char>(engine::replacementFor(char(c.unicode())))));
}

} // namespace

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
    Strength strength;
    strength.warning = true;
    const bool hasCharacter = std::any_of(set.begin(), set.end(), [](QChar c) { return isAnsiChar(c); });
    const std::optional<double> wanted = localeNumber(length);
    if (length.trimmed().isEmpty())
        strength.text = QStringLiteral("No password: no length");
    else if (!wanted)
        strength.text = QStringLiteral("No password: length is not a number");
    else if (std::floor(*wanted) != *wanted)
        strength.text = QStringLiteral("No password: length is not a whole number");
    else if (*wanted < 1)
        strength.text = QStringLiteral("No password: length is below 1");
    else if (*wanted > kLongest)
        strength.text = QStringLiteral("Length is above %1").arg(kLongest);
    else if (!hasCharacter)
        strength.text = QStringLiteral("No password: the set is empty");
    if (!strength.text.isEmpty())
        return strength;
    strength.bits = *wanted * characterEntropy(set);
    strength.warning = *strength.bits < kStrongBits;
    strength.text = QStringLiteral("Strength: %1 bits").arg(qRound(*strength.bits));
    if (strength.warning)
        strength.text += QStringLiteral(", weak");
    return strength;
}

} // namespace zimbrel
