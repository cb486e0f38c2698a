#include "generator/sf.h"
#include "core/quickpassword.h"
#include "shared/settingsfile.h"
#include "platform/cp1252.h"

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
    void bothLengthReadersGiveTheSamePassword_data();
    void bothLengthReadersGiveTheSamePassword();
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
    // that is not empty draws further rounds; every other row ends after the first.
    using Lines = std::optional<QStringList>;
    QTest::addColumn<QString>("candidates");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QString>("password");
    const QString abc = QStringLiteral("abc");
    QTest::newRow("no file: first candidate, untested") << QStringLiteral("xyz") << Lines() << QStringLiteral("x");
    QTest::newRow("empty file: the same") << QStringLiteral("xyz") << Lines(QStringList()) << QStringLiteral("x");
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
    QTest::newRow("set only, first in set") << QStringLiteral("axb") << Lines(QStringList{abc}) << QStringLiteral("a");
    QTest::newRow("set only, first not in set") << QStringLiteral("xab") << Lines(QStringList{abc}) << QString();
    QTest::newRow("empty length stops at once") << QStringLiteral("xab") << Lines({abc, QString()}) << QString();
    QTest::newRow("letters as length stop at once")
        << QStringLiteral("abc") << Lines({abc, QStringLiteral("12a")}) << QStringLiteral("a");
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

void TestEngine::bothLengthReadersGiveTheSamePassword_data()
{
    // One engine, two readers of the length line: the generator's before the toolkit is loaded
    // (plain whole numbers) and the window program's (the user's locale). settings.ini's bytes
    // ("<none>": no file), and whether the plain reader decides them; where it does, both give the
    // same password from the same random words.
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("decides");
    QTest::newRow("no file") << QByteArray("<none>") << true;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("as the editor writes") << QByteArray("abc\r\n8\r\n") << true;
    QTest::newRow("set only") << QByteArray("abcdefghijklmnopqrstuvwxyz") << true;
    QTest::newRow("empty length") << QByteArray("abc\r\n\r\n") << true;
    QTest::newRow("zero") << QByteArray("abcdefghijklmnopqrstuvwxyz\r\n0\r\n") << true;
    QTest::newRow("empty set") << QByteArray("\r\n5\r\n") << true;
    QTest::newRow("digits, several rounds") << QByteArray("0123456789\r\n40\r\n") << true;
    QTest::newRow("confusable letters") << QByteArray("qilI\r\n30\r\n") << true;
    QTest::newRow("above the longest") << QByteArray("abcdefghijklmnopqrstuvwxyz\r\n40000\r\n") << true;
    QTest::newRow("Windows-1252 and lone CR, LF") << QByteArray("\xE9\xE8\r\x80\n\r\n6\r\n") << true;
    QTest::newRow("later lines") << QByteArray("abc\r\n4\r\nmore\r\n") << true;
    QTest::newRow("leading zeros") << QByteArray("abc\r\n007\r\n") << true;
    QTest::newRow("blanks: left to the full engine") << QByteArray("abc\r\n 12\r\n") << false;
    QTest::newRow("fraction: left") << QByteArray("abc\r\n1.5\r\n") << false;
    QTest::newRow("negative: left") << QByteArray("abc\r\n-3\r\n") << false;
    QTest::newRow("exponent: left") << QByteArray("abc\r\n1e2\r\n") << false;
    QTest::newRow("letters: left") << QByteArray("abc\r\n12a\r\n") << false;
    QTest::newRow("written on Linux") << QByteArray("abcdef\n20\n") << true;
    QTest::newRow("LF alone, blanks: left") << QByteArray("abcdef\n 20\n") << false;
    QTest::newRow("one CR LF: LF stays in its line") << QByteArray("ab\ncd\r\n9\n") << false;
    // Every code 64 times over: the membership test costs the same whatever the set's size.
    QTest::newRow("a 16 KiB set, the longest length") << [] {
        QByteArray set;
        for (int i = 0; i < 64 * 256; ++i)
            set += char(i % 256 == 10 || i % 256 == 13 ? 'x' : i % 256);
        return set + "\r\n32767\r\n";
    }() << true;
}

void TestEngine::bothLengthReadersGiveTheSamePassword()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, decides);
    // The same words for both: a fixed sequence from a simple generator, so runs are repeatable.
    const auto words = [] {
        auto state = std::make_shared<quint64>(0x9E3779B97F4A7C15ull);
        return [state] {
            *state = *state * 6364136223846793005ull + 1442695040888963407ull;
            return quint32(*state >> 32);
        };
    };
    SettingsBytes settings;
    settings.present = file != "<none>";
    if (settings.present)
        settings.bytes = file.toStdString();
    const std::optional<std::string> quick = quickPassword(settings, words());
    QCOMPARE(quick.has_value(), decides);
    if (!quick)
        return;

    // The full engine reads the file as the generator does: up to the end of its second line.
    const QString text = settings.present ? fromAnsi(QByteArray::fromStdString(settings.bytes)) : QString();
    QStringList lines = splitSettingsLines(text);
    if (lines.size() > 3)
        lines = lines.mid(0, 3);
    const RandomSource source = words();
    QString full = SelectPassword(CandidateRoundFrom(source), lines, [&] { return CandidateRoundFrom(source); });
    ApplyReplacements(full);
    QCOMPARE(fromAnsi(QByteArray::fromStdString(*quick)), full);
}

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
