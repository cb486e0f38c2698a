// The clipboard's plain floor: which routes a session has, how a keeper is started and answered
// (driven by a fake keeper that owns, fails, hangs, waits, stands down or has no way), the frame
// that carries the password, where wl-copy is looked for, and the command line every program reads.

#include "clipboard/keeperprotocol.h"
#include "clipboard/keeperstart.h"
#include "clipboard/routes.h"
#include "core/commandline.h"
#include "core/installation.h"
#include "core/platformchoice.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace zimbrel;

namespace {

// A keeper in the shell: does what FAKE_KEEPER_<ROUTE> says (ROUTE is x11 or wayland):
//   owns      reads the frame into FAKE_OUT, says 1, stays
//   fails     reads the frame, says 0
//   replaced  reads the frame, says r
//   waits     says w, waits a while, reads the frame, says 1, stays
//   hangs     reads nothing, says nothing, stays
//   none      says u (no way on this window system)
//   dies      ends without a word
constexpr char kFakeKeeper[] = R"(#!/bin/sh
case "$0" in *wayland*) mode=$FAKE_KEEPER_WAYLAND ;; *) mode=$FAKE_KEEPER_X11 ;; esac
frame() { length=$(head -c 4 | od -An -tu4 | tr -d ' '); head -c "$length" > "$FAKE_OUT"; }
case "$mode" in
  owns) frame; printf 1 >&3; exec sleep 60 ;;
  fails) frame; printf 0 >&3 ;;
  replaced) frame; printf r >&3 ;;
  waits) printf w >&3; sleep 0.4; frame; printf 1 >&3; exec sleep 60 ;;
  hangs) exec sleep 60 ;;
  none) printf u >&3 ;;
  dies) exit 3 ;;
esac
)";

// wl-copy that takes the text into FAKE_OUT, and refuses --sensitive when FAKE_OLD_WL_COPY is set,
// as wl-clipboard before 2.2 does.
constexpr char kFakeWlCopy[] = R"(#!/bin/sh
case " $* " in *" --sensitive "*) [ -n "$FAKE_OLD_WL_COPY" ] && exit 1 ;; esac
echo "$*" >> "$FAKE_OUT.arguments"
cat > "$FAKE_OUT"
)";

// The arguments of a command line written with blanks between them.
QStringList args(const char *line)
{
    return QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts);
}

bool writeProgram(const QString &path, const char *text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) > 0
        && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

} // namespace

class TestClipboard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void routes_data();
    void routes();
    void keeperStart_data();
    void keeperStart();
    void frames_data();
    void frames();
    void wlCopyOnlyInAbsoluteFolders();
    void commandLine_data();
    void commandLine();
};

void TestClipboard::routes_data()
{
    // The clipboard's routes, in the order they are tried: c = the Wayland keeper through the
    // clipboard-control protocol, x = the X11 keeper, f = the Wayland keeper's focus window,
    // w = wl-copy, q = Qt's own clipboard.
    QTest::addColumn<QByteArray>("qpa");
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<QByteArray>("platform");
    QTest::addColumn<QByteArray>("routes");
    QTest::newRow("X11") << QByteArray() << QByteArray(":0") << QByteArray() << QByteArray("xcb") << QByteArray("x");
    // Windows through XWayland (placement, drags); the clipboard through the compositor, which
    // hands it on to X programs; the X keeper where it offers no clipboard control (GNOME).
    QTest::newRow("Wayland with XWayland")
        << QByteArray() << QByteArray(":0") << QByteArray("wayland-0") << QByteArray("xcb") << QByteArray("cx");
    QTest::newRow("Wayland alone") << QByteArray() << QByteArray() << QByteArray("wayland-1") << QByteArray("wayland")
                                   << QByteArray("cfw");
    QTest::newRow("nothing: Qt's default")
        << QByteArray() << QByteArray() << QByteArray() << QByteArray() << QByteArray("q");
    QTest::newRow("the user's wayland wins") << QByteArray("wayland") << QByteArray(":0") << QByteArray("wayland-0")
                                             << QByteArray("wayland") << QByteArray("cx");
    QTest::newRow("the user's wayland, no WAYLAND_DISPLAY (Qt's wayland-0)")
        << QByteArray("wayland") << QByteArray() << QByteArray() << QByteArray("wayland") << QByteArray("cfw");
    QTest::newRow("the user's xcb wins") << QByteArray("xcb") << QByteArray() << QByteArray("wayland-0")
                                         << QByteArray("xcb") << QByteArray("cfw");
    QTest::newRow("a list: the first names the window system")
        << QByteArray("wayland-egl;xcb") << QByteArray(":0") << QByteArray() << QByteArray("wayland-egl;xcb")
        << QByteArray("cx");
    QTest::newRow("offscreen") << QByteArray("offscreen") << QByteArray(":0") << QByteArray("wayland-0")
                               << QByteArray("offscreen") << QByteArray("q");
}

