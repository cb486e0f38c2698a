#pragma once
// The password engine: random candidates, the selection by the allowed set and the wanted length,
// and the replacement of easily confused letters.

#include "platform/random.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace zimbrel {

enum RandomStringMode : int {
    CapitalLetters = 1,   // "A".."Z"
    DecimalDigits = 2,    // "0".."9"
    AnyAnsiCharacter = 3, // every Windows-1252 code 0..255
};

// `count` random characters of the given mode (any other mode gives the empty text). A negative
// count asks for a random length of 1..-count; the length used is written back into `count`.
QString RandomString(qint16 &count, int mode, const RandomSource &random = randomSingle);

// Replaces every occurrence of `searched` in `text`, leaving the result in `text` and returning
// it. After each replacement the search starts again from the front, so a replacement can form a
// new occurrence together with what precedes it. It always ends: an empty `searched` changes
// nothing, and a replacement that contains `searched` is made once per original occurrence.
QString ReplaceAll(QString &text, const QString &searched, const QString &replacement);

// The four letters that are easy to misread ("q", "i", "l", "I") become "e", "s", "t", "J".
void ApplyReplacements(QString &password);

// Keeps, in order, the candidates that occur in the allowed set (element 0 of `lines`) until the
// kept text has the wanted length (element 1). `lines` is empty (or absent) when there is no
// settings file; then the first candidate is taken and the selection stops. A wanted length that
// never matches (not a number is different: it stops at once) keeps every qualifying candidate.
QString SelectPassword(const QString &candidates, const std::optional<QStringList> &lines);

// The whole engine: 255 candidates, the selection and the replacements.
QString MakePassword(const std::optional<QStringList> &lines, const RandomSource &random = randomSingle);

inline constexpr qint16 kCandidateCount = 255;

} // namespace zimbrel
