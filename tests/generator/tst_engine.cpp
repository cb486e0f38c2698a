#include "generator/sf.h"

#include <QSet>
#include <QTest>

#include <cmath>
#include <vector>

using namespace zimbrel;

namespace {

// Hands out the given values in turn, starting over at the end.
RandomSource scripted(std::vector<float> values)
{
    auto index = std::make_shared<std::size_t>(0);
    return [values = std::move(values), index] { return values[(*index)++ % values.size()]; };
}

constexpr float kLargestBelowOne = 1.0f - 1.0f / 16777216.0f;

const QString kLettersAndDigits =
    QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomStringCharacters_data();
    void randomStringCharacters();
    void randomStringCount_data();
    void randomStringCount();
    void anyCharacterCoversAllCodesWithHalfWeightEnds();

    void replaceAll_data();
    void replaceAll();
    void replacementsSwapConfusableLetters_data();
    void replacementsSwapConfusableLetters();

    void selection_data();
    void selection();

    void passwordsComeFromTheSetAtTheWantedLength();
    void passwordsOfWindows1252Characters();
    void passwordsDifferEveryTime();
};

void TestEngine::randomStringCharacters_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("r");
    QTest::addColumn<QString>("character");
    QTest::newRow("letters, 0") << 1 << 0.0f << QStringLiteral("A");
    QTest::newRow("letters, half: 77.5 to 78") << 1 << 0.5f << QStringLiteral("N");
    QTest::newRow("letters, top") << 1 << kLargestBelowOne << QStringLiteral("Z");
    QTest::newRow("digits, 0") << 2 << 0.0f << QStringLiteral("0");
    QTest::newRow("digits, half: 52.5 to 52") << 2 << 0.5f << QStringLiteral("4");
    QTest::newRow("digits, top") << 2 << kLargestBelowOne << QStringLiteral("9");
    QTest::newRow("any, 0") << 3 << 0.0f << QString(QChar(0));
    QTest::newRow("any, quarter: 63.75 to 64") << 3 << 0.25f << QStringLiteral("@");
    QTest::newRow("any, half: 127.5 to 128, the euro sign") << 3 << 0.5f << QStringLiteral("\u20AC");
    QTest::newRow("any, 1/512: 0.498 to 0") << 3 << (1.0f / 512) << QString(QChar(0));
    QTest::newRow("any, top") << 3 << kLargestBelowOne << QStringLiteral("\u00FF");
}

void TestEngine::randomStringCharacters()
{
    QFETCH(int, mode);
    QFETCH(float, r);
    QFETCH(QString, character);
    qint16 count = 3;
    QCOMPARE(RandomString(count, mode, scripted({r})), character.repeated(3));
    QCOMPARE(count, qint16(3));
}

void TestEngine::randomStringCount_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("r");
    QTest::addColumn<int>("effective");
    QTest::addColumn<int>("length");
    QTest::newRow("zero") << 0 << 3 << 0.5f << 0 << 0;
    QTest::newRow("unknown mode") << 5 << 4 << 0.5f << 5 << 0;
    QTest::newRow("mode 0") << 5 << 0 << 0.5f << 5 << 0;
    QTest::newRow("random length: 10 x 0.25 = 2.5 to 2") << -10 << 2 << 0.25f << 2 << 2;
    QTest::newRow("random length: 10 x 0.75 = 7.5 to 8") << -10 << 2 << 0.75f << 8 << 8;
    QTest::newRow("random length below 1 becomes 1") << -10 << 2 << 0.0f << 1 << 1;
    QTest::newRow("random length, unknown mode") << -4 << 9 << 0.5f << 2 << 0;
    QTest::newRow("random length at the edge of 16 bits") << -32768 << 2 << kLargestBelowOne << 32767 << 32767;
}

void TestEngine::randomStringCount()
{
    QFETCH(int, count);
    QFETCH(int, mode);
    QFETCH(float, r);
    QFETCH(int, effective);
    QFETCH(int, length);
    qint16 n = qint16(count);
    QCOMPARE(RandomString(n, mode, scripted({r})).size(), length);
    QCOMPARE(int(n), effective);
}

