#include "shared/settingsfile.h"

#include "core/settingslocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zimbrel;

// Which files exist (see findsTheFileWhereLinuxKeepsIt), and the folders' names.
Q_DECLARE_METATYPE(zimbrel::SettingsPlace)

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class TestSettingsFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    // Reading
    void readsBytesAsWindows1252();
    void absentAndNonRegularFilesReadEmpty();
    void fifoDoesNotBlock();
    void stopsAfterTheLinesNeeded_data();
    void stopsAfterTheLinesNeeded();
    void hugeFileIsReadOnlyUpToTheLimit();
    void unreadableFileReportsAnError();

    // Splitting
    void splitsIntoLines_data();
    void splitsIntoLines();

    // Writing
    void writesTextAndCrLfInWindows1252();
    void replacingKeepsPermissions();
    void writesThroughSymbolicLink();
    void refusesUnencodableTextAndKeepsOldFile();
    void reportsFailureWithFileAndReason();
    void savesOnlyWhereWritingInPlaceWould_data();
    void savesOnlyWhereWritingInPlaceWould();

    // Where the file is
    void findsTheFileWhereLinuxKeepsIt_data();
    void findsTheFileWhereLinuxKeepsIt();
    void makesPrivateFoldersForTheUsersFile();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsFile::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettingsFile::readsBytesAsWindows1252()
{
    writeBytes(path("settings.ini"), QByteArray("\xE9\xE8\x80\r\n12\r\n"));
    const FileText read = ReadFileText(path("settings.ini"));
    QVERIFY(!read.failed());
    QCOMPARE(read.text, QStringLiteral("\u00E9\u00E8\u20AC\r\n12\r\n"));
}

void TestSettingsFile::absentAndNonRegularFilesReadEmpty()
{
    const FileText missing = ReadFileText(path("settings.ini"));
    QVERIFY(!missing.failed());
    QVERIFY(missing.text.isEmpty());

    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.ini")));
    const FileText folder = ReadFileText(path("folder.ini"));
    QVERIFY(!folder.failed());
    QVERIFY(folder.text.isEmpty());

    const FileText device = ReadFileText(QStringLiteral("/dev/zero"));
    QVERIFY(!device.failed());
    QVERIFY(device.text.isEmpty());

    const FileText underAFile = ReadFileText(path("settings.ini") + QStringLiteral("/x"));
    QVERIFY(!underAFile.failed());
}

void TestSettingsFile::fifoDoesNotBlock()
{
    // Nobody ever writes to this FIFO: a reader that opened it would wait forever.
    const QByteArray fifo = QFile::encodeName(path("settings.ini"));
    QCOMPARE(mkfifo(fifo.constData(), 0600), 0);
    const FileText read = ReadFileText(path("settings.ini"), 2);
    QVERIFY(!read.failed());
    QVERIFY(read.text.isEmpty());
}

void TestSettingsFile::stopsAfterTheLinesNeeded_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("whole file") << QByteArray("a\r\nb\r\nc\r\n") << 0 << QByteArray("a\r\nb\r\nc\r\n");
    QTest::newRow("two lines") << QByteArray("abc\r\n8\r\nrest\r\nmore") << 2 << QByteArray("abc\r\n8\r\n");
    QTest::newRow("fewer lines than needed") << QByteArray("abc\r\n8") << 2 << QByteArray("abc\r\n8");
    QTest::newRow("lone CR and LF are no line ends")
        << QByteArray("a\rb\nc\r\n8\r\nx") << 2 << QByteArray("a\rb\nc\r\n8\r\n");
    // A line end split across two reads of 64 KiB must still be seen.
    const QByteArray longLine(64 * 1024 - 1, 'x');
    QTest::newRow("CR LF across reads") << (longLine + "\r\n5\r\n" + QByteArray(100000, 'z')) << 2
                                        << (longLine + "\r\n5\r\n");
}