void TestClipboard::routes()
{
    QFETCH(QByteArray, qpa);
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, wayland);
    QFETCH(QByteArray, platform);
    QFETCH(QByteArray, routes);
    const std::string chosen = choosePlatformName(qpa.toStdString(), display.toStdString(), wayland.toStdString());
    QCOMPARE(QByteArray::fromStdString(chosen), platform);
    QByteArray letters;
    for (ClipboardRoute route : clipboardRoutesFor(chosen, display.toStdString(), wayland.toStdString()))
        letters += "cxfwq"[int(route)];
    QCOMPARE(letters, routes);
}

void TestClipboard::keeperStart_data()
{
    // The routes tried (as above), what the fake keepers of the two kinds do, and what the start
    // says: the answer, and which one was given the password ("" for none, "wl-copy").
    QTest::addColumn<QByteArray>("routes");
    QTest::addColumn<QByteArray>("x11");
    QTest::addColumn<QByteArray>("wayland");
    QTest::addColumn<bool>("oldWlCopy");
    QTest::addColumn<char>("answer");
    QTest::addColumn<QByteArray>("took");
    const char owned = char(KeeperAnswer::Owned);
    const char failed = char(KeeperAnswer::Failed);
    QTest::newRow("the first route owns it")
        << QByteArray("x") << QByteArray("owns") << QByteArray() << false << owned << QByteArray("x11");
    QTest::newRow("no way there: the next route")
        << QByteArray("cx") << QByteArray("owns") << QByteArray("none") << false << owned << QByteArray("x11");
    QTest::newRow("a keeper that ends without a word: the next route")
        << QByteArray("cx") << QByteArray("owns") << QByteArray("dies") << false << owned << QByteArray("x11");
    // A route that has a way but fails would not do better on the next one (nor on wl-copy).
    QTest::newRow("one that fails: no other")
        << QByteArray("cxw") << QByteArray("owns") << QByteArray("fails") << false << failed << QByteArray("wayland");
    QTest::newRow("a newer password of ours") << QByteArray("x") << QByteArray("replaced") << QByteArray() << false
                                              << char(KeeperAnswer::Replaced) << QByteArray("x11");
    QTest::newRow("one that waits for a busy window system")
        << QByteArray("x") << QByteArray("waits") << QByteArray() << false << owned << QByteArray("x11");
    // Given up on after its time, and ended, so it cannot take the clipboard later.
    QTest::newRow("one that hangs: not copied, ended")
        << QByteArray("cx") << QByteArray("owns") << QByteArray("hangs") << false << failed << QByteArray();
    QTest::newRow("wl-copy only where no keeper has a way")
        << QByteArray("cfw") << QByteArray() << QByteArray("none") << false << char(KeeperAnswer::ByWlCopy)
        << QByteArray("wl-copy --sensitive");
    QTest::newRow("an older wl-copy, without --sensitive")
        << QByteArray("cfw") << QByteArray() << QByteArray("none") << true << char(KeeperAnswer::ByWlCopy)
        << QByteArray("wl-copy");
    QTest::newRow("no keeper at all") << QByteArray("x") << QByteArray("missing") << QByteArray() << false
                                      << char(KeeperAnswer::NotStarted) << QByteArray();
}