void TestEngine::anyCharacterCoversAllCodesWithHalfWeightEnds()
{
    constexpr int kPerCode = 4000;
    qint16 count = 255;
    QHash<QChar, int> seen;
    for (int round = 0; round < kPerCode; ++round) {
        for (QChar c : RandomString(count, AnyAnsiCharacter))
            ++seen[c];
    }
    QCOMPARE(seen.size(), 256);
    // Rounding r x 255 gives 0 and 255 half the room of the other codes.
    const int zero = seen.value(QChar(0));
    const int top = seen.value(QChar(0xFF));
    const int middle = seen.value(QChar(u'A'));
    QVERIFY2(zero > kPerCode / 2 * 0.8 && zero < kPerCode / 2 * 1.2, qPrintable(QString::number(zero)));
    QVERIFY2(top > kPerCode / 2 * 0.8 && top < kPerCode / 2 * 1.2, qPrintable(QString::number(top)));
    QVERIFY2(middle > kPerCode * 0.85 && middle < kPerCode * 1.15, qPrintable(QString::number(middle)));
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
    QTest::newRow("deleting") << QStringLiteral("a-b-c") << QStringLiteral("-") << QString()
                              << QStringLiteral("abc");
    // The search starts from the front after each replacement, so "aab" -> "ab" -> "b".
    QTest::newRow("new occurrence across the seam") << QStringLiteral("aab") << QStringLiteral("ab")
                                                    << QStringLiteral("b") << QStringLiteral("b");
    QTest::newRow("case matters") << QStringLiteral("Qq") << QStringLiteral("q") << QStringLiteral("e")
                                  << QStringLiteral("Qe");
    // These never ended before; now they end with each original occurrence replaced once.
    QTest::newRow("empty searched text") << QStringLiteral("abc") << QString() << QStringLiteral("x")
                                         << QStringLiteral("abc");
    QTest::newRow("replacement contains it") << QStringLiteral("aqb") << QStringLiteral("q")
                                             << QStringLiteral("qq") << QStringLiteral("aqqb");
    QTest::newRow("replacement is it") << QStringLiteral("qxq") << QStringLiteral("q") << QStringLiteral("q")
                                       << QStringLiteral("qxq");
    QTest::newRow("replacement wraps it") << QStringLiteral("ab") << QStringLiteral("a")
                                          << QStringLiteral("[a]") << QStringLiteral("[a]b");
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
    using Lines = std::optional<QStringList>;
    QTest::addColumn<QString>("candidates");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QString>("password");
    const QString abc = QStringLiteral("abc");
    QTest::newRow("no file: first candidate, untested") << QStringLiteral("xyz") << Lines() << QStringLiteral("x");
    QTest::newRow("empty file: the same") << QStringLiteral("xyz") << Lines(QStringList()) << QStringLiteral("x");
    QTest::newRow("keeps set members in order") << QStringLiteral("xaybzc")
                                                << Lines({abc, QStringLiteral("3"), QString()}) << QStringLiteral("abc");
    QTest::newRow("stops at the wanted length") << QStringLiteral("xaybzc")
                                                << Lines({abc, QStringLiteral("2")}) << QStringLiteral("ab");
    QTest::newRow("length with blanks") << QStringLiteral("abc") << Lines({abc, QStringLiteral(" 2 ")})
                                        << QStringLiteral("ab");
    QTest::newRow("too few qualify: all of them") << QStringLiteral("xaxb") << Lines({abc, QStringLiteral("5")})
                                                  << QStringLiteral("ab");
    QTest::newRow("above 255: all") << QStringLiteral("axb") << Lines({abc, QStringLiteral("300")})
                                    << QStringLiteral("ab");
    QTest::newRow("negative: all") << QStringLiteral("axb") << Lines({abc, QStringLiteral("-1")})
                                   << QStringLiteral("ab");
    QTest::newRow("fraction: all") << QStringLiteral("abc") << Lines({abc, QStringLiteral("1.5")})
                                   << QStringLiteral("abc");
    QTest::newRow("0, first rejected: empty") << QStringLiteral("xab") << Lines({abc, QStringLiteral("0")})
                                              << QString();
    QTest::newRow("0, first taken: all") << QStringLiteral("axb") << Lines({abc, QStringLiteral("0")})
                                         << QStringLiteral("ab");
    QTest::newRow("set only, first in set") << QStringLiteral("axb") << Lines(QStringList{abc}) << QStringLiteral("a");
    QTest::newRow("set only, first not in set") << QStringLiteral("xab") << Lines(QStringList{abc}) << QString();
    QTest::newRow("empty length stops at once") << QStringLiteral("xab") << Lines({abc, QString()}) << QString();
    QTest::newRow("letters as length stop at once") << QStringLiteral("abc") << Lines({abc, QStringLiteral("12a")})
                                                    << QStringLiteral("a");
    QTest::newRow("empty set: nothing qualifies") << QStringLiteral("abc") << Lines({QString(), QStringLiteral("1")})
                                                  << QString();
    QTest::newRow("case-sensitive") << QStringLiteral("AaB") << Lines({QStringLiteral("aB"), QStringLiteral("9")})
                                    << QStringLiteral("aB");
    QTest::newRow("lone CR in the set counts") << QStringLiteral("x\ry") << Lines({QStringLiteral("\r"), QStringLiteral("1")})
                                               << QStringLiteral("\r");
}

void TestEngine::selection()
{
    using Lines = std::optional<QStringList>;
    QFETCH(QString, candidates);
    QFETCH(Lines, lines);
    QFETCH(QString, password);
    QCOMPARE(SelectPassword(candidates, lines), password);
}

void TestEngine::passwordsComeFromTheSetAtTheWantedLength()
{
    const QStringList lines{kLettersAndDigits, QStringLiteral("12"), QString()};
    for (int i = 0; i < 500; ++i) {
        const QString password = MakePassword(lines);
        // 255 candidates with a chance of 62/255 each: fewer than 12 of them qualify next to never.
        QCOMPARE(password.size(), 12);
        for (QChar c : password) {
            QVERIFY2(kLettersAndDigits.contains(c), qPrintable(password));
            QVERIFY2(!QStringLiteral("qilI").contains(c), qPrintable(password));
        }
    }
}

void TestEngine::passwordsOfWindows1252Characters()
{
    // The bytes E9 E8 of a file written on Windows.
    const QStringList lines{QStringLiteral("\u00E9\u00E8"), QStringLiteral("4")};
    QSet<QChar> seen;
    for (int i = 0; i < 50; ++i) {
        const QString password = MakePassword(lines);
        QVERIFY(password.size() <= 4);
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

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
