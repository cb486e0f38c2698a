// The built editor on a real X server, with the generator: typing, Save, Cancel, and the place
// both programs share.

#include "platform/userstore.h"
#include "shared/placement.h"
#include "x11tools.h"
#include "testsupport.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace zimbrel;
using namespace zimbrel::testing;

class TestSettingsX11 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void typeAndSave();
    void cancelLeavesTheFile();
    void opensWhereTheStoreSays();
    void optionsOpenNoWindow();

private:
    void writeSettings(const QByteArray &bytes);
    QByteArray settings() const;
    QString start(const QString &program, const QString &windowName);

    std::unique_ptr<TemporaryConfig> m_dir;
    std::unique_ptr<QProcess> m_process;
};

void TestSettingsX11::init()
{
    QVERIFY(!qgetenv("DISPLAY").isEmpty());
    m_dir = std::make_unique<TemporaryConfig>();
}

void TestSettingsX11::cleanup()
{
    endProcess(m_process.get());
    m_process.reset();
}

void TestSettingsX11::writeSettings(const QByteArray &bytes)
{
    QFile file(m_dir->filePath(QStringLiteral("settings.ini")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray TestSettingsX11::settings() const
{
    QFile file(m_dir->filePath(QStringLiteral("settings.ini")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString TestSettingsX11::start(const QString &program, const QString &windowName)
{
    m_process = std::make_unique<QProcess>();
    m_process->setWorkingDirectory(m_dir->path());
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(QStringLiteral(ZIMBREL_BIN_DIR "/") + program, {});
    if (!m_process->waitForStarted())
        return {};
    return findWindow(windowName);
}

void TestSettingsX11::typeAndSave()
{
    writeSettings("abc\r\n8\r\n");
    const QString id = start(QStringLiteral("zimbrel-settings"), QStringLiteral("^Kavrin Password Settings$"));
    QVERIFY(!id.isEmpty());
    const QPoint at = windowPosition(id);
    // The length box has the focus: replace its text; then add to the set and save with the mouse.
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
    xdotool({QStringLiteral("type"), QStringLiteral("16")});
    clickAt(at + QPoint(100, 130));
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+End")});
    xdotool({QStringLiteral("type"), QStringLiteral("xyz")});
    clickAt(at + QPoint(320, 56));
    QVERIFY(m_process->waitForFinished(5000));
    QCOMPARE(m_process->exitCode(), 0);
    QCOMPARE(settings(), QByteArray("abcxyz\r\n16\r\n"));
}

void TestSettingsX11::cancelLeavesTheFile()
{
    writeSettings("abc\r\n8\r\n");
    const QString id = start(QStringLiteral("zimbrel-settings"), QStringLiteral("^Kavrin Password Settings$"));
    QVERIFY(!id.isEmpty());
    const QPoint at = windowPosition(id);
    xdotool({QStringLiteral("type"), QStringLiteral("9")});
    clickAt(at + QPoint(320, 94));
    QVERIFY(m_process->waitForFinished(5000));
    QCOMPARE(settings(), QByteArray("abc\r\n8\r\n"));
}

void TestSettingsX11::opensWhereTheStoreSays()
{
    // The generator's drag writes the store (its own test checks that); here the store is written
    // as the generator writes it, in twips, so no program's lifetime races the test.
    writeSettings("abc\r\n3\r\n");
    const QPoint place(137, 91);
    const QString app = QString::fromLatin1(kPositionApplication);
    const QString section = QString::fromLatin1(kPositionSection);
    QVERIFY(SaveSetting(app, section, QStringLiteral("x"), QString::number(place.x() * 15)));
    QVERIFY(SaveSetting(app, section, QStringLiteral("y"), QString::number(place.y() * 15)));

    const QString editor = start(QStringLiteral("zimbrel-settings"), QStringLiteral("^Kavrin Password Settings$"));
    QVERIFY(!editor.isEmpty());
    QCOMPARE(windowPosition(editor), place);
}

void TestSettingsX11::optionsOpenNoWindow()
{
    const QList<std::pair<QStringList, int>> rows = {
        {{QStringLiteral("--help")}, 0},
        {{QStringLiteral("--version")}, 0},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen")}, 2},
        {{QStringLiteral("settings.ini")}, 2},
        {{QStringLiteral("--help"), QStringLiteral("--bogus")}, 2},
        {{QStringLiteral("--bogus"), QStringLiteral("--help")}, 2},
    };
    for (const auto &[arguments, exitCode] : rows) {
        QProcess process;
        process.start(QStringLiteral(ZIMBREL_BIN_DIR "/zimbrel-settings"), arguments);
        // An editor window would keep the program running.
        QVERIFY2(process.waitForFinished(5000), qPrintable(arguments.join(u' ')));
        QCOMPARE(process.exitCode(), exitCode);
        QVERIFY((exitCode == 0 ? process.readAllStandardOutput() : process.readAllStandardError())
                    .contains("zimbrel-settings"));
    }
}

QTEST_GUILESS_MAIN(TestSettingsX11)
#include "tst_settings_x11.moc"
