// Numbers as the user writes them, read without Qt, against Qt's own QLocale: in every locale Qt
// has, for locale names as the environment spells them, and for the user's locale as the
// environment variables make it up (Qt then runs in a process of its own, as it reads them once).
#include "core/localenumbers.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QLocale>
#include <QProcess>
#include <QTest>

#include <cmath>
#include <cstdio>
#include <cstring>

using namespace zimbrel;

namespace {

std::u16string_view view(const QString &text)
{
    return {QStringView(text).utf16(), size_t(text.size())};
}

QString shown(std::optional<double> number)
{
    return number ? QString::number(*number, 'g', 17) : QStringLiteral("none");
}

// What QLocale makes of a text: a finite number, or none; nothing at all when it is no number.
std::optional<QString> qtNumber(const QLocale &locale, const QString &text)
{
    bool ok = false;
    const double value = locale.toDouble(text, &ok);
    if (!ok)
        return std::nullopt;
    return shown(std::isfinite(value) ? std::optional<double>(value) : std::nullopt);
}

QString qtReads(const QLocale &locale, const QString &text)
{
    return qtNumber(locale, text).value_or(QStringLiteral("none"));
}

// As the programs read a number the user wrote: in the user's locale, then in C's.
QString qtReadsAsTheUserWrites(const QString &text)
{
    return qtNumber(QLocale::system(), text).value_or(qtReads(QLocale::c(), text));
}

// Texts that tell styles apart and probe the edges of the grammar, in the locale's own writing
// and beside it.
QStringList probes(const QLocale &locale)
{
    QLocale grouping = locale;
    grouping.setNumberOptions(QLocale::DefaultNumberOptions);
    QStringList texts;
    for (double value : {1234567.891, -0.5, 1e21, 12.0, 100000.0, -4.25e-7}) {
        texts << grouping.toString(value, 'f', 3) << grouping.toString(value, 'e', 2)
              << grouping.toString(value, 'g', 12);
        texts << locale.toString(value, 'f', 2) << grouping.toString(value, 'E', 4);
    }
    for (qlonglong value : {1000LL, 10000LL, 1234567LL, -100000000LL}) {
        const QString text = grouping.toString(value);
        texts << text << QChar(u' ') + text + QChar(u'\t') << text + QChar(u'x') << text.left(text.size() - 1)
              << QString(text).replace(grouping.groupSeparator(), QStringLiteral(" "))
              << QString(text).replace(grouping.groupSeparator(), QString()) << grouping.groupSeparator() + text
              << text + grouping.groupSeparator() << text.left(2) + grouping.groupSeparator() + text.mid(2);
    }
    texts << QStringLiteral("1e3") << QStringLiteral("1E3") << QStringLiteral("1,5e1") << QStringLiteral("1,5E1")
          << QStringLiteral("1.5") << QStringLiteral("1,5") << QStringLiteral("1.000") << QStringLiteral("1,000")
          << QStringLiteral("1 000") << QStringLiteral("1\u00A0000") << QStringLiteral("1\u202F000")
          << QStringLiteral("1\u2019000") << QStringLiteral("\u22121") << QStringLiteral("+-1") << QStringLiteral("-")
          << QStringLiteral(".5") << QStringLiteral("5.") << QStringLiteral("1e") << QStringLiteral("1e+")
          << QStringLiteral("inf") << QStringLiteral("nan") << QStringLiteral("1e999") << QStringLiteral("1e-999")
          << QStringLiteral("4e-320") << QString() << QStringLiteral("  ") << QStringLiteral("\u0661\u066B\u0665")
          << QStringLiteral("\u06F1\u06F2") << QStringLiteral("1\u04153") << QStringLiteral("1\u04353")
          << QStringLiteral("12") + QChar(0xD800) << QChar(0xD800) + QStringLiteral("5") << QStringLiteral("1%")
          << QStringLiteral("1;2") << QStringLiteral("0x10");
    return texts;
}

// The texts whose readings in `name` differ between Qt and the reader, with both readings.
QStringList differences(const QString &name)
{
    const QLocale locale(name);
    const NumberStyle &style = localeNumberStyle(name.toStdString());
    QStringList found;
    for (const QString &text : probes(locale)) {
        const QString expected = qtReads(locale, text);
        const QString read = shown(readNumber(view(text), style));
        if (read != expected)
            found << QStringLiteral("%1: \"%2\" Qt %3, read %4").arg(name, text, expected, read);
    }
    return found;
}

} // namespace

class TestLocaleNumbers : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsAsQtInEveryLocale();
    void localeNames_data();
    void localeNames();
    void userLocale_data();
    void userLocale();
};

