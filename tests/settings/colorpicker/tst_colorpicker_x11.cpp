// zimbrel-colorpicker run as a user runs it: its arguments, exit codes and output, and OK, Cancel
// and closing on a real X server.

#include <QFile>
#include <QProcess>
#include <QTest>

#include "x11tools.h"

using namespace zimbrel::testing;

namespace {

QString program()
{
    return QStringLiteral(ZIMBREL_BIN_DIR "/zimbrel-colorpicker");
}

} // namespace

class TestColorPickerX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void arguments_data();
    void arguments();
    void okPrintsTheColour_data();
    void okPrintsTheColour();
    void cancelPrintsNothing();

private:
    // The state file a developer's own runs left beside the program, put back at the end.
    QByteArray m_savedState;
    bool m_hadState = false;

    // Starts the picker with the state file in place (no missing-file message) and waits for it.
    bool start(QProcess &process, const QStringList &arguments);
};

void TestColorPickerX11::initTestCase()
{
    QFile state(QStringLiteral(ZIMBREL_BIN_DIR "/zimbrel.ini"));
    m_hadState = state.open(QIODevice::ReadOnly);
    if (m_hadState)
        m_savedState = state.readAll();
}

void TestColorPickerX11::init()
{
    QFile state(QStringLiteral(ZIMBREL_BIN_DIR "/zimbrel.ini"));
    state.open(QIODevice::WriteOnly);
    state.write("0\r\n\"objOption0\"\r\n\"NumberOfPaths0\"\r\n");
}

void TestColorPickerX11::cleanupTestCase()
{
    QFile state(QStringLiteral(ZIMBREL_BIN_DIR "/zimbrel.ini"));
    if (!m_hadState) {
        state.remove();
        return;
    }
    if (state.open(QIODevice::WriteOnly | QIODevice::Truncate))
        state.write(m_savedState);
}

bool TestColorPickerX11::start(QProcess &process, const QStringList &arguments)
{
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program(), arguments);
    if (!process.waitForStarted())
        return false;
    if (!findWindow(QStringLiteral("^zimbrel-colorpicker$")).isEmpty())
        return true;
    qWarning("no window; state %d, exit %d, stderr: %s", int(process.state()), process.exitCode(),
             process.readAllStandardError().constData());
    return false;
}

void TestColorPickerX11::arguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("printed");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0 << QStringLiteral("usage:");
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0
                               << QStringLiteral("zimbrel-colorpicker ");
    QTest::newRow("not a colour") << QStringList{QStringLiteral("reddish")} << 2 << QString();
    QTest::newRow("alpha") << QStringList{QStringLiteral("#80336699")} << 2 << QString();
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")} << 2 << QString();
    // An unknown option is a mistake wherever --help stands.
    QTest::newRow("--help, then an unknown option")
        << QStringList{QStringLiteral("--help"), QStringLiteral("--colour")} << 2 << QString();
    QTest::newRow("an unknown option, then --help")
        << QStringList{QStringLiteral("--colour"), QStringLiteral("--help")} << 2 << QString();
    QTest::newRow("five digits") << QStringList{QStringLiteral("#12345")} << 2 << QString();
    QTest::newRow("two colours") << QStringList{QStringLiteral("000000"), QStringLiteral("FFFFFF")} << 2 << QString();
}

void TestColorPickerX11::arguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, printed);
    QProcess process;
    process.start(program(), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), exitCode);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    if (printed.isEmpty()) {
        QVERIFY(out.isEmpty());
        QVERIFY(QString::fromLocal8Bit(process.readAllStandardError()).contains(QStringLiteral("usage:")));
    } else {
        QVERIFY2(out.startsWith(printed), qPrintable(out));
    }
}

void TestColorPickerX11::okPrintsTheColour_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("printed");
    QTest::newRow("no colour: black") << QStringList() << QByteArray("#000000\n");
    QTest::newRow("RRGGBB") << QStringList{QStringLiteral("3366cc")} << QByteArray("#3366CC\n");
    QTest::newRow("#RRGGBB") << QStringList{QStringLiteral("#A1B2C3")} << QByteArray("#A1B2C3\n");
    QTest::newRow("#RGB") << QStringList{QStringLiteral("#f80")} << QByteArray("#FF8800\n");
    QTest::newRow("name") << QStringList{QStringLiteral("steelblue")} << QByteArray("#4682B4\n");
    QTest::newRow("rgb()") << QStringList{QStringLiteral("rgb(51,102,204)")} << QByteArray("#3366CC\n");
    // The first run ever: no state file yet, and no message about it before the picker.
    QTest::newRow("first run") << QStringList{QStringLiteral("first run")} << QByteArray("#000000\n");
}

void TestColorPickerX11::okPrintsTheColour()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, printed);
    if (arguments == QStringList{QStringLiteral("first run")}) {
        QVERIFY(QFile::remove(QStringLiteral(ZIMBREL_BIN_DIR "/zimbrel.ini")));
        arguments.clear();
    }
    QProcess process;
    QVERIFY(start(process, arguments));
    // Enter presses OK, the default button.
    run({QStringLiteral("xdotool"), QStringLiteral("key"), QStringLiteral("Return")});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), printed);
    // The colour and mode are remembered for the next run.
    QFile state(QStringLiteral(ZIMBREL_BIN_DIR "/zimbrel.ini"));
    QVERIFY(state.open(QIODevice::ReadOnly));
    QVERIFY(state.readAll().contains("\"objOption0\""));
}

void TestColorPickerX11::cancelPrintsNothing()
{
    for (const char *key : {"Escape", "alt+F4"}) {
        QProcess process;
        QVERIFY(start(process, {QStringLiteral("123456")}));
        run({QStringLiteral("xdotool"), QStringLiteral("key"), QString::fromLatin1(key)});
        if (!process.waitForFinished(3000)) {
            // Without a window manager nobody turns Alt+F4 into a close: ask the window itself.
            const QString id = findWindow(QStringLiteral("^zimbrel-colorpicker$"));
            run({QStringLiteral("xdotool"), QStringLiteral("key"), QStringLiteral("--window"), id,
                 QStringLiteral("Escape")});
            QVERIFY(process.waitForFinished(5000));
        }
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(process.readAllStandardOutput(), QByteArray());
    }
}

QTEST_GUILESS_MAIN(TestColorPickerX11)
#include "tst_colorpicker_x11.moc"