void TestSettingsFile::stopsAfterTheLinesNeeded()
{
    QFETCH(QByteArray, content);
    QFETCH(int, lines);
    QFETCH(QByteArray, expected);
    writeBytes(path("settings.ini"), content);
    QCOMPARE(ReadFileText(path("settings.ini"), lines).text, QString::fromLatin1(expected));
}

void TestSettingsFile::hugeFileIsReadOnlyUpToTheLimit()
{
    // A sparse file of 1 GiB with no line end in it: reading it whole would take a gigabyte.
    const QString big = path("settings.ini");
    writeBytes(big, QByteArray("ab"));
    QVERIFY(QFile::resize(big, qint64(1) << 30));
    const FileText read = ReadFileText(big, 2);
    QVERIFY(!read.failed());
    QCOMPARE(read.text.size(), qsizetype(kReadLimitBytes));
    QVERIFY(read.text.startsWith(QStringLiteral("ab")));
}

void TestSettingsFile::unreadableFileReportsAnError()
{
    if (geteuid() == 0)
        QSKIP("permissions do not stop root");
    writeBytes(path("settings.ini"), QByteArray("abc\r\n8\r\n"));
    QVERIFY(QFile::setPermissions(path("settings.ini"), QFileDevice::WriteOwner));
    const FileText read = ReadFileText(path("settings.ini"));
    QVERIFY(read.failed());
    QVERIFY(read.error.contains(QStringLiteral("settings.ini")));
    QVERIFY(read.text.isEmpty());
}

void TestSettingsFile::splitsIntoLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("empty gives nothing") << QString() << QStringList();
    QTest::newRow("as the editor writes")
        << QStringLiteral("abc\r\n8\r\n") << QStringList{QStringLiteral("abc"), QStringLiteral("8"), QString()};
    QTest::newRow("one line, no end") << QStringLiteral("abc") << QStringList{QStringLiteral("abc")};
    QTest::newRow("first line empty") << QStringLiteral("\r\n12\r\n")
                                      << QStringList{QString(), QStringLiteral("12"), QString()};
    QTest::newRow("lone CR and LF stay") << QStringLiteral("a\rb\nc\r\n9")
                                         << QStringList{QStringLiteral("a\rb\nc"), QStringLiteral("9")};
    QTest::newRow("CR CR LF") << QStringLiteral("a\r\r\nb") << QStringList{QStringLiteral("a\r"), QStringLiteral("b")};
    // nano, vim and echo write LF alone: without any CR LF, that is the line end.
    QTest::newRow("written on Linux") << QStringLiteral("abcdef\n20\n")
                                      << QStringList{QStringLiteral("abcdef"), QStringLiteral("20"), QString()};
    QTest::newRow("LF alone, a lone CR stays")
        << QStringLiteral("a\rb\n7") << QStringList{QStringLiteral("a\rb"), QStringLiteral("7")};
}

void TestSettingsFile::splitsIntoLines()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(splitSettingsLines(text), lines);
}

void TestSettingsFile::writesTextAndCrLfInWindows1252()
{
    const QString file = path("settings.ini");
    QCOMPARE(WriteFileText(file, QStringLiteral("abc\u00E9\u20AC\r\n8")), QString());
    QCOMPARE(readBytes(file), QByteArray("abc\xE9\x80\r\n8\r\n"));
    // Replacing a longer file leaves nothing of the old content behind.
    QCOMPARE(WriteFileText(file, QStringLiteral("x")), QString());
    QCOMPARE(readBytes(file), QByteArray("x\r\n"));
    // Nothing but the file itself is left in the folder.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("settings.ini")});
}

void TestSettingsFile::replacingKeepsPermissions()
{
    const QString file = path("settings.ini");
    writeBytes(file, "old\r\n");
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(file, mode));
    QCOMPARE(WriteFileText(file, QStringLiteral("new")), QString());
    QCOMPARE(readBytes(file), QByteArray("new\r\n"));
    QCOMPARE(QFile::permissions(file) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), mode);
}

