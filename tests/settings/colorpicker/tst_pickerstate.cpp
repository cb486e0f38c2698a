#include "settings/colorpicker/pickerstate.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <memory>

using namespace zimbrel::picker;
using zimbrel::testing::TemporaryConfig;

class TestPickerState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void reads_data();
    void reads();
    void missingFileAsksForReinstall();
    void writesCrLfLinesInWindows1252();
    void writtenBackAsRead_data();
    void writtenBackAsRead();
    void readFailureGivesTheSystemsError();
    void placeBesideTheProgramOrPerUser();
    void failedWriteIsReported();

private:
    QString write(const QByteArray &bytes);
    std::unique_ptr<TemporaryConfig> m_dir;
};

void TestPickerState::init()
{
    m_dir = std::make_unique<TemporaryConfig>();
}

QString TestPickerState::write(const QByteArray &bytes)
{
    const QString path = m_dir->filePath(QStringLiteral("zimbrel.ini"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

void TestPickerState::reads_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("oldColor"); // -1: none
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("paths");
    QTest::addColumn<QString>("message");
    const QString pastEnd = QStringLiteral("Unknown error nr 62Input past end of file");
    QTest::newRow("as written, red mode") << QByteArray("10079453\r\n\"objOption3\"\r\n\"NumberOfPaths0\"\r\n")
                                          << 10079453 << 3 << QStringList() << QString();
    QTest::newRow("green mode") << QByteArray("255\r\n\"objOption4\"\r\n\"NumberOfPaths0\"\r\n") << 255 << 4
                                << QStringList() << QString();
    QTest::newRow("colour not a number") << QByteArray("red\r\n\"objOption1\"\r\n\"NumberOfPaths0\"\r\n") << -1 << 1
                                         << QStringList() << QString();
    QTest::newRow("blanks around the colour")
        << QByteArray(" 42 \r\n\"objOption2\"\r\n\"NumberOfPaths0\"\r\n") << 42 << 2 << QStringList() << QString();
    QTest::newRow("hidden slot falls back to hue")
        << QByteArray("1\r\n\"objOption7\"\r\n\"NumberOfPaths0\"\r\n") << 1 << 0 << QStringList() << QString();
    QTest::newRow("no mode selected: 9") << QByteArray("1\r\n\"objOption9\"\r\n\"NumberOfPaths0\"\r\n") << 1 << 0
                                         << QStringList() << QString();
    QTest::newRow("two paths") << QByteArray("1\r\n\"objOption5\"\r\n\"NumberOfPaths2\"\r\n\"C:\\a\"\r\n\"/b c\"\r\n")
                               << 1 << 5 << QStringList{QStringLiteral("C:\\a"), QStringLiteral("/b c")} << QString();
    // Counts are whole numbers: twelve paths are twelve, not two.
    QByteArray twelve("1\r\n\"objOption0\"\r\n\"NumberOfPaths12\"\r\n");
    QStringList twelvePaths;
    for (int i = 1; i <= 12; ++i) {
        twelve += "\"p" + QByteArray::number(i) + "\"\r\n";
        twelvePaths << QStringLiteral("p%1").arg(i);
    }
    QTest::newRow("twelve paths") << twelve << 1 << 0 << twelvePaths << QString();
    QTest::newRow("empty first path is kept")
        << QByteArray("1\r\n\"objOption0\"\r\n\"NumberOfPaths2\"\r\n\"\"\r\n\"x\"\r\n") << 1 << 0
        << QStringList{QString(), QStringLiteral("x")} << QString();
    // The list keeps the announced length, so the next close writes the count the file had.
    QTest::newRow("short of paths") << QByteArray("1\r\n\"objOption4\"\r\n\"NumberOfPaths3\"\r\n\"only\"\r\n") << 1 << 0
                                    << QStringList{QStringLiteral("only"), QString(), QString()} << pastEnd;
    QTest::newRow("a huge count reads what is there")
        << QByteArray("1\r\n\"objOption4\"\r\n\"NumberOfPaths999999999999\"\r\n\"one\"\r\n") << 1 << 0
        << QStringList{QStringLiteral("one")} << pastEnd;
    QTest::newRow("ends after line 1") << QByteArray("77\r\n") << 77 << 0 << QStringList() << pastEnd;
    QTest::newRow("empty file") << QByteArray() << -1 << 0 << QStringList() << pastEnd;
    QTest::newRow("short count line") << QByteArray("1\r\n\"objOption3\"\r\nx\r\n") << 1 << 0 << QStringList()
                                      << QStringLiteral("Unknown error nr 5Invalid procedure call or argument");
    QTest::newRow("LF line ends") << QByteArray("5\n\"objOption2\"\n\"NumberOfPaths1\"\n\"p\"\n") << 5 << 2
                                  << QStringList{QStringLiteral("p")} << QString();
    QTest::newRow("lone CR line ends") << QByteArray("5\r\"objOption2\"\r\"NumberOfPaths1\"\r\"p\"\r") << 5 << 2
                                       << QStringList{QStringLiteral("p")} << QString();
    // Without quotes the character before the last is still the one read.
    const QString invalidCall = QStringLiteral("Unknown error nr 5Invalid procedure call or argument");
    QTest::newRow("mode without quotes: hue")
        << QByteArray("1\r\nobjOption4\r\n\"NumberOfPaths0\"\r\n") << 1 << 0 << QStringList() << QString();
    QTest::newRow("count without quotes: none")
        << QByteArray("1\r\n\"objOption2\"\r\nNumberOfPaths1\r\n\"p\"\r\n") << 1 << 2 << QStringList() << QString();
    QTest::newRow("path without quotes loses its ends")
        << QByteArray("1\r\n\"objOption2\"\r\n\"NumberOfPaths1\"\r\npath\r\n") << 1 << 2
        << QStringList{QStringLiteral("at")} << QString();
    QTest::newRow("empty mode line") << QByteArray("1\r\n\r\n\"NumberOfPaths1\"\r\n\"p\"\r\n") << 1 << 0
                                     << QStringList{QStringLiteral("p")} << invalidCall;
    QTest::newRow("path line of one character")
        << QByteArray("1\r\n\"objOption2\"\r\n\"NumberOfPaths2\"\r\n\"a\"\r\nb\r\n") << 1 << 0
        << QStringList{QStringLiteral("a")} << invalidCall;
    // The colour is a 32-bit whole number: a negative one is read as it is stored, anything
    // beyond the range or with a fraction fails the file there.
    const QByteArray rest = "\r\n\"objOption4\"\r\n\"NumberOfPaths0\"\r\n";
    QTest::newRow("negative colour") << QByteArray("-1") + rest << 0xFFFFFF << 4 << QStringList() << QString();
    QTest::newRow("largest colour") << QByteArray("2147483647") + rest << 0xFFFFFF << 4 << QStringList() << QString();
    const QString overflow = QStringLiteral("Unknown error nr 6Overflow");
    QTest::newRow("just beyond 32 bits") << QByteArray("2147483648") + rest << -1 << 0 << QStringList() << overflow;
    QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999") + rest << -1 << 0 << QStringList()
                                    << overflow;
    QTest::newRow("1e30") << QByteArray("1e30") + rest << -1 << 0 << QStringList() << overflow;
    QTest::newRow("fraction") << QByteArray("65279.7") + rest << -1 << 0 << QStringList()
                              << QStringLiteral("Unknown error nr 13Type mismatch");
}

void TestPickerState::reads()
{
    QFETCH(QByteArray, content);
    QFETCH(int, oldColor);
    QFETCH(int, mode);
    QFETCH(QStringList, paths);
    QFETCH(QString, message);
    const PickerStateRead read = readPickerState(write(content));
    QCOMPARE(read.state.oldColor.has_value(), oldColor >= 0);
    if (oldColor >= 0)
        QCOMPARE(*read.state.oldColor, BgrColor(oldColor));
    QCOMPARE(read.state.mode, mode);
    QCOMPARE(read.state.paths, paths);
    QCOMPARE(read.message, message);
}

void TestPickerState::missingFileAsksForReinstall()
{
    const PickerStateRead read = readPickerState(m_dir->filePath(QStringLiteral("none.ini")));
    QCOMPARE(read.message, QStringLiteral("A file is missing, please reinstall!"));
    QVERIFY(read.state.paths.isEmpty());
    QCOMPARE(read.state.mode, 0);
    QVERIFY(!readPickerState(m_dir->filePath(QStringLiteral("no/folder.ini"))).message.isEmpty());
    // A FIFO of the name is missing too, and reading it does not wait for a writer.
    const QString fifo = m_dir->filePath(QStringLiteral("fifo.ini"));
    QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QCOMPARE(readPickerState(fifo).message, QStringLiteral("A file is missing, please reinstall!"));
}

void TestPickerState::writesCrLfLinesInWindows1252()
{
    const QString path = m_dir->filePath(QStringLiteral("zimbrel.ini"));
    QCOMPARE(writePickerState(path, 10079453, 3, {}), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("10079453\r\n\"objOption3\"\r\n\"NumberOfPaths0\"\r\n"));
}

void TestPickerState::writtenBackAsRead_data()
{
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("written");
    const QByteArray two(
        "123\r\n\"objOption1\"\r\n\"NumberOfPaths2\"\r\n\"C:\\Program Files\\\xE9t\xE9\"\r\n\"x \"y\"\"\r\n");
    QTest::newRow("two paths, byte for byte") << two << two;
    // The count the file announced, the one path and two empty quoted lines.
    QTest::newRow("short of paths") << QByteArray("1\r\n\"objOption4\"\r\n\"NumberOfPaths3\"\r\n\"only\"\r\n")
                                    << QByteArray(
                                           "1\r\n\"objOption0\"\r\n\"NumberOfPaths3\"\r\n\"only\"\r\n\"\"\r\n\"\"\r\n");
    // Lone CRs end lines: nothing the file held is lost, and it comes back with CR LF.
    QTest::newRow("lone CR line ends") << QByteArray("5\r\"objOption2\"\r\"NumberOfPaths1\"\r\"p\"\r")
                                       << QByteArray("5\r\n\"objOption2\"\r\n\"NumberOfPaths1\"\r\n\"p\"\r\n");
}

void TestPickerState::writtenBackAsRead()
{
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, written);
    const QString path = write(read);
    const PickerStateRead state = readPickerState(path);
    QCOMPARE(writePickerState(path, *state.state.oldColor, state.state.mode, state.state.paths), QString());
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), written);
}

