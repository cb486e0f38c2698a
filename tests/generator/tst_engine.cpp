#include "generator/sf.h"
#include "core/settingspassword.h"
#include "shared/settingsfile.h"
#include "platform/cp1252.h"
#include "testsupport.h"

#include <QSet>
#include <QTest>

#include <cmath>
#include <vector>

using namespace zimbrel;

namespace {

// Hands out the given words in turn, starting over at the end.
RandomSource scripted(std::vector<quint32> values)
{
    auto index = std::make_shared<std::size_t>(0);
    return [values = std::move(values), index] { return values[(*index)++ % values.size()]; };
}

// The word whose top 24 bits make the single r.
quint32 wordOf(double r)
{
    return quint32(r * 16777216.0) << 8;
}

// Pearson's statistic of observed counts against equal chances.
double chiSquare(const std::vector<qint64> &counts)
{
    qint64 total = 0;
    for (qint64 c : counts)
        total += c;
    const double expected = double(total) / double(counts.size());
    double sum = 0;
    for (qint64 c : counts)
        sum += (double(c) - expected) * (double(c) - expected) / expected;
    return sum;
}

QString abcSet()
{
    return QStringLiteral("abc");
}

const QString kLettersAndDigits = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomStringCharacters_data();
    void randomStringCharacters();
    void randomStringCount_data();
    void randomStringCount();
    void everyCodeIsEquallyLikely_data();
    void everyCodeIsEquallyLikely();

    void replaceAll_data();
    void replaceAll();
    void replacementsSwapConfusableLetters_data();
    void replacementsSwapConfusableLetters();

    void selection_data();
    void selection();

    void passwordsComeFromTheSetAtTheWantedLength_data();
    void passwordsComeFromTheSetAtTheWantedLength();
    void passwordsOfWindows1252Characters();
    void settingsFilesGiveTheirPasswords_data();
    void settingsFilesGiveTheirPasswords();
    void noPasswordSaysWhy_data();
    void noPasswordSaysWhy();
    void passwordsDifferEveryTime();
};

void TestEngine::randomStringCharacters_data()
{
    // Each code of the range takes an equal share of the 32-bit words; the few words at the top
    // that would give the first codes an extra chance are drawn again.
    QTest::addColumn<int>("mode");
    QTest::addColumn<std::vector<quint32>>("words");
    QTest::addColumn<QString>("character");
    QTest::newRow("letters, 0") << 1 << std::vector<quint32>{0} << QStringLiteral("A");
    QTest::newRow("letters, 25") << 1 << std::vector<quint32>{25} << QStringLiteral("Z");
    QTest::newRow("letters, 26 wraps") << 1 << std::vector<quint32>{26 + 13} << QStringLiteral("N");
    QTest::newRow("letters, top words are drawn again")
        << 1 << std::vector<quint32>{0xFFFFFFFFu, 0xFFFFFFEAu, 0xFFFFFFE9u} << QStringLiteral("Z");
    QTest::newRow("digits, 0") << 2 << std::vector<quint32>{0} << QStringLiteral("0");
    QTest::newRow("digits, 9") << 2 << std::vector<quint32>{19} << QStringLiteral("9");
    QTest::newRow("digits, top words are drawn again")
        << 2 << std::vector<quint32>{0xFFFFFFFFu, 0xFFFFFFFAu, 4} << QStringLiteral("4");
    QTest::newRow("any, 0") << 3 << std::vector<quint32>{0} << QString(QChar(0));
    QTest::newRow("any, 0x40") << 3 << std::vector<quint32>{0x12345640} << QStringLiteral("@");
    QTest::newRow("any, 0x80 is the euro sign") << 3 << std::vector<quint32>{0x80} << QStringLiteral("\u20AC");
    QTest::newRow("any, top word is kept") << 3 << std::vector<quint32>{0xFFFFFFFFu} << QStringLiteral("\u00FF");
}

