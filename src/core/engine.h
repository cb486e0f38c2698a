#pragma once
// The password engine, once, in plain C++: how settings.ini splits into lines, the reading of
// the length line, the selection of candidates by the allowed set and the wanted length (in
// rounds of 255, up to the longest password), the membership test, and the replacement of the
// four letters that are easily misread. Text is Windows-1252 bytes, as settings.ini holds it and
// as candidates are drawn. zimbrel-generator calls it before its GUI toolkit is loaded, the
// window program and the editor through generator/sf.h.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zimbrel::engine {

inline constexpr int kRound = 255;
inline constexpr int kLongest = 32767;

// settings.ini's lines; none when there is no file (or it could not be read).
using Lines = std::optional<std::vector<std::string>>;
// A further round of candidates.
using Round = std::function<std::string()>;

// Splits on CR LF, or on LF in a text without any CR LF (a file written on Linux); a lone CR (and
// a lone LF beside CR LF) stays in its line. The empty text has no lines.
std::vector<std::string> splitSettingsLines(const std::string &text);

// Replaces every occurrence of `searched` in `text`, leaving the result in `text` and returning
// it. After each replacement the search starts again from the front, so a replacement can form a
// new occurrence together with what precedes it. It always ends: an empty `searched` changes
// nothing, and a replacement that contains `searched` is made once per original occurrence. For
// Windows-1252 bytes (std::string) and any text (std::u16string).
template <typename Text>
Text replaceAll(Text &text, const Text &searched, const Text &replacement);

// The letters that are easily misread, and what they become, in the order they are replaced.
inline constexpr char kMisreadLetters[][2] = {{'q', 'e'}, {'i', 's'}, {'l', 't'}, {'I', 'J'}};
// The letter a misreadable one becomes ("q" e, "i" s, "l" t, "I" J); any other byte stays.
char replacementFor(char c);
// replaceAll() with each of the four pairs, in their order.
void applyReplacements(std::string &password);

// The length line as a number, read as the user writes numbers (core/localenumbers.h): " 12",
// "1.5" and "1e3" everywhere, "1,5" and "1.000" in German; none when it is not one.
std::optional<double> readLength(const std::string &line);

// What settings of these lines make, decided before any candidate is drawn. The generator makes
// its password by it, and the editor tells the user from it what the generator will do, so the
// two cannot disagree.
struct Outlook
{
    enum class Kind {
        None,     // no password at all: `why`
        Exact,    // always `length` characters: a whole length from 1 (above kLongest: kLongest)
        OneRound, // every candidate of one round of kRound that is in the set: a length that is a
                  // fraction, negative or 0 (0 ends at once when the first candidate is not)
    };
    Kind kind = Kind::None;
    // Why there is none, in a few plain words that fit the window after "(none: ": no file, an
    // empty file, an empty set, no length, or a length that is no number at all.
    const char *why = "";
    int length = 0;    // Exact
    bool zero = false; // OneRound with a length of 0
    int codes = 0;     // the distinct codes of the set
};
Outlook outlook(const Lines &lines);

// The length the selection must reach, when it must reach one (Outlook::Kind::Exact).
std::optional<int> guaranteedLength(const Lines &lines);

// Keeps, in order, the candidates that are in the set (line 1) until the kept text has the wanted
// length (line 2), as outlook() says: nothing when it says none (no candidate is looked at); in
// further rounds from `nextRound` (if given) until an exact length is reached; else the
// qualifying candidates of this one round. Membership is looked up in a table of the 256 codes:
// a large set costs no more.
std::string selectPassword(const std::string &candidates, const Lines &lines, const Round &nextRound = {});

// A round of 255 candidates, one word each, its low byte the code.
std::string candidateRound(const std::function<uint32_t()> &word);

// Why settings of these lines gave an empty password, in a few plain words that fit the
// generator's window after "(none: ": outlook()'s reason, or, for a length that keeps one round,
// that no candidate of it (or, for 0, not the first) was in the set.
const char *whyNoPassword(const Lines &lines);

} // namespace zimbrel::engine
