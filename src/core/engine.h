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

// The letter a misreadable one becomes ("q" e, "i" s, "l" t, "I" J); any other byte stays.
char replacementFor(char c);
void applyReplacements(std::string &password);

// The length line as a number, read as the user writes numbers (core/localenumbers.h): " 12",
// "1.5" and "1e3" everywhere, "1,5" and "1.000" in German; none when it is not one.
std::optional<double> readLength(const std::string &line);

// The length the selection must reach, when it must reach one: line 2 a whole number from 1 up
// (above kLongest counts as kLongest) and a set that is not empty.
std::optional<int> guaranteedLength(const Lines &lines);

// Keeps, in order, the candidates that are in the set (line 1) until the kept text has the wanted
// length (line 2). Without lines (no file, an empty file) the first candidate is taken and the
// selection stops; so it does without a length to compare with (no line 2, or not a number). A
// length that never matches keeps every qualifying candidate of the round. When
// guaranteedLength() gives a length, `nextRound` (if given) is asked for more candidates until it
// is reached. Membership is looked up in a table of the 256 codes: a large set costs no more.
std::string selectPassword(const std::string &candidates, const Lines &lines, const Round &nextRound = {});

// A round of 255 candidates, one word each, its low byte the code.
std::string candidateRound(const std::function<uint32_t()> &word);

// Why settings of these lines can give an empty password, in a few plain words that fit the
// generator's window after "Your password:": the set is empty, there is no length, or the length
// is not a whole number from 1 up; otherwise no candidate of the round was in the set.
const char *whyNoPassword(const Lines &lines);

} // namespace zimbrel::engine