void TestEngine::randomStringCharacters()
{
    QFETCH(int, mode);
    QFETCH(std::vector<quint32>, words);
    QFETCH(QString, character);
    qint16 count = 3;
    // The last scripted word is the one that gives the character; the ones before it are refused.
    std::vector<quint32> repeated;
    for (int i = 0; i < count; ++i)
        repeated.insert(repeated.end(), words.begin(), words.end());
    QCOMPARE(RandomString(count, mode, scripted(repeated)), character.repeated(3));
    QCOMPARE(count, qint16(3));
}

void TestEngine::randomStringCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("effective");
    QTest::addColumn<int>("length");
    QTest::newRow("zero") << 0 << 3 << 0.5 << 0 << 0;
    QTest::newRow("unknown mode") << 5 << 4 << 0.5 << 5 << 0;
    QTest::newRow("mode 0") << 5 << 0 << 0.5 << 5 << 0;
    QTest::newRow("random length: 10 x 0.25 = 2.5 to 2") << -10 << 2 << 0.25 << 2 << 2;
    QTest::newRow("random length: 10 x 0.75 = 7.5 to 8") << -10 << 2 << 0.75 << 8 << 8;
    QTest::newRow("random length below 1 becomes 1") << -10 << 2 << 0.0 << 1 << 1;
    QTest::newRow("random length, unknown mode") << -4 << 9 << 0.5 << 2 << 0;
    QTest::newRow("random length at the edge of 16 bits") << -32768 << 2 << (1.0 - 1.0 / 16777216.0) << 32767 << 32767;
}

void TestEngine::randomStringCount()
{
    QFETCH(int, count);
    QFETCH(int, mode);
    QFETCH(double, r);
    QFETCH(int, effective);
    QFETCH(int, length);
    qint16 n = qint16(count);
    QCOMPARE(RandomString(n, mode, scripted({wordOf(r)})).size(), length);
    QCOMPARE(int(n), effective);
}

void TestEngine::everyCodeIsEquallyLikely_data()
{
    // Thresholds of the chi-square distribution that a uniform source exceeds with a chance below
    // 4 in 10^10 (255, 25 and 9 degrees of freedom): this test does not fail by chance.
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("codes");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("draws");
    QTest::addColumn<double>("threshold");
    QTest::newRow("any code") << 3 << 256 << 0 << 2560000 << 420.0;
    QTest::newRow("capital letters") << 1 << 26 << int('A') << 260000 << 96.0;
    QTest::newRow("digits") << 2 << 10 << int('0') << 100000 << 64.0;
}

void TestEngine::everyCodeIsEquallyLikely()
{
    QFETCH(int, mode);
    QFETCH(int, codes);
    QFETCH(int, first);
    QFETCH(int, draws);
    QFETCH(double, threshold);
    std::vector<qint64> counts(codes, 0);
    // The statistic must be able to fail: rounding r x (codes - 1), which gives the first and last
    // codes half the chance of the others, lies far above the threshold with these many draws.
    std::vector<qint64> halfWeightEnds(codes, 0);
    constexpr qint16 kPerCall = 25600;
    for (int done = 0; done < draws; done += kPerCall) {
        qint16 count = qint16(std::min<int>(kPerCall, draws - done));
        for (QChar c : RandomString(count, mode)) {
            const int code = int(*charToAnsi(c)) - first;
            QVERIFY2(code >= 0 && code < codes, qPrintable(QString(c)));
            ++counts[code];
        }
        for (int i = 0; i < count; ++i)
            ++halfWeightEnds[std::lround(std::nearbyint(double(randomSingle()) * (codes - 1)))];
    }
    const double statistic = chiSquare(counts);
    QVERIFY2(statistic < threshold, qPrintable(QStringLiteral("chi-square %1").arg(statistic)));
    QVERIFY2(chiSquare(halfWeightEnds) > threshold * 4,
             qPrintable(QStringLiteral("half-weight ends: %1").arg(chiSquare(halfWeightEnds))));
}

