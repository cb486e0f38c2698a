#include "platform/cp1252.h"
#include "platform/gdicanvas.h"
#include "platform/numerics.h"
#include "platform/random.h"
#include "platform/userstore.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cmath>

using namespace zimbrel;

class TestPlatform : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Windows-1252
    void ansiBytesMapToTheirCharacters_data();
    void ansiBytesMapToTheirCharacters();
    void everyByteRoundTrips();
    void charactersOutsideTheCodePageAreRefused_data();
    void charactersOutsideTheCodePageAreRefused();

    // Numbers
    void roundHalfEven_data();
    void roundHalfEven();
    void leadingNumber_data();
    void leadingNumber();
    void localeNumber_data();
    void localeNumber();
    void singleToText_data();
    void singleToText();

    // Random source
    void randomValuesAreSinglesInUnitInterval();

    // Drawing with the Windows rules
    void linesLeaveTheirEndPoint_data();
    void linesLeaveTheirEndPoint();
    void rectanglesExcludeRightAndBottom();

    // Per-user store
    void storeFollowsXdgConfigHome();
    void storeRoundTripsAndFallsBack();
};

void TestPlatform::ansiBytesMapToTheirCharacters_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("unicode");
    QTest::newRow("NUL") << 0x00 << 0x0000;
    QTest::newRow("A") << 0x41 << 0x0041;
    QTest::newRow("euro") << 0x80 << 0x20AC;
    QTest::newRow("undefined 81") << 0x81 << 0x0081;
    QTest::newRow("low quote") << 0x82 << 0x201A;
    QTest::newRow("undefined 8D") << 0x8D << 0x008D;
    QTest::newRow("undefined 8F") << 0x8F << 0x008F;
    QTest::newRow("undefined 90") << 0x90 << 0x0090;
    QTest::newRow("trade mark") << 0x99 << 0x2122;
    QTest::newRow("undefined 9D") << 0x9D << 0x009D;
    QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
    QTest::newRow("no-break space") << 0xA0 << 0x00A0;
    QTest::newRow("e acute") << 0xE9 << 0x00E9;
    QTest::newRow("e grave") << 0xE8 << 0x00E8;
    QTest::newRow("y diaeresis") << 0xFF << 0x00FF;
}

void TestPlatform::ansiBytesMapToTheirCharacters()
{
    QFETCH(int, byte);
    QFETCH(int, unicode);
    QCOMPARE(ansiToChar(static_cast<unsigned char>(byte)).unicode(), char16_t(unicode));
    QCOMPARE(charToAnsi(QChar(char16_t(unicode))), std::optional<unsigned char>(byte));
}

void TestPlatform::everyByteRoundTrips()
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const QString text = fromAnsi(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(QSet<QChar>(text.begin(), text.end()).size(), 256);
    QCOMPARE(toAnsi(text), std::optional<QByteArray>(all));
}

void TestPlatform::charactersOutsideTheCodePageAreRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("C1 control 80") << QString(QChar(0x0080));
    QTest::newRow("C1 control 9F") << QString(QChar(0x009F));
    QTest::newRow("Cyrillic") << QStringLiteral("ab\u0416");
    QTest::newRow("CJK") << QStringLiteral("\u4E2D");
    QTest::newRow("emoji") << QStringLiteral("x\U0001F600");
}

void TestPlatform::charactersOutsideTheCodePageAreRefused()
{
    QFETCH(QString, text);
    QVERIFY(!toAnsi(text).has_value());
}

void TestPlatform::roundHalfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("rounded");
    QTest::newRow("0.5") << 0.5 << 0.0;
    QTest::newRow("1.5") << 1.5 << 2.0;
    QTest::newRow("2.5") << 2.5 << 2.0;
    QTest::newRow("3.5") << 3.5 << 4.0;
    QTest::newRow("-0.5") << -0.5 << 0.0;
    QTest::newRow("-1.5") << -1.5 << -2.0;
    QTest::newRow("-2.5") << -2.5 << -2.0;
    QTest::newRow("127.5") << 127.5 << 128.0;
    QTest::newRow("126.5") << 126.5 << 126.0;
    QTest::newRow("2.4999") << 2.4999 << 2.0;
    QTest::newRow("2.5001") << 2.5001 << 3.0;
    QTest::newRow("-2.6") << -2.6 << -3.0;
    QTest::newRow("whole") << 7.0 << 7.0;
}

void TestPlatform::roundHalfEven()
{
    QFETCH(double, value);
    QFETCH(double, rounded);
    QCOMPARE(zimbrel::roundHalfEven(value), rounded);
}

