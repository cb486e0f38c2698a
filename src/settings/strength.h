#pragma once
// How strong the settings in the editor's boxes make a password: the information a password of
// that length from that set carries, in bits. Shown while the user types; it decides nothing.

#include <QString>

#include <optional>

namespace zimbrel {

struct Strength
{
    std::optional<double> bits; // the password's entropy; none when no password of the length comes
    QString text;               // what the editor shows
    bool warning = false;       // shown in a warning tone: no password of that length, or below 64 bits
};

inline constexpr double kStrongBits = 64;

// The entropy of one character, in bits: -sum p(c) log2 p(c) over the characters the set yields.
// Every distinct character of the set is drawn equally often; the four replacements (q by e, i
// by s, l by t, I by J) then merge some of them, so with "q" and "e" in the set, "e" comes twice as
// often. A set without any character gives 0.
double characterEntropy(const QString &set);

// The read-out for the boxes as typed: length x the entropy of one character, or a short warning
// when the length will not give a password of that many characters (not a whole number from 1 to
// 32767, as the generator reads the length line) or the set is empty.
Strength passwordStrength(const QString &set, const QString &length);

} // namespace zimbrel