void TestPickerState::readFailureGivesTheSystemsError()
{
    // A link to itself cannot be opened: the system's own error, not a fixed one.
    const QString loop = m_dir->filePath(QStringLiteral("zimbrel.ini"));
    QVERIFY(QFile::link(loop, loop));
    const PickerStateRead read = readPickerState(loop);
    QCOMPARE(read.message,
             QStringLiteral("Unknown error nr %1%2").arg(ELOOP).arg(QString::fromLocal8Bit(strerror(ELOOP))));
    QVERIFY(read.state.paths.isEmpty());
}

void TestPickerState::placeBesideTheProgramOrPerUser()
{
    QCOMPARE(stateFilePath(m_dir->path(), QStringLiteral("zimbrel.ini")),
             m_dir->filePath(QStringLiteral("zimbrel.ini")));
    // A folder that does not exist (or cannot be written) gives the per-user place.
    QCOMPARE(stateFilePath(m_dir->filePath(QStringLiteral("missing")), QStringLiteral("zimbrel.ini")),
             m_dir->filePath(QStringLiteral("config/zimbrel/zimbrel.ini")));
    // An installed program, in bin/ or libexec/zimbrel/ of any prefix, never writes beside itself,
    // even where it could (root and /usr/bin).
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("prefix/libexec/zimbrel")));
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("prefix/bin")));
    for (const char *folder : {"prefix/bin", "prefix/libexec/zimbrel"})
        QCOMPARE(stateFilePath(m_dir->filePath(QLatin1String(folder)), QStringLiteral("zimbrel.ini")),
                 m_dir->filePath(QStringLiteral("config/zimbrel/zimbrel.ini")));
}

void TestPickerState::failedWriteIsReported()
{
    // A folder in the file's place cannot be replaced.
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("zimbrel.ini")));
    const QString error = writePickerState(m_dir->filePath(QStringLiteral("zimbrel.ini")), 1, 0, {});
    QVERIFY(error.startsWith(QStringLiteral("Unknown error")));
    QVERIFY(error.size() > QStringLiteral("Unknown error").size());
}

QTEST_GUILESS_MAIN(TestPickerState)
#include "tst_pickerstate.moc"