void TestPlatform::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("whole") << QStringLiteral("4650") << 4650.0;
    QTest::newRow("negative") << QStringLiteral("-600") << -600.0;
    QTest::newRow("plus") << QStringLiteral("+15") << 15.0;
    QTest::newRow("decimal") << QStringLiteral("12.75") << 12.75;
    QTest::newRow("leading blanks") << QStringLiteral("  \t30") << 30.0;
    QTest::newRow("blanks inside") << QStringLiteral("1 2 3") << 123.0;
    QTest::newRow("trailing text") << QStringLiteral("45px") << 45.0;
    QTest::newRow("second point ends") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("exponent") << QStringLiteral("1.5E3") << 1500.0;
    QTest::newRow("D exponent") << QStringLiteral("2d2") << 200.0;
    QTest::newRow("bare exponent letter") << QStringLiteral("7e") << 7.0;
    QTest::newRow("no number") << QStringLiteral("abc") << 0.0;
    QTest::newRow("comma is not a point") << QStringLiteral("3,5") << 3.0;
    QTest::newRow("sign alone") << QStringLiteral("-") << 0.0;
    QTest::newRow("overflow reads 0") << QStringLiteral("1e999") << 0.0;
    QTest::newRow("point first") << QStringLiteral(".5") << 0.5;
}

void TestPlatform::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(zimbrel::leadingNumber(text), value);
}

void TestPlatform::localeNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("whole") << QStringLiteral("12") << true << 12.0;
    QTest::newRow("blanks around") << QStringLiteral(" 12 ") << true << 12.0;
    QTest::newRow("negative") << QStringLiteral("-3") << true << -3.0;
    QTest::newRow("fraction") << QStringLiteral("12.5") << true << 12.5;
    QTest::newRow("exponent") << QStringLiteral("1e1") << true << 10.0;
    QTest::newRow("leading zeros") << QStringLiteral("007") << true << 7.0;
    QTest::newRow("empty") << QString() << false << 0.0;
    QTest::newRow("blank") << QStringLiteral("   ") << false << 0.0;
    QTest::newRow("letters") << QStringLiteral("abc") << false << 0.0;
    QTest::newRow("number then letters") << QStringLiteral("12a") << false << 0.0;
    QTest::newRow("infinity") << QStringLiteral("inf") << false << 0.0;
    QTest::newRow("overflow") << QStringLiteral("1e999") << false << 0.0;
    QTest::newRow("not a number") << QStringLiteral("nan") << false << 0.0;
}

void TestPlatform::localeNumber()
{
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const std::optional<double> number = zimbrel::localeNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*number, value);
}

void TestPlatform::singleToText_data()
{
    QTest::addColumn<float>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0f << QStringLiteral("0");
    QTest::newRow("whole") << 6570.0f << QStringLiteral("6570");
    QTest::newRow("negative") << -600.0f << QStringLiteral("-600");
    QTest::newRow("fraction") << 7.5f << QStringLiteral("7.5");
    QTest::newRow("seven digits") << 1234567.0f << QStringLiteral("1234567");
    QTest::newRow("large") << 12345678.0f << QStringLiteral("1.234568E+07");
}

void TestPlatform::singleToText()
{
    QFETCH(float, value);
    QFETCH(QString, text);
    QCOMPARE(zimbrel::singleToText(value), text);
}

void TestPlatform::randomValuesAreSinglesInUnitInterval()
{
    QSet<float> seen;
    for (int i = 0; i < 20000; ++i) {
        const float r = randomSingle();
        QVERIFY(r >= 0.0f && r < 1.0f);
        // Every value lies on the 2^-24 grid, so products with it are exact in double.
        const double scaled = double(r) * 16777216.0;
        QCOMPARE(scaled, std::floor(scaled));
        seen.insert(r);
    }
    // 20000 draws out of 2^24 values: a repeat or two is possible, a stuck source is not.
    QVERIFY(seen.size() > 19900);
}

namespace {

QStringList pts(const char *list)
{
    return QString::fromLatin1(list).split(u' ', Qt::SkipEmptyParts);
}

// The painted pixels of a 12 x 12 image as "x,y" texts.
QStringList painted(const QImage &image)
{
    QStringList points;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                points << QStringLiteral("%1,%2").arg(x).arg(y);
        }
    }
    return points;
}

} // namespace

void TestPlatform::linesLeaveTheirEndPoint_data()
{
    QTest::addColumn<QRect>("from_to");
    QTest::addColumn<QStringList>("points");
    QTest::newRow("right") << QRect(QPoint(2, 3), QPoint(5, 3)) << pts("2,3 3,3 4,3");
    QTest::newRow("left") << QRect(QPoint(5, 3), QPoint(2, 3)) << pts("3,3 4,3 5,3");
    QTest::newRow("down") << QRect(QPoint(1, 1), QPoint(1, 4)) << pts("1,1 1,2 1,3");
    QTest::newRow("up") << QRect(QPoint(1, 4), QPoint(1, 1)) << pts("1,2 1,3 1,4");
    QTest::newRow("diagonal") << QRect(QPoint(0, 0), QPoint(3, 3)) << pts("0,0 1,1 2,2");
    QTest::newRow("a point") << QRect(QPoint(4, 4), QPoint(4, 4)) << QStringList();
    QTest::newRow("off the edge") << QRect(QPoint(9, 0), QPoint(20, 0)) << pts("9,0 10,0 11,0");
}