void TestEngine::replaceAll_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("searched");
    QTest::addColumn<QString>("replacement");
    QTest::addColumn<QString>("result");
    QTest::newRow("every occurrence") << QStringLiteral("aqqb") << QStringLiteral("q") << QStringLiteral("e")
                                      << QStringLiteral("aeeb");
    QTest::newRow("none") << QStringLiteral("abc") << QStringLiteral("q") << QStringLiteral("e")
                          << QStringLiteral("abc");
    QTest::newRow("empty text") << QString() << QStringLiteral("q") << QStringLiteral("e") << QString();
    QTest::newRow("longer pieces") << QStringLiteral("abab") << QStringLiteral("ab") << QStringLiteral("x")
                                   << QStringLiteral("xx");
    QTest::newRow("deleting") << QStringLiteral("a-b-c") << QStringLiteral("-") << QString() << QStringLiteral("abc");
    // The search starts from the front after each replacement, so "aab" -> "ab" -> "b".
    QTest::newRow("new occurrence across the seam")
        << QStringLiteral("aab") << QStringLiteral("ab") << QStringLiteral("b") << QStringLiteral("b");
    QTest::newRow("case matters") << QStringLiteral("Qq") << QStringLiteral("q") << QStringLiteral("e")
                                  << QStringLiteral("Qe");
    // Searching from the front would never end on these; each occurrence is replaced once.
    QTest::newRow("empty searched text") << QStringLiteral("abc") << QString() << QStringLiteral("x")
                                         << QStringLiteral("abc");
    QTest::newRow("replacement contains it")
        << QStringLiteral("aqb") << QStringLiteral("q") << QStringLiteral("qq") << QStringLiteral("aqqb");
    QTest::newRow("replacement is it") << QStringLiteral("qxq") << QStringLiteral("q") << QStringLiteral("q")
                                       << QStringLiteral("qxq");
    QTest::newRow("replacement wraps it")
        << QStringLiteral("ab") << QStringLiteral("a") << QStringLiteral("[a]") << QStringLiteral("[a]b");
    QTest::newRow("new occurrences forever")
        << QStringLiteral("aaaab") << QStringLiteral("aab") << QStringLiteral("bbaaaaa") << QStringLiteral("aabbaaaaa");
    // Same length, and the seam makes new occurrences that do run out: "aab" -> "aba" -> "baa".
    QTest::newRow("a rewrite that ends is followed to its end")
        << QStringLiteral("aab") << QStringLiteral("ab") << QStringLiteral("ba") << QStringLiteral("baa");
    QTest::newRow("a long shrinking rewrite") << QStringLiteral("a").repeated(5000) + QStringLiteral("b")
                                              << QStringLiteral("ab") << QStringLiteral("b") << QStringLiteral("b");
}

void TestEngine::replaceAll()
{
    QFETCH(QString, text);
    QFETCH(QString, searched);
    QFETCH(QString, replacement);
    QFETCH(QString, result);
    QString variable = text;
    QCOMPARE(ReplaceAll(variable, searched, replacement), result);
    QCOMPARE(variable, result);
}

void TestEngine::replacementsSwapConfusableLetters_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("replaced");
    QTest::newRow("all four") << QStringLiteral("qilI") << QStringLiteral("estJ");
    QTest::newRow("upper case of the others stays") << QStringLiteral("QLi") << QStringLiteral("QLs");
    QTest::newRow("untouched") << QStringLiteral("xyz09") << QStringLiteral("xyz09");
    QTest::newRow("empty") << QString() << QString();
}

void TestEngine::replacementsSwapConfusableLetters()
{
    QFETCH(QString, password);
    QFETCH(QString, replaced);
    ApplyReplacements(password);
    QCOMPARE(password, replaced);
}