void TestClipboard::keeperStart()
{
    QFETCH(QByteArray, routes);
    QFETCH(QByteArray, x11);
    QFETCH(QByteArray, wayland);
    QFETCH(bool, oldWlCopy);
    QFETCH(char, answer);
    QFETCH(QByteArray, took);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (x11 != "missing")
        QVERIFY(writeProgram(dir.filePath(QStringLiteral("zimbrel-clipboard-keeper")), kFakeKeeper));
    QVERIFY(writeProgram(dir.filePath(QStringLiteral("zimbrel-wayland-keeper")), kFakeKeeper));
    QVERIFY(writeProgram(dir.filePath(QStringLiteral("wl-copy")), kFakeWlCopy));
    const QByteArray out = QFile::encodeName(dir.filePath(QStringLiteral("out")));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()) + ":/usr/bin:/bin");
    qputenv("FAKE_OUT", out);
    qputenv("FAKE_KEEPER_X11", x11);
    qputenv("FAKE_KEEPER_WAYLAND", wayland);
    if (oldWlCopy)
        qputenv("FAKE_OLD_WL_COPY", "1");
    else
        qunsetenv("FAKE_OLD_WL_COPY");

    std::vector<ClipboardRoute> list;
    for (char letter : routes)
        list.push_back(ClipboardRoute(QByteArray("cxfwq").indexOf(letter)));
    KeeperOptions options;
    options.keeperFolder = QFile::encodeName(dir.path()).toStdString();
    options.answerTimeoutMs = 500;
    const StartedHelper started = startClipboardKeeper(list, "password", options);
    qputenv("PATH", path);

    QCOMPARE(started.answer, KeeperAnswer(answer));
    QCOMPARE(started.pid > 0, answer == char(KeeperAnswer::Owned));
    QFile taken(QFile::decodeName(out));
    QByteArray got = taken.open(QIODevice::ReadOnly) ? taken.readAll() : QByteArray();
    QCOMPARE(got, took.isEmpty() ? QByteArray() : QByteArray("password"));
    if (took.startsWith("wl-copy")) {
        QFile arguments(QFile::decodeName(out + ".arguments"));
        QVERIFY(arguments.open(QIODevice::ReadOnly));
        QCOMPARE(arguments.readAll().trimmed(),
                 QByteArray("-t text/plain;charset=utf-8").prepend(took.contains("--sensitive") ? "--sensitive " : ""));
    }
    if (started.pid > 0) {
        // The keeper stays a child of the caller, its status pipe open, until it is ended.
        QCOMPARE(readKeeperStatus(started.statusFd, 0), '\0');
        kill(started.pid, SIGTERM);
        QCOMPARE(waitpid(started.pid, nullptr, 0), started.pid);
        close(started.statusFd);
    }
    // No keeper of a route given up on lives on: none left as a child of this process.
    QCOMPARE(waitpid(-1, nullptr, WNOHANG), -1);
}

void TestClipboard::frames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("whole");
    const std::string frame = framePassword("secret");
    const QByteArray encoded = QByteArray::fromStdString(frame);
    QTest::newRow("a whole frame") << encoded << true;
    QTest::newRow("its length least significant first") << QByteArray("\x06\0\0\0secret", 10) << true;
    QTest::newRow("cut short") << encoded.left(8) << false;
    QTest::newRow("only part of the length") << encoded.left(2) << false;
    QTest::newRow("a length of 0") << QByteArray(4, '\0') << false;
    QTest::newRow("longer than any password") << QByteArray("\x01\x00\x02\x00", 4) + QByteArray(64, 'x') << false;
    // A frame of 300 bytes: its length takes two bytes.
    const std::string longer(300, 'y');
    QTest::newRow("300 bytes") << QByteArray::fromStdString(framePassword(longer)) << true;
}

void TestClipboard::frames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, whole);
    int fds[2];
    QVERIFY(pipe(fds) == 0);
    QCOMPARE(write(fds[1], bytes.constData(), size_t(bytes.size())), ssize_t(bytes.size()));
    close(fds[1]);
    std::string read;
    QCOMPARE(readFrame(fds[0], read), whole);
    close(fds[0]);
    QCOMPARE(QByteArray::fromStdString(read), whole ? bytes.mid(4) : QByteArray());
}

