#include "engine.h"

#include "cp1252table.h"
#include "localenumbers.h"
#include "secret.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

namespace zimbrel::engine {

std::vector<std::string> splitSettingsLines(const std::string &text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    const std::string end = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(end, start);
        if (at == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, at - start));
        start = at + end.size();
    }
}

namespace {

// A text longer than this after an occurrence is cut there, as the file format's readers expect.
constexpr std::size_t kTailLimit = 999999;

template <typename Text>
bool endsWith(const Text &text, const Text &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Rewrites `text` from left to right. `out` never holds an occurrence that starts at or after
// `barrier`, and every character still to look at lies in `pending` (top = next, made by earlier
// replacements) and then in `text` from `next` on; so when `out` ends with `searched`, that is the
// leftmost occurrence of the whole text, as a search from the front would find it.
//
// With `rescan`, a replacement goes back in front of what is still to look at, so an occurrence
// that forms across the seam is found as a search from the front would find it. Without it, the
// replacement goes straight out and the search goes on behind it: each occurrence of the text as
// it stands is replaced once. Gives up (nothing) after `budget` replacements.
template <typename Text>
std::optional<Text> rewrite(const Text &text, const Text &searched, const Text &replacement, bool rescan,
                            std::size_t budget)
{
    Text out;
    out.reserve(text.size());
    Text pending; // reversed: the last character is the next one
    std::size_t next = 0;
    std::size_t end = text.size();
    std::size_t barrier = 0;
    std::size_t made = 0;
    while (!pending.empty() || next < end) {
        if (!pending.empty()) {
            out += pending.back();
            pending.pop_back();
        } else {
            out += text[next++];
        }
        if (out.size() < searched.size() + barrier || !endsWith(out, searched))
            continue;
        if (++made > budget)
            return std::nullopt;
        out.resize(out.size() - searched.size());
        const std::size_t left = pending.size() + (end - next);
        if (left > kTailLimit) {
            const std::size_t excess = left - kTailLimit;
            const std::size_t fromText = std::min(excess, end - next);
            end -= fromText;
            pending.erase(0, excess - fromText);
        }
        if (rescan) {
            pending.append(replacement.rbegin(), replacement.rend());
        } else {
            out += replacement;
            barrier = out.size();
        }
    }
    return out;
}

} // namespace

template <typename Text>
Text replaceAll(Text &text, const Text &searched, const Text &replacement)
{
    if (searched.empty() || text.size() < searched.size())
        return text;
    // Searching from the front after every replacement ends by itself when each replacement
    // shortens the text. A replacement that contains the searched text would be found again
    // forever, so there each occurrence is replaced once. Other rewrites can keep making new
    // occurrences with what precedes them ("aab" by "bbaaaaa" in "aaaab" never ends); they get a
    // budget of replacements well beyond anything a finite rewrite of that text needs in
    // practice, and past it each occurrence is replaced once too. Every character looked at
    // costs one comparison with the searched text, so the work stays bounded by the sizes.
    const bool shrinks = replacement.size() < searched.size();
    const bool containsItself = replacement.find(searched) != Text::npos;
    const std::size_t unlimited = std::numeric_limits<std::size_t>::max();
    const std::size_t budget = shrinks ? unlimited : 16 * (text.size() + 64);
    std::optional<Text> result;
    if (!containsItself)
        result = rewrite(text, searched, replacement, true, budget);
    if (!result)
        result = rewrite(text, searched, replacement, false, unlimited);
    text = std::move(*result);
    return text;
}

template std::string replaceAll(std::string &, const std::string &, const std::string &);
template std::u16string replaceAll(std::u16string &, const std::u16string &, const std::u16string &);

char replacementFor(char c)
{
    for (const auto &[letter, replacement] : kMisreadLetters) {
        if (c == letter)
            return replacement;
    }
    return c;
}

void applyReplacements(std::string &password)
{
    for (const auto &[letter, replacement] : kMisreadLetters) {
        std::string searched(1, letter);
        replaceAll(password, searched, std::string(1, replacement));
    }
}

std::optional<double> readLength(const std::string &line)
{
    std::u16string text;
    text.reserve(line.size());
    for (char c : line)
        text += cp1252ToUnicode(static_cast<unsigned char>(c));
    return readUserNumber(text);
}

namespace {

// outlook(), with the length read (none when it is no number).
Outlook decide(const Lines &lines, std::optional<double> &wanted)
{
    Outlook o;
    wanted.reset();
    if (!lines) {
        o.why = "settings.ini cannot be read";
        return o;
    }
    if (lines->empty()) {
        o.why = "settings.ini is empty";
        return o;
    }
    const std::string &set = (*lines)[0];
    std::array<bool, 256> seen{};
    for (char c : set) {
        if (!seen[static_cast<unsigned char>(c)]) {
            seen[static_cast<unsigned char>(c)] = true;
            ++o.codes;
        }
    }
    if (set.empty()) {
        o.why = "the set is empty";
        return o;
    }
    const std::string length = lines->size() > 1 ? (*lines)[1] : std::string();
    if (length.find_first_not_of(" \t") == std::string::npos) {
        o.why = "settings.ini has no length";
        return o;
    }
    wanted = readLength(length);
    if (!wanted) {
        o.why = "the length in settings.ini is not a number";
        return o;
    }
    if (*wanted >= 1 && std::floor(*wanted) == *wanted) {
        o.kind = Outlook::Kind::Exact;
        o.length = int(std::min(*wanted, double(kLongest)));
        return o;
    }
    o.kind = Outlook::Kind::OneRound;
    o.zero = *wanted == 0;
    return o;
}

} // namespace

Outlook outlook(const Lines &lines)
{
    std::optional<double> wanted;
    return decide(lines, wanted);
}

std::optional<int> guaranteedLength(const Lines &lines)
{
    const Outlook o = outlook(lines);
    return o.kind == Outlook::Kind::Exact ? std::optional<int>(o.length) : std::nullopt;
}

std::string selectPassword(const std::string &candidates, const Lines &lines, const Round &nextRound)
{
    // The wanted length is read once; the line cannot change during the selection.
    std::optional<double> wanted;
    const Outlook o = decide(lines, wanted);
    std::string round = candidates;
    if (o.kind == Outlook::Kind::None) {
        wipeString(round);
        return {};
    }
    // A user who asked for n characters gets n, however small the set: further rounds of
    // candidates are drawn until then. At least one in 256 candidates qualifies on average.
    const bool exact = o.kind == Outlook::Kind::Exact;
    const double target = exact ? double(o.length) : *wanted;
    std::array<bool, 256> allowed{};
    for (char c : (*lines)[0])
        allowed[static_cast<unsigned char>(c)] = true;

    std::string password;
    for (;;) {
        for (char candidate : round) {
            if (allowed[static_cast<unsigned char>(candidate)])
                password += candidate;
            if (target == double(password.size())) {
                wipeString(round);
                return password;
            }
        }
        wipeString(round);
        if (!exact || !nextRound)
            return password;
        round = nextRound();
    }
}

const char *whyNoPassword(const Lines &lines)
{
    const Outlook o = outlook(lines);
    if (o.kind == Outlook::Kind::None)
        return o.why;
    return o.zero ? "the length is 0 and the first candidate was not in the set" : "no candidate was in the set";
}

std::string candidateRound(const std::function<uint32_t()> &word)
{
    std::string candidates(kRound, '\0');
    for (char &c : candidates)
        c = char(word() & 0xFF);
    return candidates;
}

} // namespace zimbrel::engine