void TestEngine::selection_data()
{
    // Every candidate round after the first is `more`. Only a whole length of 1 or more with a set
    // that is not empty draws further rounds; every other row ends after the first. A length
    // that is no number (or none, or no file) gives nothing at all.
    using Lines = std::optional<QStringList>;
    QTest::addColumn<QString>("candidates");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QString>("password");
    const QString abc = QStringLiteral("abc");
    QTest::newRow("no file: none") << QStringLiteral("xyz") << Lines() << QString();
    QTest::newRow("empty file: none") << QStringLiteral("xyz") << Lines(QStringList()) << QString();
    QTest::newRow("keeps set members in order")
        << QStringLiteral("xaybzc") << Lines({abc, QStringLiteral("3"), QString()}) << QStringLiteral("abc");
    QTest::newRow("stops at the wanted length")
        << QStringLiteral("xaybzc") << Lines({abc, QStringLiteral("2")}) << QStringLiteral("ab");
    QTest::newRow("length with blanks") << QStringLiteral("abc") << Lines({abc, QStringLiteral(" 2 ")})
                                        << QStringLiteral("ab");
    QTest::newRow("too few qualify: further rounds")
        << QStringLiteral("xaxb") << Lines({abc, QStringLiteral("5")}) << QStringLiteral("abcab");
    QTest::newRow("above 255: further rounds")
        << QStringLiteral("axb") << Lines({abc, QStringLiteral("300")})
        << QStringLiteral("ab") + QStringLiteral("cab").repeated(99) + QStringLiteral("c");
    QTest::newRow("negative: all") << QStringLiteral("axb") << Lines({abc, QStringLiteral("-1")})
                                   << QStringLiteral("ab");
    QTest::newRow("fraction: all") << QStringLiteral("abc") << Lines({abc, QStringLiteral("1.5")})
                                   << QStringLiteral("abc");
    QTest::newRow("0, first rejected: empty")
        << QStringLiteral("xab") << Lines({abc, QStringLiteral("0")}) << QString();
    QTest::newRow("0, first taken: all") << QStringLiteral("axb") << Lines({abc, QStringLiteral("0")})
                                         << QStringLiteral("ab");
    QTest::newRow("set only: none") << QStringLiteral("axb") << Lines(QStringList{abc}) << QString();
    QTest::newRow("empty length: none") << QStringLiteral("axb") << Lines({abc, QString()}) << QString();
    QTest::newRow("blank length: none") << QStringLiteral("axb") << Lines({abc, QStringLiteral("  ")}) << QString();
    QTest::newRow("a typo in the length: none")
        << QStringLiteral("abc") << Lines({abc, QStringLiteral("1O")}) << QString();
    QTest::newRow("letters after the number: none")
        << QStringLiteral("abc") << Lines({abc, QStringLiteral("12a")}) << QString();
    QTest::newRow("empty set: nothing qualifies")
        << QStringLiteral("abc") << Lines({QString(), QStringLiteral("1")}) << QString();
    QTest::newRow("case-sensitive") << QStringLiteral("AaB") << Lines({QStringLiteral("aB"), QStringLiteral("3")})
                                    << QStringLiteral("aBa");
    QTest::newRow("lone CR in the set counts")
        << QStringLiteral("x\ry") << Lines({QStringLiteral("\r"), QStringLiteral("1")}) << QStringLiteral("\r");
}

void TestEngine::selection()
{
    using Lines = std::optional<QStringList>;
    QFETCH(QString, candidates);
    QFETCH(Lines, lines);
    QFETCH(QString, password);
    int rounds = 0;
    const auto more = [&rounds] {
        ++rounds;
        return QStringLiteral("cab");
    };
    QCOMPARE(SelectPassword(candidates, lines, more), password);
    // Without a source of further rounds the selection is the first round's alone.
    if (rounds == 0)
        QCOMPARE(SelectPassword(candidates, lines), password);
}

