// Moving the windows without a title bar under a real window manager (openbox), where the window
// manager runs the move loop and the programs see no mouse events until it ends.

#include "platform/userstore.h"
#include "shared/placement.h"
#include "x11tools.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zimbrel;
using namespace zimbrel::testing;

class TestWindowMoveX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void generatorStoresWhereTheWindowManagerLeftIt();
    void editorTakesTheNextClickAfterAMove();

private:
    QString start(const QString &program, const QString &windowName);
    // A drag with pauses, so the window manager sees each step.
    void slowDrag(QPoint from, QPoint via, QPoint to);

    QProcess m_windowManager;
    std::unique_ptr<TemporaryConfig> m_dir;
    std::unique_ptr<QProcess> m_process;
};

void TestWindowMoveX11::initTestCase()
{
    const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    if (openbox.isEmpty())
        QSKIP("openbox is not installed");
    m_windowManager.start(openbox, {});
    QVERIFY(m_windowManager.waitForStarted());
    // The window manager announces itself on the root window once it runs.
    QTRY_VERIFY_WITH_TIMEOUT(
        run({QStringLiteral("xprop"), QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
            .contains("window id"),
        10000);
}

void TestWindowMoveX11::cleanupTestCase()
{
    endProcess(&m_windowManager);
}

void TestWindowMoveX11::init()
{
    m_dir = std::make_unique<TemporaryConfig>();
    QFile settings(m_dir->filePath(QStringLiteral("settings.ini")));
    QVERIFY(settings.open(QIODevice::WriteOnly));
    settings.write("abc\r\n3\r\n");
}

void TestWindowMoveX11::cleanup()
{
    endProcess(m_process.get());
    m_process.reset();
}

QString TestWindowMoveX11::start(const QString &program, const QString &windowName)
{
    m_process = std::make_unique<QProcess>();
    m_process->setWorkingDirectory(m_dir->path());
    m_process->start(QStringLiteral(ZIMBREL_BIN_DIR "/") + program, {});
    if (!m_process->waitForStarted())
        return {};
    return findWindow(windowName);
}

void TestWindowMoveX11::slowDrag(QPoint from, QPoint via, QPoint to)
{
    xdotool({QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
             QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"), QStringLiteral("0.1"),
             QStringLiteral("mousemove"), QString::number(via.x()), QString::number(via.y()), QStringLiteral("sleep"),
             QStringLiteral("0.1"), QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y()),
             QStringLiteral("sleep"), QStringLiteral("0.2"), QStringLiteral("mouseup"), QStringLiteral("1")});
}

void TestWindowMoveX11::generatorStoresWhereTheWindowManagerLeftIt()
{
    // The generator ends itself five seconds after it starts; when that comes before the move is
    // done (a busy machine), the run shows nothing either way and is made once more.
    const QString app = QString::fromLatin1(kPositionApplication);
    const QString section = QString::fromLatin1(kPositionSection);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        const QString id = start(QStringLiteral("zimbrel-generator"), QStringLiteral("^zimbrel-generator$"));
        QVERIFY(!id.isEmpty());
        const QPoint at = windowPosition(id);
        slowDrag(at + QPoint(60, 15), at + QPoint(100, 40), at + QPoint(150, 100));
        const auto ended = [this] { return m_process->state() == QProcess::NotRunning; };
        waitUntil([&] { return !GetSetting(app, section, QStringLiteral("y")).isEmpty() || ended(); }, 10000);
        const QPoint left = windowPosition(id);
        if (ended()) {
            qWarning("attempt %d: the generator ended before the move was done (a busy machine)", attempt);
            cleanup();
            init();
            continue;
        }
        QVERIFY(left != at);
        QCOMPARE(GetSetting(app, section, QStringLiteral("x")), QString::number(left.x() * 15));
        QCOMPARE(GetSetting(app, section, QStringLiteral("y")), QString::number(left.y() * 15));
        return;
    }
    QFAIL("twice the generator ended before the move was done");
}

void TestWindowMoveX11::editorTakesTheNextClickAfterAMove()
{
    const QString id = start(QStringLiteral("zimbrel-settings"), QStringLiteral("^Kavrin Password Settings$"));
    QVERIFY(!id.isEmpty());
    const QPoint at = windowPosition(id);
    slowDrag(at + QPoint(300, 160), at + QPoint(250, 120), at + QPoint(200, 100));
    // The window manager may place the window in more than one step: wait until it stays put.
    QPoint moved;
    QTRY_VERIFY_WITH_TIMEOUT((moved = windowPosition(id)) != at && windowPosition(id) == moved, 5000);
    // Cancel, clicked once, closes the editor.
    const QPoint cancel = moved + QPoint(320, 94);
    xdotool({QStringLiteral("mousemove"), QString::number(cancel.x()), QString::number(cancel.y())});
    QTest::qWait(300);
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
    QVERIFY(m_process->waitForFinished(5000));
    QCOMPARE(m_process->exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestWindowMoveX11)
#include "tst_windowmove_x11.moc"