void TestPlatform::linesLeaveTheirEndPoint()
{
    QFETCH(QRect, from_to);
    QFETCH(QStringList, points);
    QImage image(12, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    GdiCanvas canvas(image);
    canvas.line(from_to.left(), from_to.top(), from_to.right(), from_to.bottom(), bgr(1, 2, 3));
    QCOMPARE(painted(image), points);
    if (!points.isEmpty())
        QCOMPARE(canvas.pixel(points[0].section(u',', 0, 0).toInt(), points[0].section(u',', 1).toInt()), bgr(1, 2, 3));
}

void TestPlatform::rectanglesExcludeRightAndBottom()
{
    QImage image(12, 12, QImage::Format_RGB32);
    image.fill(Qt::white);
    GdiCanvas canvas(image);
    canvas.fillRect(1, 1, 2, 2, 0);
    QCOMPARE(painted(image), pts("1,1 2,1 1,2 2,2"));
    image.fill(Qt::white);
    canvas.frameRect(0, 0, 3, 3, 0);
    QCOMPARE(painted(image), pts("0,0 1,0 2,0 0,1 2,1 0,2 1,2 2,2"));
    QCOMPARE(canvas.pixel(12, 0), 0xFFFFFFFFu);
}

void TestPlatform::storeFollowsXdgConfigHome()
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QCOMPARE(userStorePath(QStringLiteral("3004")), dir.path() + QStringLiteral("/zimbrel/3004.ini"));
    // A relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
    qputenv("XDG_CONFIG_HOME", "relative/config");
    QCOMPARE(userStorePath(QStringLiteral("3004")), QDir::homePath() + QStringLiteral("/.config/zimbrel/3004.ini"));
    // Without HOME (env -i, a service) the password database knows the user's home, never "/".
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    const passwd *entry = getpwuid(geteuid());
    const QString databaseHome = QFile::decodeName(entry ? entry->pw_dir : "");
    const QString expected = databaseHome.isEmpty() || databaseHome == QStringLiteral("/")
        ? QString()
        : databaseHome + QStringLiteral("/.config/zimbrel/3004.ini");
    QCOMPARE(userStorePath(QStringLiteral("3004")), expected);
    qputenv("HOME", home);
}

void TestPlatform::storeRoundTripsAndFallsBack()
{
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const QString app = QStringLiteral("3004");
    const QString section = QStringLiteral("55572");
    QCOMPARE(GetSetting(app, section, QStringLiteral("x")), QString());
    QCOMPARE(GetSetting(app, section, QStringLiteral("x"), QStringLiteral("none")), QStringLiteral("none"));
    QVERIFY(SaveSetting(app, section, QStringLiteral("x"), QStringLiteral("-600")));
    QVERIFY(SaveSetting(app, section, QStringLiteral("y"), QStringLiteral("4215")));
    // The folder it made holds the user's other secrets too: private.
    struct stat folder;
    QVERIFY(stat(QFile::encodeName(dir.path() + QStringLiteral("/zimbrel")).constData(), &folder) == 0);
    QCOMPARE(int(folder.st_mode & 0777), 0700);
    QCOMPARE(GetSetting(app, section, QStringLiteral("x")), QStringLiteral("-600"));
    QCOMPARE(GetSetting(app, section, QStringLiteral("y")), QStringLiteral("4215"));

    QFile file(dir.path() + QStringLiteral("/zimbrel/3004.ini"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QVERIFY2(content.contains("[55572]") && content.contains("x=-600") && content.contains("y=4215"),
             content.constData());
    file.close();

    // A FIFO (which a reader would wait on forever) or a folder of the store's name counts as
    // absent: nothing is read, nothing is stored, and neither waits.
    for (const char *kind : {"fifo", "folder"}) {
        QVERIFY(QFile::remove(file.fileName()) || QDir().rmdir(file.fileName()));
        if (qstrcmp(kind, "fifo") == 0)
            QCOMPARE(mkfifo(QFile::encodeName(file.fileName()).constData(), 0600), 0);
        else
            QVERIFY(QDir().mkdir(file.fileName()));
        QCOMPARE(GetSetting(app, section, QStringLiteral("x"), QStringLiteral("none")), QStringLiteral("none"));
        QVERIFY2(!SaveSetting(app, section, QStringLiteral("x"), QStringLiteral("1")), kind);
    }
}

QTEST_GUILESS_MAIN(TestPlatform)
#include "tst_platform.moc"
