// The built program on a real X server: what a user sees, pastes and drags.

#include "platform/cp1252.h"
#include "platform/userstore.h"
#include "shared/placement.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zimbrel;

namespace {

QString generatorPath()
{
    return QStringLiteral(ZIMBREL_BIN_DIR "/zimbrel-generator");
}

// Runs a helper tool to its end and returns what it printed.
QByteArray run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(5000))
        return "<not started>";
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    process.waitForFinished(10000);
    return process.readAllStandardOutput();
}

QString clipboardText()
{
    return QString::fromUtf8(run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                                           QStringLiteral("clipboard")}));
}

QStringList clipboardTargets()
{
    const QByteArray targets = run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                                             QStringLiteral("clipboard"), QStringLiteral("-t"),
                                                             QStringLiteral("TARGETS")});
    return QString::fromLatin1(targets).split(u'\n', Qt::SkipEmptyParts);
}

// The ids of the visible windows called zimbrel-generator.
QStringList generatorWindows()
{
    const QByteArray ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                           QStringLiteral("--name"), QStringLiteral("^zimbrel-generator$")});
    return QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts);
}

QPoint windowPosition(const QString &id)
{
    const QByteArray shell = run(QStringLiteral("xdotool"), {QStringLiteral("getwindowgeometry"),
                                                             QStringLiteral("--shell"), id});
    QPoint at;
    for (const QByteArray &line : shell.split('\n')) {
        if (line.startsWith("X="))
            at.setX(line.mid(2).toInt());
        else if (line.startsWith("Y="))
            at.setY(line.mid(2).toInt());
    }
    return at;
}

// Processes whose command is the clipboard helper and whose display is this test's.
int keepersOnThisDisplay()
{
    int count = 0;
    const QByteArray display = "DISPLAY=" + qgetenv("DISPLAY");
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile exe(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!exe.open(QIODevice::ReadOnly) || !exe.readAll().contains("zimbrel-clipboard-keeper"))
            continue;
        QFile env(QStringLiteral("/proc/%1/environ").arg(pid));
        if (env.open(QIODevice::ReadOnly) && env.readAll().split('\0').contains(display))
            ++count;
    }
    return count;
}

} // namespace

class TestGeneratorX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void passwordOutlivesTheProgramUntilReplaced();
    void windows1252SettingsReachTheClipboardAsUnicode();
    void dragStoresThePlaceAndTheNextStartOpensThere();

private:
    void startGenerator(const QByteArray &settings);
    QString waitForWindow();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_generator;
};

void TestGeneratorX11::initTestCase()
{
    QVERIFY2(!qgetenv("DISPLAY").isEmpty(), "this test needs an X server");
    QVERIFY(QFile::exists(generatorPath()));
}

void TestGeneratorX11::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_dir->filePath(QStringLiteral("config")).toUtf8());
}

void TestGeneratorX11::cleanup()
{
    if (m_generator && m_generator->state() != QProcess::NotRunning) {
        m_generator->kill();
        m_generator->waitForFinished();
    }
    m_generator.reset();
    // Leave no helper behind for the next test.
    run(QStringLiteral("xclip"), {QStringLiteral("-i"), QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                  QStringLiteral("-l"), QStringLiteral("1")},
        "done");
}

