// zimbrel-localenumbers FILE: writes the locale data that core/localenumbers.cpp reads numbers
// with, taken from this Qt's QLocale through its public interface, so that the programs read a
// number before Qt is loaded exactly as Qt reads it afterwards. Run by the build; not installed.
//
// What it writes:
// - every distinct way a locale writes numbers (symbols, exponent, digit groups), C's first;
// - the language, script and territory codes Qt knows, and the number Qt gives each;
// - which style every language, script and territory together stands for, as Qt resolves it
//   (likely scripts and territories filled in, the nearest locale it has data for): the
//   language's style, and the few scripts and territories that give another.

#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <tuple>
#include <vector>

namespace {

[[noreturn]] void fail(const QString &why)
{
    std::fprintf(stderr, "zimbrel-localenumbers: %s\n", qPrintable(why));
    std::exit(1);
}

struct Style
{
    QString decimal, group, minus, plus;
    char32_t zero = U'0';
    QString exponent; // the single characters the exponent matches in either case
    QString takenLetters;
    int top = 1, higher = 3, least = 3;

    auto key() const { return std::tie(decimal, group, minus, plus, zero, exponent, takenLetters, top, higher, least); }
    bool operator<(const Style &other) const { return key() < other.key(); }
};

char32_t firstCodePoint(const QString &text)
{
    if (text.size() == 1 && !text.at(0).isSurrogate())
        return text.at(0).unicode();
    if (text.size() == 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate())
        return QChar::surrogateToUcs4(text.at(0), text.at(1));
    fail(QStringLiteral("a zero digit of %1 units").arg(text.size()));
}

qsizetype codePoints(const QString &text)
{
    qsizetype n = 0;
    for (QChar c : text)
        n += c.isLowSurrogate() ? 0 : 1;
    return n;
}

// The characters a number's character is compared with, case-insensitively, to find the
// exponent: only an exponent of one character can match one.
QString exponentMatches(const QString &exponent)
{
    static QHash<QString, QString> known;
    if (const auto it = known.constFind(exponent); it != known.cend())
        return *it;
    if (exponent.size() == 2 && exponent.at(0).isHighSurrogate())
        fail(QStringLiteral("an exponent outside the basic plane, which the reader does not compare"));
    QString matches;
    if (exponent.size() == 1) {
        for (char32_t unit = 0; unit <= 0xFFFF; ++unit) {
            const QChar c{char16_t(unit)};
            if (!c.isHighSurrogate() && QStringView(&c, 1).compare(exponent, Qt::CaseInsensitive) == 0)
                matches += c;
        }
    }
    known.insert(exponent, matches);
    return matches;
}

Style styleOf(const QLocale &locale)
{
    Style style;
    style.decimal = locale.decimalPoint();
    style.group = locale.groupSeparator();
    style.minus = locale.negativeSign();
    style.plus = locale.positiveSign();
    style.zero = firstCodePoint(locale.zeroDigit());
    style.exponent = exponentMatches(locale.exponential());
    for (const QString &symbol : {style.decimal, style.group, style.minus, style.plus}) {
        if (symbol.isEmpty() || symbol.compare(QStringLiteral("e"), Qt::CaseInsensitive) == 0)
            fail(QStringLiteral("%1: a symbol the reader would mistake").arg(locale.name()));
    }
    // Letters other than e never make a finite number, so only e and E are worth knowing.
    for (QChar letter : {QChar(u'e'), QChar(u'E')}) {
        bool ok = false;
        (void)locale.toDouble(QString(QChar(u'1')) + letter + QChar(u'3'), &ok);
        if (!style.exponent.contains(letter) && !ok)
            style.takenLetters += letter;
    }
    // The group sizes are not public: they show in how long numbers are written.
    QLocale grouping = locale;
    grouping.setNumberOptions(QLocale::DefaultNumberOptions);
    const QStringList parts = grouping.toString(qlonglong(1000000000000000000)).split(style.group);
    if (parts.size() < 3)
        fail(QStringLiteral("%1: no digit groups in %2").arg(locale.name(), grouping.toString(qlonglong(1e18))));
    style.least = int(codePoints(parts.last()));
    style.higher = int(codePoints(parts.at(parts.size() - 2)));
    qlonglong power = 1;
    for (int digits = 1; digits <= 19; ++digits, power *= 10) {
        if (grouping.toString(power).contains(style.group)) {
            style.top = digits - style.least;
            break;
        }
    }
    if (style.top < 1 || style.top > 3 || style.higher < 1 || style.higher > 7 || style.least < 1 || style.least > 7)
        fail(QStringLiteral("%1: digit groups %2 %3 %4")
                 .arg(locale.name())
                 .arg(style.top)
                 .arg(style.higher)
                 .arg(style.least));
    return style;
}

QString literal(const QString &text)
{
    QString out = QStringLiteral("u\"");
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size()) {
            out += QStringLiteral("\\U%1").arg(QChar::surrogateToUcs4(c, text.at(++i).unicode()), 8, 16, QChar(u'0'));
        } else if (c >= 0x20 && c < 0x7F && c != u'"' && c != u'\\') {
            out += QChar(c);
        } else {
            out += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QChar(u'0'));
        }
    }
    return out + QChar(u'"');
}