void TestSettingsFile::writesThroughSymbolicLink()
{
    const QString target = path("real.ini");
    const QString link = path("settings.ini");
    writeBytes(target, "old\r\n");
    QVERIFY(QFile::link(QStringLiteral("real.ini"), link));
    QCOMPARE(WriteFileText(link, QStringLiteral("new")), QString());
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readBytes(target), QByteArray("new\r\n"));
}

void TestSettingsFile::refusesUnencodableTextAndKeepsOldFile()
{
    const QString file = path("settings.ini");
    writeBytes(file, "old\r\n8\r\n");
    const QString error = WriteFileText(file, QStringLiteral("ab\u0416"));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readBytes(file), QByteArray("old\r\n8\r\n"));
}

void TestSettingsFile::reportsFailureWithFileAndReason()
{
    const QString file = path("missing-folder/settings.ini");
    const QString error = WriteFileText(file, QStringLiteral("abc"));
    QVERIFY(error.contains(QStringLiteral("settings.ini")));
    QVERIFY(error.contains(QString::fromLocal8Bit(strerror(ENOENT))));
}

namespace {

// Runs WriteFileText as an ordinary user, so that permissions count also when the tests run as
// root: in a child process that takes the "nobody" user first. Gives the child's report, or
// "<crashed>".
QString writeAsUser(const QString &file, const QString &text, bool asNobody)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return QStringLiteral("<no pipe>");
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        if (asNobody && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        const QByteArray report = WriteFileText(file, text).toUtf8();
        if (write(pipeFds[1], report.constData(), report.size()) < 0)
            _exit(4);
        _exit(0);
    }
    close(pipeFds[1]);
    QByteArray report;
    char buffer[512];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, n);
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return QStringLiteral("<crashed>");
    return QString::fromUtf8(report);
}

} // namespace

void TestSettingsFile::savesOnlyWhereWritingInPlaceWould_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("anotherUsers");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("modeAfter");
    QTest::newRow("own, 0644") << 0644 << false << true << 0644;
    QTest::newRow("own, read-only 0444") << 0444 << false << false << 0444;
    QTest::newRow("own, no permissions 0000") << 0000 << false << false << 0000;
    // The owner can always read what was saved, or the generator could not.
    QTest::newRow("own, write-only 0200 becomes readable") << 0200 << false << true << 0600;
    QTest::newRow("another user's, 0644") << 0644 << true << false << 0644;
    QTest::newRow("another user's, 0000") << 0000 << true << false << 0000;
    // Writable, but replacing it would hand the file to this user: refused, not taken over.
    QTest::newRow("another user's, 0666") << 0666 << true << false << 0666;
}

void TestSettingsFile::savesOnlyWhereWritingInPlaceWould()
{
    QFETCH(int, mode);
    QFETCH(bool, anotherUsers);
    QFETCH(bool, saved);
    QFETCH(int, modeAfter);
    const bool root = geteuid() == 0;
    if (anotherUsers && !root)
        QSKIP("only root can make a file that belongs to another user");
    // The child runs as "nobody" when the tests run as root; the file is its own unless the row
    // says otherwise.
    QVERIFY(chmod(QFile::encodeName(m_dir->path()).constData(), 0777) == 0);
    const QString file = path("settings.ini");
    writeBytes(file, "old\r\n8\r\n");
    const QByteArray name = QFile::encodeName(file);
    if (root && !anotherUsers)
        QVERIFY(chown(name.constData(), 65534, 65534) == 0);
    QVERIFY(chmod(name.constData(), mode_t(mode)) == 0);

    const QString report = writeAsUser(file, QStringLiteral("new"), root);
    QVERIFY2(report != QStringLiteral("<crashed>"), "the save in the child process did not finish");
    struct stat after;
    QVERIFY(stat(name.constData(), &after) == 0);
    QCOMPARE(int(after.st_mode & 07777), modeAfter);
    // Read as the tests' user: root reads anything, an ordinary user needs the read bit.
    if (root || (after.st_mode & S_IRUSR)) {
        QVERIFY(chmod(name.constData(), 0600) == 0 || !root);
        QCOMPARE(readBytes(file), saved ? QByteArray("new\r\n") : QByteArray("old\r\n8\r\n"));
    }
    if (saved) {
        QCOMPARE(report, QString());
    } else {
        QVERIFY2(report.contains(QStringLiteral("settings.ini")), qPrintable(report));
        QVERIFY2(report.contains(QString::fromLocal8Bit(strerror(EACCES)))
                     || report.contains(QString::fromLocal8Bit(strerror(EPERM))),
                 qPrintable(report));
    }
    // Nothing else is left in the folder.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("settings.ini")});
}