void TestLocaleNumbers::readsAsQtInEveryLocale()
{
    QStringList found = differences(QStringLiteral("C"));
    for (const QLocale &locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        found << differences(locale.name());
        found << differences(locale.bcp47Name());
    }
    QVERIFY2(
        found.isEmpty(),
        qPrintable(QStringLiteral("%1 differences, among them:\n").arg(found.size()) + found.mid(0, 10).join(u'\n')));
}

void TestLocaleNumbers::localeNames_data()
{
    // Names as environments spell them, odd ones too; each must stand for the locale Qt takes.
    QTest::addColumn<QString>("name");
    for (const char *name : {"de_DE.UTF-8",
                             "de_DE.UTF-8@euro",
                             "de-ch",
                             "DE_ch",
                             "de_CH_DE",
                             "de__CH",
                             "_de",
                             "sr_RS@latin",
                             "sr_Latn_RS",
                             "sr_latn_RS",
                             "sr_Cyrl",
                             "de_Zzzz_CH",
                             "de_Yiii_CH",
                             "zh_Hant_TW",
                             "zh_TW",
                             "pt",
                             "pt_PT",
                             "no",
                             "nb_NO",
                             "iw_IL",
                             "in",
                             "xx_DE",
                             "und_DE",
                             "a1_DE",
                             "C",
                             "POSIX",
                             "",
                             "C.UTF-8",
                             "es_419",
                             "en_001",
                             "en_IN",
                             "hi_IN",
                             "ar_EG",
                             "ar_MA",
                             "fa",
                             "uk",
                             "ksh",
                             "ff_Adlm",
                             "ff_Adlm_SN",
                             "ccp",
                             "ms_Arab_BN",
                             "sv_AX",
                             "kk_Arab",
                             "pa_Arab",
                             "de_Latn_CH.UTF-8@euro",
                             "de.CH",
                             "deu_CHE",
                             "ger_CH",
                             "gsw",
                             "fr_CA",
                             "nds"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestLocaleNumbers::localeNames()
{
    QFETCH(QString, name);
    const QStringList found = differences(name);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
}

void TestLocaleNumbers::userLocale_data()
{
    // The variables, a text, and the number the programs read it as: in the user's locale, and
    // where that gives none, in C's. Qt, started with the same variables, must read the same.
    QTest::addColumn<QByteArray>("variables");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("number");
    QTest::newRow("C") << QByteArray("LANG=C") << QStringLiteral("1.5") << QStringLiteral("1.5");
    QTest::newRow("C: a comma groups") << QByteArray("LANG=C") << QStringLiteral("1,000") << QStringLiteral("1000");
    QTest::newRow("C: a decimal comma is none")
        << QByteArray("LANG=C") << QStringLiteral("1,5") << QStringLiteral("none");
    QTest::newRow("nothing set is C") << QByteArray() << QStringLiteral(" 1e3 ") << QStringLiteral("1000");
    QTest::newRow("German comma") << QByteArray("LANG=de_DE.UTF-8") << QStringLiteral("1,5") << QStringLiteral("1.5");
    QTest::newRow("German groups") << QByteArray("LANG=de_DE.UTF-8") << QStringLiteral("1.000")
                                   << QStringLiteral("1000");
    QTest::newRow("German, C's point") << QByteArray("LANG=de_DE.UTF-8") << QStringLiteral("1.5")
                                       << QStringLiteral("1.5");
    QTest::newRow("German, no group of two: C's 1.00")
        << QByteArray("LANG=de_DE.UTF-8") << QStringLiteral("1.00") << QStringLiteral("1");
    QTest::newRow("Swiss apostrophe") << QByteArray("LANG=de_CH.UTF-8") << QStringLiteral("1\u2019000")
                                      << QStringLiteral("1000");
    QTest::newRow("Swiss, a typed ' is none")
        << QByteArray("LANG=de_CH.UTF-8") << QStringLiteral("1'000") << QStringLiteral("none");
    QTest::newRow("French: a blank for the narrow one")
        << QByteArray("LANG=fr_FR.UTF-8") << QStringLiteral("1 000,5") << QStringLiteral("1000.5");
    QTest::newRow("Russian no-break blank")
        << QByteArray("LANG=ru_RU.UTF-8") << QStringLiteral("1\u00A0000") << QStringLiteral("1000");
    QTest::newRow("Indian groups") << QByteArray("LANG=hi_IN") << QStringLiteral("10,00,000")
                                   << QStringLiteral("1000000");
    QTest::newRow("Swedish exponent E") << QByteArray("LANG=sv_SE.UTF-8") << QStringLiteral("1,5E1")
                                        << QStringLiteral("15");
    QTest::newRow("Swedish e is none") << QByteArray("LANG=sv_SE.UTF-8") << QStringLiteral("1,5e1")
                                       << QStringLiteral("none");
    QTest::newRow("Swedish, C's 1e3") << QByteArray("LANG=sv_SE.UTF-8") << QStringLiteral("1e3")
                                      << QStringLiteral("1000");
    QTest::newRow("Swedish minus") << QByteArray("LANG=sv_SE.UTF-8") << QStringLiteral("\u22121,5")
                                   << QStringLiteral("-1.5");
    QTest::newRow("Ukrainian exponent, small")
        << QByteArray("LANG=uk_UA.UTF-8") << QStringLiteral("1,5\u04351") << QStringLiteral("15");
    QTest::newRow("Arabic digits") << QByteArray("LANG=ar_EG.UTF-8") << QStringLiteral("\u0661\u066B\u0665")
                                   << QStringLiteral("1.5");
    QTest::newRow("Spanish: no group after one digit")
        << QByteArray("LANG=es_ES.UTF-8") << QStringLiteral("1.000") << QStringLiteral("1");
    QTest::newRow("Spanish groups") << QByteArray("LANG=es_ES.UTF-8") << QStringLiteral("10.000")
                                    << QStringLiteral("10000");
    QTest::newRow("LC_NUMERIC over LANG")
        << QByteArray("LANG=en_US.UTF-8 LC_NUMERIC=de_DE.UTF-8") << QStringLiteral("1,5") << QStringLiteral("1.5");
    QTest::newRow("LC_NUMERIC C") << QByteArray("LANG=de_DE.UTF-8 LC_NUMERIC=C") << QStringLiteral("1,5")
                                  << QStringLiteral("none");
    QTest::newRow("LC_ALL over both") << QByteArray("LANG=de_DE.UTF-8 LC_NUMERIC=de_DE.UTF-8 LC_ALL=C")
                                      << QStringLiteral("1,5") << QStringLiteral("none");
    QTest::newRow("groups from LC_MESSAGES")
        << QByteArray("LANG=es_ES.UTF-8 LC_MESSAGES=de_DE.UTF-8") << QStringLiteral("1.000") << QStringLiteral("1000");
    QTest::newRow("LANGUAGE names another language")
        << QByteArray("LANG=de_DE.UTF-8 LANGUAGE=es") << QStringLiteral("1.000") << QStringLiteral("1");
    QTest::newRow("LANGUAGE agrees") << QByteArray("LANG=de_DE.UTF-8 LANGUAGE=de:en") << QStringLiteral("1.000")
                                     << QStringLiteral("1000");
    QTest::newRow("LANGUAGE under C is left alone")
        << QByteArray("LANG=C LC_NUMERIC=de_DE.UTF-8 LANGUAGE=es") << QStringLiteral("1.000") << QStringLiteral("1000");
    QTest::newRow("an unknown language is C")
        << QByteArray("LANG=xx_YY.UTF-8") << QStringLiteral("1,5") << QStringLiteral("none");
    QTest::newRow("Serbian, @latin left aside")
        << QByteArray("LANG=sr_RS@latin") << QStringLiteral("1,5") << QStringLiteral("1.5");
}

void TestLocaleNumbers::userLocale()
{
    QFETCH(QByteArray, variables);
    QFETCH(QString, text);
    QFETCH(QString, number);
    QString read;
    {
        const testing::LocaleVariables set(variables);
        read = shown(readUserNumber(view(text)));
    }
    QCOMPARE(read, number);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : testing::LocaleVariables::kNames)
        environment.remove(QString::fromLatin1(name));
    for (const auto &[name, value] : testing::LocaleVariables::variablesOf(variables))
        environment.insert(QString::fromLatin1(name), QString::fromLatin1(value));
    QProcess qt;
    qt.setProcessEnvironment(environment);
    qt.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--qt-reads"), text});
    QVERIFY(qt.waitForFinished(10000));
    QCOMPARE(QString::fromUtf8(qt.readAllStandardOutput()), number);
}

int main(int argc, char **argv)
{
    // The other half of userLocale(): how Qt reads the text in the locale of this environment.
    if (argc == 3 && std::strcmp(argv[1], "--qt-reads") == 0) {
        std::fputs(qPrintable(qtReadsAsTheUserWrites(QString::fromUtf8(argv[2]))), stdout);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestLocaleNumbers test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_localenumbers.moc"