void TestEngine::passwordsComeFromTheSetAtTheWantedLength_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("length");
    QTest::addColumn<QString>("alphabet");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("runs");
    QTest::newRow("letters and digits, 12")
        << kLettersAndDigits << QStringLiteral("12")
        << QStringLiteral("abcdefghjkmnoprstuvwxyzABCDEFGHJKLMNOPQRSTUVWXYZ0123456789") << 12 << 500;
    QTest::newRow("digits, 12") << QStringLiteral("0123456789") << QStringLiteral("12") << QStringLiteral("0123456789")
                                << 12 << 2000;
    QTest::newRow("abc, 40") << abcSet() << QStringLiteral("40") << abcSet() << 40 << 200;
    QTest::newRow("q alone becomes e") << QStringLiteral("q") << QStringLiteral("5") << QStringLiteral("e") << 5 << 50;
    QTest::newRow("above 32767 is 32767")
        << QStringLiteral("0123456789") << QStringLiteral("40000") << QStringLiteral("0123456789") << 32767 << 2;
}

void TestEngine::passwordsComeFromTheSetAtTheWantedLength()
{
    QFETCH(QString, set);
    QFETCH(QString, length);
    QFETCH(QString, alphabet);
    QFETCH(int, expected);
    QFETCH(int, runs);
    const QStringList lines{set, length, QString()};
    for (int i = 0; i < runs; ++i) {
        const QString password = MakePassword(lines);
        QCOMPARE(password.size(), expected);
        for (QChar c : password)
            QVERIFY2(alphabet.contains(c), qPrintable(password));
    }
}

void TestEngine::passwordsOfWindows1252Characters()
{
    // The bytes E9 E8 of a file written on Windows.
    const QStringList lines{QStringLiteral("\u00E9\u00E8"), QStringLiteral("4")};
    QSet<QChar> seen;
    for (int i = 0; i < 50; ++i) {
        const QString password = MakePassword(lines);
        QCOMPARE(password.size(), 4);
        for (QChar c : password)
            seen.insert(c);
    }
    QCOMPARE(seen, (QSet<QChar>{QChar(0xE9), QChar(0xE8)}));
}

void TestEngine::passwordsDifferEveryTime()
{
    // A clock-seeded source would repeat itself for passwords made within the same tick.
    const QStringList lines{kLettersAndDigits, QStringLiteral("12")};
    QSet<QString> passwords;
    for (int i = 0; i < 1000; ++i)
        passwords.insert(MakePassword(lines));
    QCOMPARE(passwords.size(), 1000);
}

namespace {

// `unit` over and over, cut at `length`.
QByteArray cycled(const QByteArray &unit, int length)
{
    QByteArray text;
    while (text.size() < length)
        text += unit;
    return text.left(length);
}

} // namespace

