#include "localenumbers.h"

#include "environment.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace zimbrel {

namespace {

struct Code
{
    char text[5];
    uint16_t id;
};

// A language, script and territory (Qt's numbers for them; 0 where none is named) and the style
// they stand for.
struct Choice
{
    uint16_t language;
    uint16_t script;
    uint16_t territory;
    uint8_t style;
};

// kStyles (C's first), kLanguageCodes (lower case), kScriptCodes (as written), kTerritoryCodes
// (upper case), each sorted, and kChoices, sorted by language, script and territory.
#include "localenumbers_table.inc"

struct LocaleId
{
    uint16_t language = 0; // 0: C, or a language no locale of which writes numbers otherwise
    uint16_t script = 0;
    uint16_t territory = 0;
};

template <size_t N>
const Code *entryOf(const Code (&table)[N], std::string_view code)
{
    const auto less = [](const Code &entry, std::string_view key) { return std::string_view(entry.text) < key; };
    const Code *it = std::lower_bound(std::begin(table), std::end(table), code, less);
    return it != std::end(table) && std::string_view(it->text) == code ? it : nullptr;
}

template <size_t N>
uint16_t idOf(const Code (&table)[N], std::string_view code)
{
    const Code *entry = entryOf(table, code);
    return entry ? entry->id : 0;
}

std::string caseOf(std::string_view text, bool upper)
{
    std::string out(text);
    for (char &c : out) {
        if (upper && c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return out;
}

bool validTag(std::string_view tag)
{
    return !tag.empty() && std::all_of(tag.begin(), tag.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    });
}

// A name as Qt splits it: a language of two or three letters, then perhaps a script (four,
// capital first), then a territory; tags are separated by "_", "-", "." or "@", and whatever
// follows the territory, or a tag that is not letters and digits, ends the name ("de_DE.UTF-8",
// "sr_RS@latin" are de_DE and sr_RS).
LocaleId parseLocaleName(std::string_view name)
{
    std::string_view language, script, territory;
    enum class Next { Language, Script, Territory, Nothing } next = Next::Language;
    while (!name.empty() && next != Next::Nothing) {
        const std::string_view tag = name.substr(0, name.find_first_of("_-.@"));
        if (!validTag(tag))
            break;
        name.remove_prefix(tag.size());
        const bool more = !name.empty();
        if (more)
            name.remove_prefix(1);
        if (next == Next::Language) {
            if (tag.size() != 2 && tag.size() != 3)
                return {};
            language = tag;
            next = more ? Next::Script : Next::Nothing;
        } else if (next == Next::Script && entryOf(kScriptCodes, tag)) {
            script = tag;
            next = more ? Next::Territory : Next::Nothing;
        } else {
            territory = tag;
            next = Next::Nothing;
        }
    }
    if (next == Next::Language)
        return {};
    const uint16_t languageId = idOf(kLanguageCodes, caseOf(language, false));
    if (languageId == 0)
        return {};
    return {languageId, idOf(kScriptCodes, script), idOf(kTerritoryCodes, caseOf(territory, true))};
}

const Choice *choiceOf(uint16_t language, uint16_t script, uint16_t territory)
{
    const auto key = [](const Choice &c) {
        return (uint64_t(c.language) << 32) | (uint64_t(c.script) << 16) | c.territory;
    };
    const Choice wanted{language, script, territory, 0};
    const Choice *it = std::lower_bound(std::begin(kChoices), std::end(kChoices), wanted,
                                        [&key](const Choice &a, const Choice &b) { return key(a) < key(b); });
    return it != std::end(kChoices) && key(*it) == key(wanted) ? it : nullptr;
}

// As Qt resolves them: both together where they give a style of their own, then the script, then
// the territory, then the language alone.
const NumberStyle &styleOf(LocaleId id)
{
    const Choice *choice = nullptr;
    if (id.script != 0 && id.territory != 0)
        choice = choiceOf(id.language, id.script, id.territory);
    if (!choice && id.script != 0)
        choice = choiceOf(id.language, id.script, 0);
    if (!choice && id.territory != 0)
        choice = choiceOf(id.language, 0, id.territory);
    if (!choice)
        choice = choiceOf(id.language, 0, 0);
    return kStyles[choice ? choice->style : 0];
}

// Whether the first entry of LANGUAGE says something else than the locale named: another
// language, or a script or territory the name does not have.
bool contradicts(std::string_view entry, std::string_view known)
{
    const LocaleId k = parseLocaleName(known);
    const LocaleId e = parseLocaleName(entry);
    return !(e.language == k.language && (e.territory == 0 || e.territory == k.territory)
             && (e.script == 0 || e.script == k.script));
}

bool isSpace(char16_t c)
{
    return c == 0x20 || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680
        || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

// One character of the text as the C locale writes it: a digit, "+", "-", "." (the decimal
// separator), "e" (the exponent), "," (a group separator), or 0 when it is none of them.
char symbolOf(std::u16string_view in, const NumberStyle &style)
{
    if (in == style.plus || in == u"+")
        return '+';
    if (in == style.minus || in == u"-" || in == u"\u2212")
        return '-';
    if (in == style.decimal)
        return '.';
    if (in.size() == 1 && style.exponent.find(in[0]) != std::u16string_view::npos)
        return 'e';
    if (in == style.group)
        return ',';
    // A blank typed for a no-break blank that separates groups.
    if ((style.group == u"\u00A0" || style.group == u"\u202F") && in == u" ")
        return ',';
    // The code point as Qt computes it, also from a high surrogate followed by no low one.
    const char32_t c = in.size() == 2 ? (char32_t(in[0]) << 10) + char32_t(in[1]) - 0x35FDC00u : char32_t(in[0]);
    if (c >= style.zero && c < style.zero + 10)
        return char('0' + (c - style.zero));
    if (c >= U'0' && c <= U'9')
        return char(c);
    return 0;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A number in the C locale's form, all of `text`. Nothing for anything else, for a number too
// large for a double, and for one so small that it would read as 0.
std::optional<double> cNumber(std::string_view text)
{
    // from_chars takes a minus but no plus.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == '+' || text.front() == '-'))
            return std::nullopt;
    }
    double value = 0;
    const std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), value);
    if (read.ec != std::errc() || read.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

const NumberStyle &cNumberStyle()
{
    return kStyles[0];
}

const NumberStyle &localeNumberStyle(std::string_view name)
{
    if (name == "C")
        return kStyles[0];
    return styleOf(parseLocaleName(name));
}

LocaleEnvironment LocaleEnvironment::current()
{
    return {environmentVariable("LC_ALL"), environmentVariable("LC_NUMERIC"), environmentVariable("LC_MESSAGES"),
            environmentVariable("LANG"), environmentVariable("LANGUAGE")};
}

NumberStyle userNumberStyle(const LocaleEnvironment &environment)
{
    const std::string lang = environment.lang.empty() ? std::string("C") : environment.lang;
    std::string numeric = environment.all.empty() ? environment.numeric : environment.all;
    if (numeric.empty())
        numeric = lang;
    std::string messages = !environment.all.empty() ? environment.all
        : !environment.messages.empty()             ? environment.messages
                                                    : environment.lang;
    if (!messages.empty() && messages != "C" && messages != "POSIX") {
        const std::string_view language(environment.language);
        const std::string_view first = language.substr(0, language.find(':'));
        if (!first.empty() && contradicts(first, messages))
            messages = std::string(first);
    }
    NumberStyle style = localeNumberStyle(messages);
    const NumberStyle &symbols = localeNumberStyle(numeric);
    style.decimal = symbols.decimal;
    style.group = symbols.group;
    style.minus = symbols.minus;
    style.plus = symbols.plus;
    style.zero = symbols.zero;
    return style;
}

std::optional<double> readNumber(std::u16string_view text, const NumberStyle &style)
{
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    if (text.empty())
        return std::nullopt;

    // The text in the C locale's form, checked on the way for where the locale allows a group
    // separator: not after the decimal separator or the exponent, at least groupTop and fewer
    // than groupTop + groupHigher digits before the first, groupHigher between two, groupLeast
    // after the last.
    std::string c;
    c.reserve(text.size());
    const size_t length = text.size();
    size_t index = 0;
    size_t digitsInGroup = 0;
    bool point = false, exponent = false, digit = false, grouped = false;
    while (index < length) {
        // A high surrogate goes with the unit after it, whatever that is; at the very end of
        // the text there is none, and the text is no number.
        const size_t width = isHighSurrogate(text[index]) ? 2 : 1;
        if (index + width > length)
            return std::nullopt;
        const std::u16string_view in = text.substr(index, width);
        char out = symbolOf(in, style);
        const bool startsExponent = out == 'e';
        if (out == 0) {
            // A letter e that is not the exponent still makes one in the C form, unless the
            // locale takes it for something else. Any other letter can only make infinity or
            // "not a number", which is no number either.
            const bool letterE = width == 1 && (in[0] == u'e' || in[0] == u'E');
            if (!letterE || style.takenLetters.find(in[0]) != std::u16string_view::npos)
                return std::nullopt;
            out = 'e';
        } else if (out == '.') {
            if (point || exponent)
                return std::nullopt;
            point = true;
        }
        exponent = exponent || startsExponent;

        if (!digit && isDigit(out)) {
            digit = true;
            ++digitsInGroup;
        } else if (out == ',') {
            if (point || exponent)
                return std::nullopt;
            if (!grouped) {
                if (!digit || style.groupTop > digitsInGroup
                    || digitsInGroup >= size_t(style.groupHigher + style.groupTop))
                    return std::nullopt;
            } else if (digitsInGroup != style.groupHigher) {
                return std::nullopt;
            }
            grouped = true;
            digitsInGroup = 0;
            index += width;
            continue;
        } else if (out == '.' || startsExponent) {
            if (grouped && digitsInGroup != style.groupLeast)
                return std::nullopt;
            grouped = false;
        } else if (isDigit(out)) {
            ++digitsInGroup;
        }
        c += out;
        index += width;
    }
    // A separator at the end leaves no digits after it.
    if (grouped && digitsInGroup != style.groupLeast)
        return std::nullopt;
    return cNumber(c);
}

std::optional<double> readUserNumber(std::u16string_view text)
{
    // The style is worked out again only when the environment has changed (which a program's
    // does not; a test's may).
    thread_local LocaleEnvironment known;
    thread_local NumberStyle style;
    thread_local bool ready = false;
    LocaleEnvironment now = LocaleEnvironment::current();
    if (!ready || !(now == known)) {
        style = userNumberStyle(now);
        known = std::move(now);
        ready = true;
    }
    if (const std::optional<double> number = readNumber(text, style))
        return number;
    return readNumber(text, cNumberStyle());
}

} // namespace zimbrel