QString codePointLiteral(char32_t c)
{
    if (c >= 0x20 && c < 0x7F && c != U'\'' && c != U'\\')
        return QStringLiteral("U'%1'").arg(QChar(char16_t(c)));
    return QStringLiteral("U'\\U%1'").arg(uint(c), 8, 16, QChar(u'0'));
}

using Triple = std::tuple<int, int, int>; // language, script, territory

Triple tripleOf(const QLocale &locale)
{
    return {int(locale.language()), int(locale.script()), int(locale.territory())};
}

// Every code of two and three letters and digits that `known` accepts.
template <typename Lookup>
std::map<QString, int> codes(const char *alphabet, Lookup known)
{
    std::map<QString, int> found;
    const QString letters = QString::fromLatin1(alphabet);
    for (QChar a : letters) {
        for (QChar b : letters) {
            const QString two = QString(a) + b;
            if (const int id = known(two); id > 0)
                found[two] = id;
            for (QChar c : letters) {
                if (const int id = known(two + c); id > 0)
                    found[two + c] = id;
            }
        }
    }
    return found;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zimbrel-localenumbers FILE\n");
        return 2;
    }
    // Where a language, script and territory give no locale of their own, a locale built from
    // them takes the default locale's data; a locale named so (as the environment does) takes
    // C's. The default is C here, so both agree.
    QLocale::setDefault(QLocale::c());

    std::vector<Style> styles{styleOf(QLocale::c())};
    std::map<Style, int> styleIndex{{styles[0], 0}};
    std::map<Triple, int> styleOfLocale{{Triple{int(QLocale::C), 0, 0}, 0}};
    for (const QLocale &locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const Style style = styleOf(locale);
        const auto [it, added] = styleIndex.emplace(style, int(styles.size()));
        if (added)
            styles.push_back(style);
        styleOfLocale[tripleOf(locale)] = it->second;
    }

    const std::map<QString, int> languageCodes = codes("abcdefghijklmnopqrstuvwxyz0123456789", [](const QString &code) {
        const QLocale::Language language = QLocale::codeToLanguage(code);
        return language == QLocale::C ? 0 : int(language);
    });
    const std::map<QString, int> territoryCodes =
        codes("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789",
              [](const QString &code) { return int(QLocale::codeToTerritory(code)); });
    // A tag of four is a script only as Qt writes it (capital first); the script Qt then reads
    // may be "any" (its own placeholder Zzzz is one).
    std::map<QString, int> scriptCodes;
    for (int script = 1; script <= QLocale::LastScript; ++script) {
        const QString code = QLocale::scriptToCode(QLocale::Script(script));
        scriptCodes[code] = int(QLocale::codeToScript(code));
    }
    if (QLocale(QStringLiteral("de_Zzzz_CH")).territory() == QLocale::Switzerland)
        scriptCodes[QStringLiteral("Zzzz")] = int(QLocale::codeToScript(QStringLiteral("Zzzz")));

    // Which style each language, script and territory together give: the language's own, and
    // where a script or a territory gives another, that one; the few where only both together
    // give another are listed as well.
    struct Choice
    {
        int language, script, territory, style;
    };
    std::vector<Choice> choices;
    std::map<int, bool> listedLanguage;
    for (const auto &[code, language] : languageCodes) {
        if (listedLanguage.count(language))
            continue;
        const int scripts = QLocale::LastScript + 1;
        const int territories = QLocale::LastTerritory + 1;
        std::vector<int> chosen(size_t(scripts) * size_t(territories));
        for (int script = 0; script < scripts; ++script) {
            for (int territory = 0; territory < territories; ++territory) {
                const QLocale locale{QLocale::Language(language), QLocale::Script(script),
                                     QLocale::Territory(territory)};
                const auto it = styleOfLocale.find(tripleOf(locale));
                if (it == styleOfLocale.end())
                    fail(QStringLiteral("no data for %1").arg(locale.name()));
                chosen[size_t(script) * size_t(territories) + size_t(territory)] = it->second;
            }
        }
        const auto at = [&](int script, int territory) {
            return chosen[size_t(script) * size_t(territories) + size_t(territory)];
        };
        std::vector<Choice> own{{language, 0, 0, at(0, 0)}};
        const int fallback = at(0, 0);
        for (int territory = 1; territory < territories; ++territory) {
            if (at(0, territory) != fallback)
                own.push_back({language, 0, territory, at(0, territory)});
        }
        for (int script = 1; script < scripts; ++script) {
            const int base = at(script, 0);
            if (base != fallback)
                own.push_back({language, script, 0, base});
            for (int territory = 1; territory < territories; ++territory) {
                const int expected = base != fallback ? base : at(0, territory);
                if (at(script, territory) != expected)
                    own.push_back({language, script, territory, at(script, territory)});
            }
        }
        const bool allC = std::all_of(chosen.begin(), chosen.end(), [](int style) { return style == 0; });
        listedLanguage[language] = !allC;
        if (!allC)
            choices.insert(choices.end(), own.begin(), own.end());
    }
    std::sort(choices.begin(), choices.end(), [](const Choice &a, const Choice &b) {
        return std::tie(a.language, a.script, a.territory) < std::tie(b.language, b.script, b.territory);
    });

    QString out =
        QStringLiteral("// Written by zimbrel-localenumbers from Qt %1's locale data (make locale-table); not to "
                       "be edited.\n\n")
            .arg(QString::fromLatin1(qVersion()));
    out += QStringLiteral("constexpr NumberStyle kStyles[] = {\n");
    for (const Style &s : styles) {
        out += QStringLiteral("    {%1, %2, %3, %4, %5, %6, %7, %8, %9, %10},\n")
                   .arg(literal(s.decimal), literal(s.group), literal(s.minus), literal(s.plus),
                        codePointLiteral(s.zero), literal(s.exponent), literal(s.takenLetters))
                   .arg(s.top)
                   .arg(s.higher)
                   .arg(s.least);
    }
    out += QStringLiteral("};\n\n");
    const auto writeCodes = [&out](const char *name, const std::map<QString, int> &table, bool onlyListed,
                                   const std::map<int, bool> &listed) {
        out += QStringLiteral("constexpr Code %1[] = {").arg(QString::fromLatin1(name));
        int n = 0;
        for (const auto &[code, id] : table) {
            if (onlyListed && !listed.at(id))
                continue;
            out += (n++ % 8 == 0 ? QStringLiteral("\n    ") : QStringLiteral(" "));
            out += QStringLiteral("{\"%1\", %2},").arg(code).arg(id);
        }
        out += QStringLiteral("\n};\n\n");
    };
    writeCodes("kLanguageCodes", languageCodes, true, listedLanguage);
    writeCodes("kScriptCodes", scriptCodes, false, {});
    writeCodes("kTerritoryCodes", territoryCodes, false, {});
    out += QStringLiteral("constexpr Choice kChoices[] = {");
    int n = 0;
    for (const Choice &c : choices) {
        out += (n++ % 6 == 0 ? QStringLiteral("\n    ") : QStringLiteral(" "));
        out += QStringLiteral("{%1, %2, %3, %4},").arg(c.language).arg(c.script).arg(c.territory).arg(c.style);
    }
    out += QStringLiteral("\n};\n");

    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out.toUtf8()) < 0 || !file.commit())
        fail(QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString()));
    return 0;
}