void TestClipboard::wlCopyOnlyInAbsoluteFolders()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("relative")));
    QVERIFY(writeProgram(dir.filePath(QStringLiteral("relative/wl-copy")), kFakeWlCopy));
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("absolute")));
    QVERIFY(writeProgram(dir.filePath(QStringLiteral("absolute/wl-copy")), kFakeWlCopy));
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QByteArray path = qgetenv("PATH");
    // An empty entry and a relative one stand for folders that depend on where a program runs.
    qputenv("PATH", "::relative:" + QFile::encodeName(dir.filePath(QStringLiteral("absolute"))));
    const std::string found = findOnPath("wl-copy");
    qputenv("PATH", "relative:.");
    const std::string none = findOnPath("wl-copy");
    qputenv("PATH", path);
    QDir::setCurrent(previous);
    QCOMPARE(QString::fromStdString(found), dir.filePath(QStringLiteral("absolute/wl-copy")));
    QCOMPARE(none, std::string());
}

void TestClipboard::commandLine_data()
{
    // The arguments, then the exit code (-1: the program goes on) and, for -1, the options read.
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("read");
    QTest::newRow("nothing") << args("") << -1 << QString();
    QTest::newRow("a switch") << args("--print") << -1 << QStringLiteral("--print=1");
    QTest::newRow("a number apart") << args("--print --count 7") << -1 << QStringLiteral("--count=7 --print=1");
    QTest::newRow("a number joined") << args("--count=1000") << -1 << QStringLiteral("--count=1000");
    QTest::newRow("a number out of range") << args("--count 1001") << 2 << QString();
    QTest::newRow("no number") << args("--count") << 2 << QString();
    QTest::newRow("a number that is not whole") << args("--count 2.5") << 2 << QString();
    QTest::newRow("a text apart") << args("--shortcut Super+P") << -1 << QStringLiteral("--shortcut=Super+P");
    QTest::newRow("a text joined") << args("--shortcut=none") << -1 << QStringLiteral("--shortcut=none");
    QTest::newRow("a text left out") << args("--shortcut --print") << -1 << QStringLiteral("--print=1 --shortcut=");
    QTest::newRow("--help") << args("--help") << 0 << QString();
    QTest::newRow("--version") << args("--version") << 0 << QString();
    // An unknown option is the mistake wherever --help stands.
    QTest::newRow("--help, then an unknown option") << args("--help --bogus") << 2 << QString();
    QTest::newRow("an unknown option, then --help") << args("--bogus --help") << 2 << QString();
    QTest::newRow("--help and too many arguments") << args("--help a b") << 2 << QString();
    QTest::newRow("one argument") << args("a") << -1 << QStringLiteral("a");
    QTest::newRow("-- ends the options") << args("-- --help") << -1 << QStringLiteral("--help");
    QTest::newRow("a lone dash is an argument") << args("-") << -1 << QStringLiteral("-");
    QTest::newRow("-x is an unknown option") << args("-x") << 2 << QString();
}

void TestClipboard::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, read);
    std::vector<QByteArray> bytes{"program"};
    for (const QString &argument : arguments)
        bytes.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &argument : bytes)
        argv.push_back(argument.data());
    // What is printed (usage, help) goes to the test's own output.
    const CommandLine line =
        readCommandLine(int(argv.size()), argv.data(),
                        {"program",
                         "[ARGUMENT]",
                         "help\n",
                         1,
                         {{"--print"}, {"--count", true, 1, 1000}, {"--shortcut", false, 0, 0, true}}});
    QCOMPARE(line.exitCode, exitCode);
    if (exitCode != -1)
        return;
    QStringList got;
    for (const auto &[name, value] : line.options)
        got << QString::fromStdString(name) + u'='
                + (line.texts.count(name) || name == "--shortcut" ? QString::fromStdString(line.text(name))
                                                                  : QString::number(value));
    for (const std::string &argument : line.arguments)
        got << QString::fromStdString(argument);
    QCOMPARE(got.join(u' '), read);
}

QTEST_GUILESS_MAIN(TestClipboard)
#include "tst_clipboard.moc"