void TestGeneratorX11::startGenerator(const QByteArray &settings)
{
    QFile file(m_dir->filePath(QStringLiteral("settings.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(settings);
    file.close();
    m_generator = std::make_unique<QProcess>();
    m_generator->setWorkingDirectory(m_dir->path());
    m_generator->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_generator->start(generatorPath(), {});
    QVERIFY(m_generator->waitForStarted());
}

QString TestGeneratorX11::waitForWindow()
{
    QStringList windows;
    QElapsedTimer timer;
    timer.start();
    while ((windows = generatorWindows()).isEmpty() && timer.elapsed() < 10000)
        QTest::qWait(50);
    return windows.value(0);
}

void TestGeneratorX11::passwordOutlivesTheProgramUntilReplaced()
{
    const QString allowed = QStringLiteral("abcdefghjkmnopABCDEFGH23456789");
    startGenerator(allowed.toLatin1() + "\r\n16\r\n");
    QVERIFY(!waitForWindow().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(clipboardText().size(), 16, 5000);
    const QString password = clipboardText();
    for (QChar c : password)
        QVERIFY2(allowed.contains(c), qPrintable(password));
    QVERIFY(clipboardTargets().contains(QStringLiteral("x-kde-passwordManagerHint")));

    // The program ends by itself after five seconds; the password still pastes.
    QVERIFY(m_generator->waitForFinished(10000));
    QCOMPARE(m_generator->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_generator->exitCode(), 0);
    QCOMPARE(clipboardText(), password);
    QCOMPARE(keepersOnThisDisplay(), 1);

    // Another program takes the clipboard: the helper steps aside and ends.
    QProcess other;
    other.start(QStringLiteral("xclip"), {QStringLiteral("-i"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
    QVERIFY(other.waitForStarted());
    other.write("replaced");
    other.closeWriteChannel();
    QTRY_COMPARE_WITH_TIMEOUT(clipboardText(), QStringLiteral("replaced"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(keepersOnThisDisplay(), 0, 5000);
    other.kill();
    other.waitForFinished();
}

void TestGeneratorX11::windows1252SettingsReachTheClipboardAsUnicode()
{
    // Every byte from 80 to FF, as a set typed on Windows: euro sign, curly quotes, accents.
    QByteArray set;
    for (int b = 0x80; b <= 0xFF; ++b)
        set += char(b);
    QString expected;
    for (char b : set)
        expected += ansiToChar(static_cast<unsigned char>(b));
    startGenerator(set + "\r\n20\r\n");
    QVERIFY(!waitForWindow().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(clipboardText().size(), 20, 5000);
    const QString password = clipboardText();
    for (QChar c : password)
        QVERIFY2(expected.contains(c), qPrintable(password));
}

void TestGeneratorX11::dragStoresThePlaceAndTheNextStartOpensThere()
{
    startGenerator("abc\r\n4\r\n");
    const QString id = waitForWindow();
    QVERIFY(!id.isEmpty());
    const QPoint start = windowPosition(id);
    // Press on the label (8 pixels into the client area), drag by (-150, -200), let go.
    const QPoint grab = start + QPoint(60, 15);
    const QPoint drop = grab + QPoint(-150, -200);
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(grab.x()), QString::number(grab.y()),
                                    QStringLiteral("mousedown"), QStringLiteral("1"),
                                    QStringLiteral("mousemove"), QString::number(grab.x() - 10), QString::number(grab.y() - 10),
                                    QStringLiteral("mousemove"), QString::number(drop.x()), QString::number(drop.y()),
                                    QStringLiteral("mouseup"), QStringLiteral("1")});
    const QPoint moved = start + QPoint(-150, -200);
    QTRY_COMPARE_WITH_TIMEOUT(windowPosition(id), moved, 3000);
    const QString app = QString::fromLatin1(kPositionApplication);
    const QString section = QString::fromLatin1(kPositionSection);
    QTRY_COMPARE_WITH_TIMEOUT(GetSetting(app, section, QStringLiteral("y")), QString::number(moved.y() * 15), 3000);
    QCOMPARE(GetSetting(app, section, QStringLiteral("x")), QString::number(moved.x() * 15));

    // A right-button drag does nothing.
    run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(drop.x()), QString::number(drop.y()),
                                    QStringLiteral("mousedown"), QStringLiteral("3"),
                                    QStringLiteral("mousemove"), QString::number(drop.x() + 90), QString::number(drop.y() + 90),
                                    QStringLiteral("mouseup"), QStringLiteral("3")});
    QTest::qWait(300);
    QCOMPARE(windowPosition(id), moved);

    m_generator->kill();
    m_generator->waitForFinished();
    startGenerator("abc\r\n4\r\n");
    const QString again = waitForWindow();
    QVERIFY(!again.isEmpty());
    QCOMPARE(windowPosition(again), moved);
}

QTEST_GUILESS_MAIN(TestGeneratorX11)
#include "tst_generator_x11.moc"
