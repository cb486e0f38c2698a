#pragma once
// The password engine under the names the form knows: random candidates, the selection by the
// allowed set and the wanted length, and the replacement of easily confused letters. The rules
// themselves live once, in core/engine.h; these are thin calls that carry the text across as
// Windows-1252.

#include "core/engine.h"
#include "core/kernelrandom.h"
#include "platform/random.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zimbrel {

enum RandomStringMode : int {
    CapitalLetters = 1,   // "A".."Z"
    DecimalDigits = 2,    // "0".."9"
    AnyAnsiCharacter = 3, // every Windows-1252 code 0..255
};

// `count` random characters of the given mode (any other mode gives the empty text), each code of
// the mode's range with the same chance. A negative count asks for a random length of about
// r x -count (at least 1); the length used is written back into `count`.
QString RandomString(qint16 &count, int mode, const RandomSource &random = kernelRandomWord);

// Replaces every occurrence of `searched` in `text`, leaving the result in `text` and returning
// it. After each replacement the search starts again from the front, so a replacement can form a
// new occurrence together with what precedes it. It always ends: an empty `searched` changes
// nothing, and a replacement that contains `searched` is made once per original occurrence.
QString ReplaceAll(QString &text, const QString &searched, const QString &replacement);

// The four letters that are easy to misread ("q", "i", "l", "I") become "e", "s", "t", "J".
void ApplyReplacements(QString &password);

inline constexpr qint16 kCandidateCount = engine::kRound;
inline constexpr int kLongestPassword = engine::kLongest;

// The length the selection must reach, when it must reach one: line 2 a whole number from 1 up
// (above kLongestPassword counts as kLongestPassword) and a set that holds at least one character
// a candidate can be. Every other case ends after the first round of candidates.
std::optional<int> GuaranteedLength(const std::optional<QStringList> &lines);

// Keeps, in order, the candidates that occur in the allowed set (element 0 of `lines`) until the
// kept text has the wanted length (element 1). `lines` is empty (or absent) when there is no
// settings file; then the first candidate is taken and the selection stops. A wanted length that
// never matches (not a number is different: it stops at once) keeps every qualifying candidate.
// When GuaranteedLength() gives a length and the candidates run out before it is reached,
// `nextRound` is asked for more candidates (255 at a time) until it is.
using CandidateRound = std::function<QString()>;
QString SelectPassword(const QString &candidates, const std::optional<QStringList> &lines,
                       const CandidateRound &nextRound = {});

// The whole engine: rounds of 255 candidates, the selection and the replacements.
QString MakePassword(const std::optional<QStringList> &lines, const RandomSource &random = kernelRandomWord);

// Why settings of these lines can give an empty password, in a few plain words that fit the
// generator's window after "Your password:":
// the set holds no character a candidate can be, there is no length, or the length is not a
// whole number from 1 up; otherwise that no candidate of the round was in the set.
QString WhyNoPassword(const std::optional<QStringList> &lines);

// A further round of 255 candidates from the same source.
QString CandidateRoundFrom(const RandomSource &random = kernelRandomWord);

} // namespace zimbrel