void TestEngine::settingsFilesGiveTheirPasswords_data()
{
    // settings.ini's bytes ("<none>": no file), the locale, and the password both callers of the
    // engine make of them (zimbrel-generator with the file's bytes, the window program with Qt
    // strings) when the candidates run through the codes in order: 0, 1, ... 254 in the first
    // round of 255, then 255, 0, 1, ... So a set gives its characters in the order of their
    // codes, round after round.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("locale");
    QTest::addColumn<QByteArray>("password");
    const QByteArray c = "LANG=C";
    QTest::newRow("no file: none") << QByteArray("<none>") << c << QByteArray();
    QTest::newRow("empty file: none") << QByteArray() << c << QByteArray();
    QTest::newRow("as the editor writes") << QByteArray("abc\r\n8\r\n") << c << cycled("abc", 8);
    QTest::newRow("set only: none") << QByteArray("abcdefghijklmnopqrstuvwxyz") << c << QByteArray();
    QTest::newRow("empty length: none") << QByteArray("abc\r\n\r\n") << c << QByteArray();
    QTest::newRow("zero, first not in the set")
        << QByteArray("abcdefghijklmnopqrstuvwxyz\r\n0\r\n") << c << QByteArray();
    QTest::newRow("empty set") << QByteArray("\r\n5\r\n") << c << QByteArray();
    QTest::newRow("digits, several rounds") << QByteArray("0123456789\r\n40\r\n") << c << cycled("0123456789", 40);
    QTest::newRow("confusable letters: I i l q") << QByteArray("qilI\r\n30\r\n") << c << cycled("Jste", 30);
    QTest::newRow("above the longest") << QByteArray("abcdefgh\r\n40000\r\n") << c << cycled("abcdefgh", 32767);
    QTest::newRow("Windows-1252 and lone CR, LF")
        << QByteArray("\xE9\xE8\r\x80\n\r\n6\r\n") << c << QByteArray("\n\r\x80\xE8\xE9\n");
    QTest::newRow("later lines") << QByteArray("abc\r\n4\r\nmore\r\n") << c << QByteArray("abca");
    QTest::newRow("leading zeros") << QByteArray("abc\r\n007\r\n") << c << cycled("abc", 7);
    QTest::newRow("blanks") << QByteArray("abc\r\n 12\r\n") << c << cycled("abc", 12);
    QTest::newRow("fraction: the first round's") << QByteArray("abc\r\n1.5\r\n") << c << QByteArray("abc");
    QTest::newRow("negative: the same") << QByteArray("abc\r\n-3\r\n") << c << QByteArray("abc");
    QTest::newRow("exponent") << QByteArray("abc\r\n1e2\r\n") << c << cycled("abc", 100);
    QTest::newRow("letters: none") << QByteArray("abcdefghijklmnopqrstuvwxyz\r\n12a\r\n") << c << QByteArray();
    QTest::newRow("a typo: none") << QByteArray("abcdefghijklmnopqrstuvwxyz\r\n1O\r\n") << c << QByteArray();
    QTest::newRow("written on Linux") << QByteArray("abcdef\n20\n") << c << cycled("abcdef", 20);
    QTest::newRow("LF alone, blanks") << QByteArray("abcdef\n 20\n") << c << cycled("abcdef", 20);
    QTest::newRow("one CR LF: LF stays in its line") << QByteArray("ab\ncd\r\n9\n") << c << cycled("\nabcd", 9);
    // Every code 64 times over (LF and CR aside): the membership test costs the same whatever
    // the set's size. Every candidate but LF and CR is taken.
    QByteArray everyCode;
    QByteArray taken;
    for (int i = 0; i < 64 * 256; ++i)
        everyCode += char(i % 256 == 10 || i % 256 == 13 ? 'x' : i % 256);
    for (int code = 0; taken.size() < 32767; code = (code + 1) % 256) {
        if (code != 10 && code != 13)
            taken += char(code);
    }
    QByteArray replaced = taken;
    replaced.replace('q', 'e').replace('i', 's').replace('l', 't').replace('I', 'J');
    QTest::newRow("a 16 KiB set, the longest length") << everyCode + "\r\n32767\r\n" << c << replaced;
    // The length line is read as the user writes numbers, and else as C writes them.
    QTest::newRow("German: 1,5 is a fraction")
        << QByteArray("abc\r\n1,5\r\n") << QByteArray("LANG=de_DE.UTF-8") << QByteArray("abc");
    QTest::newRow("C: 1,5 is no number") << QByteArray("abc\r\n1,5\r\n") << c << QByteArray();
    QTest::newRow("German: 1.000 is a thousand")
        << QByteArray("abc\r\n1.000\r\n") << QByteArray("LANG=de_DE.UTF-8") << cycled("abc", 1000);
    QTest::newRow("C: 1.000 is one") << QByteArray("abc\r\n1.000\r\n") << c << QByteArray("a");
    QTest::newRow("Swedish: 1,5E1 is 15")
        << QByteArray("abc\r\n1,5E1\r\n") << QByteArray("LANG=sv_SE.UTF-8") << cycled("abc", 15);
    QTest::newRow("Swedish: 1,5e1 is no number")
        << QByteArray("abc\r\n1,5e1\r\n") << QByteArray("LANG=sv_SE.UTF-8") << QByteArray();
    QTest::newRow("numbers from LC_NUMERIC")
        << QByteArray("abc\r\n1,5\r\n") << QByteArray("LANG=en_US.UTF-8 LC_NUMERIC=de_DE.UTF-8") << QByteArray("abc");
}

