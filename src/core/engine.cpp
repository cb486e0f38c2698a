#include "engine.h"

#include "cp1252table.h"
#include "localenumbers.h"

#include <array>
#include <cmath>
#include <cstring>

namespace zimbrel::engine {

namespace {

// Overwrites a string's bytes before it is dropped: candidates are what passwords are made of.
void wipe(std::string &text)
{
    explicit_bzero(text.data(), text.size());
    text.clear();
}

} // namespace

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

char replacementFor(char c)
{
    // None of the replacements is a letter searched for later, so one pass over the text gives
    // what four passes, one letter each, would.
    switch (c) {
    case 'q':
        return 'e';
    case 'i':
        return 's';
    case 'l':
        return 't';
    case 'I':
        return 'J';
    default:
        return c;
    }
}

void applyReplacements(std::string &password)
{
    for (char &c : password)
        c = replacementFor(c);
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

std::optional<int> guaranteedFrom(const Lines &lines, const std::optional<double> &wanted)
{
    if (!lines || lines->size() < 2 || (*lines)[0].empty())
        return std::nullopt;
    if (!wanted || *wanted < 1 || std::floor(*wanted) != *wanted)
        return std::nullopt;
    return int(std::min(*wanted, double(kLongest)));
}

} // namespace

std::optional<int> guaranteedLength(const Lines &lines)
{
    return guaranteedFrom(lines, lines && lines->size() > 1 ? readLength((*lines)[1]) : std::nullopt);
}

std::string selectPassword(const std::string &candidates, const Lines &lines, const Round &nextRound)
{
    const bool hasSet = lines && !lines->empty();
    // The wanted length is read once; the line cannot change during the selection.
    std::optional<double> wanted;
    if (lines && lines->size() > 1)
        wanted = readLength((*lines)[1]);
    // A user who asked for n characters gets n, however small the set: further rounds of
    // candidates are drawn until then. At least one in 256 candidates qualifies on average.
    const std::optional<int> guaranteed = nextRound ? guaranteedFrom(lines, wanted) : std::nullopt;
    const double target = guaranteed ? double(*guaranteed) : wanted.value_or(0);
    std::array<bool, 256> allowed{};
    if (hasSet) {
        for (char c : (*lines)[0])
            allowed[static_cast<unsigned char>(c)] = true;
    }

    std::string password;
    std::string round = candidates;
    for (;;) {
        for (char candidate : round) {
            // Without a set the membership test cannot be made, and the candidate is taken.
            if (!hasSet || allowed[static_cast<unsigned char>(candidate)])
                password += candidate;
            // No length to compare with ends the selection at once.
            if (!wanted || target == double(password.size())) {
                wipe(round);
                return password;
            }
        }
        wipe(round);
        if (!guaranteed)
            return password;
        round = nextRound();
    }
}

const char *whyNoPassword(const Lines &lines)
{
    if (lines && !lines->empty()) {
        if ((*lines)[0].empty())
            return "the set is empty";
        if (lines->size() < 2 || (*lines)[1].empty())
            return "no length in settings.ini";
        if (!guaranteedLength(lines))
            return "length is not a whole number";
    }
    return "no candidate was in the set";
}

std::string candidateRound(const std::function<uint32_t()> &word)
{
    std::string candidates(kRound, '\0');
    for (char &c : candidates)
        c = char(word() & 0xFF);
    return candidates;
}

} // namespace zimbrel::engine