void TestSettingsFile::findsTheFileWhereLinuxKeepsIt_data()
{
    // In the temporary folder: work/ is the current folder, home/.config the user's folder,
    // sys1 and sys2 the $XDG_CONFIG_DIRS. "fifo" puts a FIFO of the name in the current folder,
    // "dir" a folder of the name into the user's folder.
    QTest::addColumn<QString>("files");         // which of cwd, user, sys1, sys2, fifo, dir exist
    QTest::addColumn<QByteArray>("configHome"); // XDG_CONFIG_HOME, with @ for the temporary folder
    QTest::addColumn<QByteArray>("configDirs"); // XDG_CONFIG_DIRS
    QTest::addColumn<SettingsPlace>("place");
    QTest::addColumn<QString>("read"); // relative to the temporary folder
    QTest::addColumn<QString>("save");

    const QByteArray home = "@/home/.config";
    const QByteArray dirs = "@/sys1:@/sys2";
    const QString user = QStringLiteral("home/.config/zimbrel/settings.ini");
    QTest::newRow("current folder first")
        << QStringLiteral("cwd user sys1") << home << dirs << SettingsPlace::CurrentFolder
        << QStringLiteral("work/settings.ini") << QStringLiteral("work/settings.ini");
    QTest::newRow("then the user's") << QStringLiteral("user sys1") << home << dirs << SettingsPlace::UserConfig << user
                                     << user;
    QTest::newRow("then the installed defaults, never written")
        << QStringLiteral("sys2") << home << dirs << SettingsPlace::SystemConfig
        << QStringLiteral("sys2/zimbrel/settings.ini") << user;
    QTest::newRow("first of the system folders")
        << QStringLiteral("sys1 sys2") << home << dirs << SettingsPlace::SystemConfig
        << QStringLiteral("sys1/zimbrel/settings.ini") << user;
    QTest::newRow("nothing anywhere") << QString() << home << dirs << SettingsPlace::None << QString() << user;
    QTest::newRow("a FIFO in the current folder counts as absent")
        << QStringLiteral("fifo user") << home << dirs << SettingsPlace::UserConfig << user << user;
    QTest::newRow("a folder of the name is no file")
        << QStringLiteral("dir sys1") << home << dirs << SettingsPlace::SystemConfig
        << QStringLiteral("sys1/zimbrel/settings.ini") << user;
    QTest::newRow("relative XDG_CONFIG_HOME: HOME/.config")
        << QStringLiteral("user") << QByteArray("relative/config") << dirs << SettingsPlace::UserConfig << user << user;
    QTest::newRow("unset XDG_CONFIG_HOME: HOME/.config")
        << QStringLiteral("user") << QByteArray() << dirs << SettingsPlace::UserConfig << user << user;
    QTest::newRow("relative and empty system folders are skipped")
        << QStringLiteral("sys2") << home << QByteArray("sys1::@/sys2:") << SettingsPlace::SystemConfig
        << QStringLiteral("sys2/zimbrel/settings.ini") << user;
}