void TestEngine::settingsFilesGiveTheirPasswords()
{
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, locale);
    QFETCH(QByteArray, password);
    const testing::LocaleVariables variables(locale);
    const auto inOrder = [] {
        auto next = std::make_shared<quint32>(0);
        return [next] { return (*next)++; };
    };
    SettingsBytes settings;
    settings.present = file != "<none>";
    if (settings.present)
        settings.bytes = file.toStdString();
    const std::string bytes = passwordFromSettings(settings, inOrder());
    QCOMPARE(QByteArray::fromStdString(bytes), password);

    // The window program reads the file as the generator does: up to the end of its second line.
    const QString text = settings.present ? fromAnsi(file) : QString();
    QStringList lines = splitSettingsLines(text);
    if (lines.size() > 3)
        lines = lines.mid(0, 3);
    const RandomSource source = inOrder();
    QString made = SelectPassword(CandidateRoundFrom(source), lines, [&] { return CandidateRoundFrom(source); });
    ApplyReplacements(made);
    QCOMPARE(made, fromAnsi(password));
}

void TestEngine::noPasswordSaysWhy_data()
{
    // settings.ini's bytes ("<none>": nowhere, "<unreadable>": there but not readable) and the
    // words after "(none: " in the window, after "no password: " from --print, and after "No
    // password: " in the editor.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("why");
    QTest::newRow("nowhere") << QByteArray("<none>")
                             << QStringLiteral("no settings.ini in ./settings.ini, %1/zimbrel/settings.ini, "
                                               "%2/zimbrel/settings.ini; zimbrel-settings makes one");
    QTest::newRow("unreadable") << QByteArray("<unreadable>") << QStringLiteral("settings.ini cannot be read");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("settings.ini is empty");
    QTest::newRow("empty set") << QByteArray("\r\n12\r\n") << QStringLiteral("the set is empty");
    QTest::newRow("no line 2") << QByteArray("abc") << QStringLiteral("settings.ini has no length");
    QTest::newRow("blank line 2") << QByteArray("abc\r\n \r\n") << QStringLiteral("settings.ini has no length");
    QTest::newRow("a typo") << QByteArray("abc\r\n1O\r\n")
                            << QStringLiteral("the length in settings.ini is not a number");
    QTest::newRow("0, the first not in the set")
        << QByteArray("abc\r\n0\r\n") << QStringLiteral("the length is 0 and the first candidate was not in the set");
    QTest::newRow("a fraction, none in the set")
        << QByteArray("\xFF\r\n2.5\r\n") << QStringLiteral("no candidate was in the set");
}

void TestEngine::noPasswordSaysWhy()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, why);
    const testing::TemporaryConfig config;
    SettingsLocation location;
    SettingsBytes settings;
    if (file != "<none>") {
        location.place = SettingsPlace::UserConfig;
        location.path = "settings.ini";
        settings.present = file != "<unreadable>";
        if (settings.present)
            settings.bytes = file.toStdString();
    }
    // Candidates 0, 1, 2, ...: none of them is "a", "b", "c" or the code FF in the first round.
    auto next = std::make_shared<quint32>(0);
    QCOMPARE(passwordFromSettings(settings, [next] { return (*next)++; }), std::string());
    QCOMPARE(QString::fromStdString(whyNoPassword(location, settings)),
             why.arg(config.configHome(), config.filePath(QStringLiteral("xdg"))));
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
