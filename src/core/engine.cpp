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
        wipe(round);
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
                wipe(round);
                return password;
            }
        }
        wipe(round);
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
