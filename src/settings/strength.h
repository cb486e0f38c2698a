#pragma once
// What the generator will make of the settings in the editor's boxes, and how strong that is: the
// information such a password carries, in bits, with a word from a published scale. Shown while the
// user types; it decides nothing. The rules are the generator's own (engine::outlook()), so the
// read-out and the generator cannot disagree.

#include <QString>

#include <optional>

namespace zimbrel {

struct Strength
{
    std::optional<double> bits; // the password's entropy (expected, for a length that keeps one
                                // round); none when the generator makes no password
    QString text;               // what the editor shows
    bool warning = false;       // shown in a warning tone: no password, one that may not come, or
                                // one below kGoodBits
};

// KeePassXC's scale: poor below 40 bits, weak below 65, good below 100, excellent from 100.
inline constexpr double kWeakBits = 40;
inline constexpr double kGoodBits = 65;
inline constexpr double kExcellentBits = 100;
QString strengthWord(double bits);

// The read-out's tool tip: what the bits mean, in one sentence.
QString strengthExplained();

// The entropy of one character, in bits: -sum p(c) log2 p(c) over the characters the set yields.
// Every distinct character of the set is drawn equally often; the four replacements (q by e, i
// by s, l by t, I by J) then merge some of them, so with "q" and "e" in the set, "e" comes twice as
// often. A set without any character gives 0.
double characterEntropy(const QString &set);

// The read-out for the boxes as typed:
//   a whole length:     "Strength: 61 bits, weak" (above 32767: the longest, 32767);
//   a fraction or a negative number, which keep every candidate of one round of 255 that is in
//   the set:            "About 60 characters, 357 bits, excellent";
//   0, which gives none when the first candidate is not in the set: how often none comes;
//   no password:        "No password: " and the generator's own reason.
Strength passwordStrength(const QString &set, const QString &length);

} // namespace zimbrel
