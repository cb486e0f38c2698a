// zimbrel-bench: the performance figures, measured in one run on this machine.
//
// Ratios compare the program with a plain Qt window doing the least it could, measured side by
// side, so the figures mean the same on a fast and a slow machine.

#include "benchutil.h"
#include "generator/mainform.h"
#include "generator/sf.h"
#include "button_bench.h"
#include "clipboard_bench.h"
#include "core/kernelrandom.h"
#include "core/settingspassword.h"
#include "platform/cp1252.h"
#include "picker_bench.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace zimbrel::bench;

extern char **environ;

namespace {

const char kLettersAndDigits[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

void print(const char *name, const QString &value)
{
    std::printf("%s: %s\n", name, qPrintable(value));
    std::fflush(stdout);
}

QString ratio(double value)
{
    return QString::number(value, 'f', 2) + u'x';
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Microseconds to build, show and paint a window with one label.
double minimalWindowOnce()
{
    QElapsedTimer timer;
    timer.start();
    QLabel label(QStringLiteral("Your password: abcdefghijkl"));
    label.resize(401, 29);
    label.show();
    waitUntilExposed(&label);
    return timer.nsecsElapsed() / 1000.0;
}

// Microseconds for the generator's load sequence: the window placed and shown, the settings read,
// the password made, shown and put on the clipboard.
double generatorLoadOnce()
{
    QElapsedTimer timer;
    timer.start();
    zimbrel::MainForm form;
    form.Form_Load();
    waitUntilExposed(&form);
    return timer.nsecsElapsed() / 1000.0;
}

// Starts a program; with `quiet`, what it prints goes to /dev/null (not among the figures).
pid_t spawn(const QStringList &arguments, bool quiet = false)
{
    std::vector<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (quiet)
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return spawned == 0 ? pid : -1;
}

// Microseconds from starting a program to its end.
double runOnce(const QStringList &arguments, bool quiet = false)
{
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = spawn(arguments, quiet);
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return timer.nsecsElapsed() / 1000.0;
}

// Peak resident memory, in KiB, of a program that has run for `ms` milliseconds; it is then ended.
// Read from the process's own VmHWM: the rusage of a spawned child would also count the memory of
// this process, which the child shared until it started its program.
long peakMemoryKiB(const QStringList &arguments, int ms)
{
    const pid_t pid = spawn(arguments);
    if (pid < 0)
        return -1;
    usleep(useconds_t(ms) * 1000);
    long peak = -1;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    kill(pid, SIGTERM);
    int exitStatus = 0;
    waitpid(pid, &exitStatus, 0);
    return peak;
}

} // namespace

int main(int argc, char **argv)
{
    // zimbrel-bench --images FOLDER: the picker's field and strip in every mode, as PNG files.
    if (argc == 3 && QByteArray(argv[1]) == "--images") {
        QGuiApplication app(argc, argv);
        const bool written = writePickerImages(QFile::decodeName(argv[2]));
        std::printf("%s\n", written ? "written" : "could not write the images");
        return written ? 0 : 1;
    }

    // Without a display the figures are taken on Qt's offscreen platform, for both sides alike.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toUtf8());
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
    {
        QFile settings(dir.filePath(QStringLiteral("settings.ini")));
        settings.open(QIODevice::WriteOnly);
        settings.write(QByteArray(kLettersAndDigits) + "\r\n12\r\n");
    }
    QDir::setCurrent(dir.path());

    QApplication app(argc, argv);
    print("platform", QGuiApplication::platformName());

    const QString bin = QCoreApplication::applicationDirPath();
    const QString start = bin + QStringLiteral("/zimbrel-bench-start");

    // From a program's start to its window on screen (for the generator: with the password
    // made and on the clipboard), alternating the two programs; medians of each.
    std::vector<double> minimalStart;
    std::vector<double> generatorStart;
    for (int i = 0; i < 31; ++i) {
        minimalStart.push_back(runOnce({start, QStringLiteral("minimal")}));
        generatorStart.push_back(runOnce({start, QStringLiteral("generator")}));
    }
    const double minimalStartUs = median(minimalStart);
    const double generatorStartUs = median(generatorStart);
    print("minimal_window_start_us", QString::number(qRound(minimalStartUs)) + QStringLiteral("us"));
    print("generator_start_us", QString::number(qRound(generatorStartUs)) + QStringLiteral("us"));
    print("generator_load_ratio", ratio(generatorStartUs / minimalStartUs));

    // A password for a script: zimbrel-generator --print (which loads no window-system library)
    // against pwgen -s 16 1, alternating; medians of each.
    const QString pwgen = QStandardPaths::findExecutable(QStringLiteral("pwgen"));
    if (pwgen.isEmpty()) {
        print("print_ratio", QStringLiteral("n/a (pwgen is not installed)"));
    } else {
        std::vector<double> printed;
        std::vector<double> reference;
        for (int i = 0; i < 51; ++i) {
            printed.push_back(runOnce({bin + QStringLiteral("/zimbrel-generator"), QStringLiteral("--print")}, true));
            reference.push_back(
                runOnce({pwgen, QStringLiteral("-s"), QStringLiteral("16"), QStringLiteral("1")}, true));
        }
        print("print_reference", QStringLiteral("pwgen -s 16 1"));
        print("print_us", QString::number(qRound(median(printed))) + QStringLiteral("us"));
        print("print_reference_us", QString::number(qRound(median(reference))) + QStringLiteral("us"));
        print("print_ratio", ratio(median(printed) / median(reference)));
    }

    // The same inside one running application, where nothing but the windows' own work counts.
    minimalWindowOnce();
    generatorLoadOnce();
    std::vector<double> minimal;
    std::vector<double> generator;
    for (int i = 0; i < 200; ++i) {
        minimal.push_back(minimalWindowOnce());
        generator.push_back(generatorLoadOnce());
    }
    const double minimalUs = median(minimal);
    const double generatorUs = median(generator);
    print("minimal_window_warm_load_us", QString::number(qRound(minimalUs)) + QStringLiteral("us"));
    print("generator_warm_load_us", QString::number(qRound(generatorUs)) + QStringLiteral("us"));
    print("generator_warm_load_ratio", ratio(generatorUs / minimalUs));

    const long minimalKiB = peakMemoryKiB({start, QStringLiteral("minimal"), QStringLiteral("--stay")}, 1500);
    const long generatorKiB = peakMemoryKiB({bin + QStringLiteral("/zimbrel-generator")}, 1500);
    print("minimal_window_rss_kib", QString::number(minimalKiB));
    print("generator_rss_kib", QString::number(generatorKiB));
    print("generator_rss_ratio", ratio(double(generatorKiB) / double(minimalKiB)));

    // Passwords a second, from letters and digits at length 12 and from the ten digits at length
    // 32 (about 32 x 25.6 candidates, so several rounds of 255).
    const auto passwordsPerSecond = [](const QStringList &lines, int length) {
        QElapsedTimer timer;
        timer.start();
        qint64 made = 0;
        while (timer.elapsed() < 1000) {
            for (int i = 0; i < 100; ++i)
                made += zimbrel::MakePassword(lines).size() == length;
        }
        return QString::number(qRound64(made * 1e9 / timer.nsecsElapsed()));
    };
    print("engine_passwords_per_s",
          passwordsPerSecond({QString::fromLatin1(kLettersAndDigits), QStringLiteral("12")}, 12));
    print("engine_digit_passwords_per_s", passwordsPerSecond({QStringLiteral("0123456789"), QStringLiteral("32")}, 32));

    // A 64 KiB set (every code 256 times) and the longest length, through the engine's two
    // callers: zimbrel-generator's, with the file's bytes, and the window program's, with Qt
    // strings. The slower of the two, in ms.
    {
        std::string set;
        for (int i = 0; i < 256 * 256; ++i)
            set += char(i % 256 == '\r' || i % 256 == '\n' ? 'x' : i % 256);
        zimbrel::SettingsBytes settings{true, set + "\r\n32767\r\n"};
        QElapsedTimer timer;
        timer.start();
        const std::string bytes = zimbrel::passwordFromSettings(settings, zimbrel::kernelRandomWord);
        const double bytesMs = timer.nsecsElapsed() / 1e6;
        const QStringList lines{zimbrel::fromAnsi(QByteArray::fromStdString(set)), QStringLiteral(" 32767")};
        timer.restart();
        const QString text = zimbrel::MakePassword(lines);
        const double textMs = timer.nsecsElapsed() / 1e6;
        const bool whole = bytes.size() == 32767 && text.size() == 32767;
        print("engine_bigset_ms",
              whole ? QString::number(std::max(bytesMs, textMs), 'f', 1) + QStringLiteral("ms")
                    : QStringLiteral("n/a (a password fell short)"));
    }

    benchClipboard(bin, print);
    benchButton(print);
    benchColorPicker(print);
    benchPickerOpen(print);
    return 0;
}
