#pragma once
// The password engine, once, in plain C++: how settings.ini splits into lines, the selection of
// candidates by the allowed set and the wanted length (in rounds of 255, up to the longest
// password), the membership test, and the replacement of the four letters that are easily
// misread. Text is Windows-1252 bytes, as settings.ini holds it and as candidates are drawn.
//
// Only the reading of the length line differs between the callers, and it is theirs to give: the
// generator before its GUI toolkit is loaded reads plain whole numbers (wholeDigits), and leaves
// any other length line (" 12", "1.5", "1e3", read in the user's locale) to the window program,
// which reads it with the toolkit's locale conversion and calls the same engine.

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
// The length line as a number; none when it is not one.
using LengthReader = std::function<std::optional<double>(const std::string &line)>;
// A further round of candidates.
using Round = std::function<std::string()>;

// Splits on CR LF, or on LF in a text without any CR LF (a file written on Linux); a lone CR (and
// a lone LF beside CR LF) stays in its line. The empty text has no lines.
std::vector<std::string> splitSettingsLines(const std::string &text);

// The letter a misreadable one becomes ("q" e, "i" s, "l" t, "I" J); any other byte stays.
char replacementFor(char c);
void applyReplacements(std::string &password);

// The length the selection must reach, when it must reach one: line 2 a whole number from 1 up
// (above kLongest counts as kLongest) and a set that is not empty.
std::optional<int> guaranteedLength(const Lines &lines, const LengthReader &read);

// Keeps, in order, the candidates that are in the set (line 1) until the kept text has the wanted
// length (line 2). Without lines (no file, an empty file) the first candidate is taken and the
// selection stops; so it does without a length to compare with (no line 2, or not a number). A
// length that never matches keeps every qualifying candidate of the round. When
// guaranteedLength() gives a length, `nextRound` (if given) is asked for more candidates until it
// is reached. Membership is looked up in a table of the 256 codes: a large set costs no more.
std::string selectPassword(const std::string &candidates, const Lines &lines, const LengthReader &read,
                           const Round &nextRound = {});

// A round of 255 candidates, one word each, its low byte the code.
std::string candidateRound(const std::function<uint32_t()> &word);

// The plain reader: a length line of 1 to 9 digits as its number; none for anything else.
std::optional<double> wholeDigits(const std::string &line);

// Whether the length line is one only a locale-aware reader can decide: present, not empty, and
// not 1 to 9 digits.
bool needsLocaleReading(const Lines &lines);

} // namespace zimbrel::engine
