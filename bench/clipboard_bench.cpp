#include "clipboard_bench.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace zimbrel::bench {
namespace {

// An X server of the benchmark's own, so the figure means the same with or without a desktop.
struct XServer
{
    pid_t pid = -1;
    QByteArray display;

    bool start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        const QByteArray fd = QByteArray::number(fds[1]);
        const char *argv[] = {"Xvfb",    "-displayfd", fd.constData(), "-nolisten", "tcp", "-noreset",
                              "-screen", "0",          "1024x768x24",  nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, const_cast<char **>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        if (spawned != 0) {
            close(fds[0]);
            return false;
        }
        char number[32] = {};
        pollfd ready{fds[0], POLLIN, 0};
        const bool answered = poll(&ready, 1, 10000) > 0 && read(fds[0], number, sizeof number - 1) > 0;
        close(fds[0]);
        display = ':' + QByteArray(number).trimmed();
        return answered;
    }

    ~XServer()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

// Another X client, as a user's paste would be: it notices each new owner of the clipboard and
// asks for its text at once.
class Reader
{
public:
    explicit Reader(const QByteArray &display)
    {
        m_c = xcb_connect(display.constData(), nullptr);
        if (xcb_connection_has_error(m_c))
            return;
        xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data;
        m_window = xcb_generate_id(m_c);
        xcb_create_window(m_c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          screen->root_visual, 0, nullptr);
        m_clipboard = atom("CLIPBOARD");
        m_utf8 = atom("UTF8_STRING");
        m_property = atom("ZIMBREL_BENCH");
        const xcb_query_extension_reply_t *fixes = xcb_get_extension_data(m_c, &xcb_xfixes_id);
        free(xcb_xfixes_query_version_reply(m_c, xcb_xfixes_query_version(m_c, 5, 0), nullptr));
        m_fixesEvent = fixes->first_event;
        xcb_xfixes_select_selection_input(m_c, m_window, m_clipboard,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
        xcb_flush(m_c);
        m_ok = true;
    }
    ~Reader() { xcb_disconnect(m_c); }
    bool ok() const { return m_ok; }

    // Waits (at most `ms`) until a new owner serves a text other than `previous`; the text.
    QByteArray waitForNewText(const QByteArray &previous, int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            xcb_generic_event_t *event = xcb_poll_for_event(m_c);
            if (!event) {
                pollfd fd{xcb_get_file_descriptor(m_c), POLLIN, 0};
                poll(&fd, 1, 50);
                continue;
            }
            const uint8_t type = event->response_type & 0x7F;
            if (type == m_fixesEvent + XCB_XFIXES_SELECTION_NOTIFY
                && reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event)->owner != XCB_NONE) {
                xcb_convert_selection(m_c, m_window, m_clipboard, m_utf8, m_property, XCB_CURRENT_TIME);
                xcb_flush(m_c);
            } else if (type == XCB_SELECTION_NOTIFY) {
                const QByteArray text = takeProperty();
                if (!text.isEmpty() && text != previous) {
                    free(event);
                    return text;
                }
                // The owner had nothing yet, or still the old text: ask again.
                xcb_convert_selection(m_c, m_window, m_clipboard, m_utf8, m_property, XCB_CURRENT_TIME);
                xcb_flush(m_c);
            }
            free(event);
        }
        return {};
    }

private:
    xcb_atom_t atom(const char *name)
    {
        auto *reply = xcb_intern_atom_reply(m_c, xcb_intern_atom(m_c, 0, uint16_t(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_NONE);
        free(reply);
        return value;
    }

    QByteArray takeProperty()
    {
        auto *reply = xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 1, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16), nullptr);
        QByteArray text;
        if (reply)
            text = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                              xcb_get_property_value_length(reply));
        free(reply);
        return text;
    }

    xcb_connection_t *m_c = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0, m_utf8 = 0, m_property = 0;
    uint8_t m_fixesEvent = 0;
    bool m_ok = false;
};

pid_t spawnWith(const std::vector<QByteArray> &arguments, const QByteArray &display)
{
    std::vector<QByteArray> environment;
    for (char **e = environ; *e; ++e) {
        if (!QByteArray(*e).startsWith("DISPLAY=") && !QByteArray(*e).startsWith("QT_QPA_PLATFORM=")
            && !QByteArray(*e).startsWith("WAYLAND_DISPLAY="))
            environment.emplace_back(*e);
    }
    environment.push_back("DISPLAY=" + display);
    std::vector<char *> envp;
    for (QByteArray &e : environment)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<QByteArray> copies = arguments;
    std::vector<char *> argv;
    for (QByteArray &a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

long keeperResidentKiB(const QByteArray &display)
{
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(pid));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> arguments = cmdline.readAll().split('\0');
        if (!arguments.value(0).endsWith("zimbrel-clipboard-keeper") || !arguments.contains(display))
            continue;
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    return -1;
}

} // namespace

void benchClipboard(const QString &binFolder, const std::function<void(const char *, const QString &)> &print)
{
    XServer server;
    if (!server.start()) {
        print("clipboard_ready_ratio", QStringLiteral("n/a (Xvfb could not be started)"));
        return;
    }
    Reader reader(server.display);
    if (!reader.ok()) {
        print("clipboard_ready_ratio", QStringLiteral("n/a (no connection to Xvfb)"));
        return;
    }
    const QByteArray generator = QFile::encodeName(binFolder + QStringLiteral("/zimbrel-generator"));
    // pwgen piped into xclip, as a user of a shell would; without pwgen, the same random text
    // from the kernel through base64.
    const bool havePwgen = access("/usr/bin/pwgen", X_OK) == 0;
    const QByteArray pipeline = havePwgen
        ? QByteArrayLiteral("pwgen -s 12 1 | xclip -selection clipboard")
        : QByteArrayLiteral("head -c 9 /dev/urandom | base64 | xclip -selection clipboard");

    std::vector<double> ours;
    std::vector<double> theirs;
    QByteArray previous;
    const auto timed = [&](const std::vector<QByteArray> &command, pid_t *started) {
        QElapsedTimer timer;
        timer.start();
        *started = spawnWith(command, server.display);
        const QByteArray text = reader.waitForNewText(previous, 5000);
        const double us = timer.nsecsElapsed() / 1000.0;
        if (text.isEmpty())
            return -1.0;
        previous = text;
        return us;
    };
    for (int i = 0; i < 21; ++i) {
        pid_t pid = -1;
        const double generatorUs = timed({generator}, &pid);
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        const double pipelineUs = timed({QByteArrayLiteral("/bin/sh"), QByteArrayLiteral("-c"), pipeline}, &pid);
        if (pid > 0)
            waitpid(pid, nullptr, 0);
        if (generatorUs > 0 && pipelineUs > 0) {
            ours.push_back(generatorUs);
            theirs.push_back(pipelineUs);
        }
    }
    // The last owner is xclip; one more generator run leaves its keeper to be measured.
    pid_t pid = -1;
    timed({generator}, &pid);
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    const long keeperKiB = keeperResidentKiB(server.display);

    print("clipboard_reference", QString::fromLatin1(pipeline));
    print("clipboard_ready_us", QString::number(qRound(medianOf(ours))) + QStringLiteral("us"));
    print("clipboard_reference_ready_us", QString::number(qRound(medianOf(theirs))) + QStringLiteral("us"));
    print("clipboard_ready_ratio", QString::number(medianOf(ours) / medianOf(theirs), 'f', 2) + u'x');
    print("clipboard_pairs", QString::number(ours.size()));
    print("keeper_rss_kib", QString::number(keeperKiB));
}

} // namespace zimbrel::bench