void TestSettingsFile::findsTheFileWhereLinuxKeepsIt()
{
    QFETCH(QString, files);
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, configDirs);
    QFETCH(SettingsPlace, place);
    QFETCH(QString, read);
    QFETCH(QString, save);

    const QByteArray root = QFile::encodeName(m_dir->path());
    const QStringList present = files.split(u' ', Qt::SkipEmptyParts);
    const QMap<QString, QString> where = {
        {QStringLiteral("cwd"), QStringLiteral("work/settings.ini")},
        {QStringLiteral("user"), QStringLiteral("home/.config/zimbrel/settings.ini")},
        {QStringLiteral("sys1"), QStringLiteral("sys1/zimbrel/settings.ini")},
        {QStringLiteral("sys2"), QStringLiteral("sys2/zimbrel/settings.ini")},
    };
    QDir(m_dir->path()).mkpath(QStringLiteral("work"));
    QDir(m_dir->path()).mkpath(QStringLiteral("home/.config/zimbrel"));
    for (const QString &name : present) {
        if (name == QStringLiteral("fifo")) {
            QCOMPARE(mkfifo(QFile::encodeName(path("work/settings.ini")).constData(), 0600), 0);
        } else if (name == QStringLiteral("dir")) {
            QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("home/.config/zimbrel/settings.ini")));
        } else {
            QDir(m_dir->path()).mkpath(QFileInfo(where[name]).path());
            writeBytes(m_dir->filePath(where[name]), name.toLatin1() + "\r\n12\r\n");
        }
    }

    const QString previous = QDir::currentPath();
    const QByteArray oldHome = qgetenv("HOME"), oldConfig = qgetenv("XDG_CONFIG_HOME"),
                     oldDirs = qgetenv("XDG_CONFIG_DIRS");
    QDir::setCurrent(path("work"));
    qputenv("HOME", root + "/home");
    if (configHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", QByteArray(configHome).replace('@', root));
    qputenv("XDG_CONFIG_DIRS", QByteArray(configDirs).replace('@', root));
    const SettingsLocation found = findSettingsFile();
    const SettingsFiles files2 = locateSettingsFiles();
    QDir::setCurrent(previous);
    qputenv("HOME", oldHome);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    qputenv("XDG_CONFIG_DIRS", oldDirs);

    QCOMPARE(found.place, place);
    const QString expectedRead = read.isEmpty() ? QString() : QDir(m_dir->path()).absoluteFilePath(read);
    QCOMPARE(files2.read.isEmpty() ? QString() : QDir(path("work")).absoluteFilePath(files2.read), expectedRead);
    QCOMPARE(files2.save, QDir(m_dir->path()).absoluteFilePath(save));
    QCOMPARE(files2.readOnly, place == SettingsPlace::SystemConfig);
    // What is read is what the file there says.
    if (!read.isEmpty())
        QVERIFY(ReadFileText(expectedRead).text.endsWith(QStringLiteral("\r\n12\r\n")));
}

void TestSettingsFile::makesPrivateFoldersForTheUsersFile()
{
    const QString file = path("config/zimbrel/settings.ini");
    QCOMPARE(makeFoldersFor(file), QString());
    for (const char *folder : {"config", "config/zimbrel"}) {
        struct stat info;
        QCOMPARE(stat(QFile::encodeName(path(folder)).constData(), &info), 0);
        QCOMPARE(info.st_mode & 07777, mode_t(0700));
    }
    QCOMPARE(WriteFileText(file, QStringLiteral("x")), QString());
    // An existing folder is left as it is; a file in the way is reported.
    QCOMPARE(makeFoldersFor(file), QString());
    writeBytes(path("blocked"), "x");
    QVERIFY(makeFoldersFor(path("blocked/zimbrel/settings.ini")).contains(QString::fromLocal8Bit(strerror(ENOTDIR))));
}

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
