#include "keeperstart.h"

#include "keeperprotocol.h"

#include "core/fdio.h"
#include "core/installation.h"
#include "core/secret.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace zimbrel {

namespace {

bool executable(const std::string &path)
{
    return access(path.c_str(), X_OK) == 0;
}

std::string keeperPath(const char *name, const KeeperOptions &options)
{
    return options.keeperFolder.empty() ? helperPath(name) : options.keeperFolder + '/' + name;
}

// Waits up to `timeoutMs` for a child to end, on a descriptor the kernel makes readable when it
// does; its wait status, or nothing when it still runs (or is no child of ours).
std::optional<int> waitForEnd(pid_t pid, int timeoutMs)
{
    const int pidFd = int(syscall(SYS_pidfd_open, pid, 0));
    const int64_t deadline = monotonicMs() + timeoutMs;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) {
            if (pidFd >= 0)
                close(pidFd);
            return done == pid ? std::optional<int>(status) : std::nullopt;
        }
        const int64_t left = deadline - monotonicMs();
        if (left <= 0)
            break;
        // Without pidfds (a kernel before 5.3), short naps instead.
        pollfd ended{pidFd, POLLIN, 0};
        if (pidFd < 0)
            usleep(unsigned(std::min<int64_t>(left, 5) * 1000));
        else
            poll(&ended, 1, int(left));
    }
    if (pidFd >= 0)
        close(pidFd);
    return std::nullopt;
}

// Waits for a child that is about to end, or has ended; never leaves a zombie behind.
void reap(pid_t pid, int timeoutMs)
{
    if (waitForEnd(pid, timeoutMs))
        return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

// A started helper: its pid, the write end of its standard input, and the read end of its status
// pipe (-1 for wl-copy).
struct Spawned
{
    pid_t pid = -1;
    int inputFd = -1;
    int statusFd = -1;
};

namespace {

Spawned spawnHelper(ClipboardRoute route, const KeeperOptions &options)
{
    Spawned spawned;
    std::string program;
    std::vector<std::string> arguments;
    const bool keeper = route != ClipboardRoute::WlCopy;
    switch (route) {
    case ClipboardRoute::WaylandControl:
    case ClipboardRoute::WaylandFocus:
        program = keeperPath("zimbrel-wayland-keeper", options);
        if (route == ClipboardRoute::WaylandFocus)
            arguments.push_back("--focus");
        break;
    case ClipboardRoute::X11Keeper:
        program = keeperPath("zimbrel-clipboard-keeper", options);
        if (const char *display = std::getenv("DISPLAY"); display && *display) {
            arguments.push_back("--display");
            arguments.push_back(display);
        }
        break;
    case ClipboardRoute::WlCopy:
        program = findOnPath("wl-copy");
        // The type named: wl-copy would otherwise run several programs to guess it.
        arguments = {"-t", "text/plain;charset=utf-8"};
        if (options.wlCopySensitive)
            arguments.insert(arguments.begin(), "--sensitive");
        break;
    case ClipboardRoute::Qt:
        break;
    }
    if (program.empty() || !executable(program))
        return spawned;
    if (keeper) {
        arguments.insert(arguments.begin(), {"--status-fd", "3"});
        if (options.clearAfterSeconds > 0) {
            arguments.push_back("--clear-after");
            arguments.push_back(std::to_string(options.clearAfterSeconds));
        }
    }

    int in[2];
    int status[2] = {-1, -1};
    if (pipe2(in, O_CLOEXEC) != 0)
        return spawned;
    if (keeper && pipe2(status, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return spawned;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    // Nothing the helper prints may hold a pipe of ours open: `zimbrel-generator | cat` ends
    // when the generator does.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (keeper)
        posix_spawn_file_actions_adddup2(&actions, status[1], 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own, so the helper outlives a terminal that closes with the program.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::vector<char *> argv{program.data()};
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int failed = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(in[0]);
    if (status[1] >= 0)
        close(status[1]);
    if (failed != 0) {
        close(in[1]);
        if (status[0] >= 0)
            close(status[0]);
        return spawned;
    }
    spawned.pid = pid;
    spawned.inputFd = in[1];
    spawned.statusFd = status[0];
    return spawned;
}

// Ends a keeper that will not be needed: without its frame it leaves the clipboard alone.
void dismiss(Spawned &spawned, int timeoutMs)
{
    if (spawned.inputFd >= 0)
        close(spawned.inputFd);
    if (spawned.statusFd >= 0)
        close(spawned.statusFd);
    if (spawned.pid > 0)
        reap(spawned.pid, timeoutMs);
    spawned = {};
}

// wl-copy's first process exits once the text is offered (0), or with an error (1, also for an
// option it does not know).
bool wlCopyOffered(pid_t pid, int timeoutMs)
{
    const std::optional<int> status = waitForEnd(pid, timeoutMs);
    if (!status) {
        reap(pid, 0);
        return false;
    }
    return WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

} // namespace

KeeperStart::KeeperStart(std::vector<ClipboardRoute> routes, const KeeperOptions &options)
    : m_routes(std::move(routes))
    , m_options(options)
    , m_current(std::make_unique<Spawned>())
{
    startNext();
}

KeeperStart::~KeeperStart()
{
    dismiss(*m_current, 1000);
}

void KeeperStart::startNext()
{
    dismiss(*m_current, 1000);
    // wl-copy reads its text at once, so it is started only when the password is there.
    while (m_next < m_routes.size() && m_routes[m_next] != ClipboardRoute::Qt
           && m_routes[m_next] != ClipboardRoute::WlCopy) {
        const ClipboardRoute route = m_routes[m_next++];
        *m_current = spawnHelper(route, m_options);
        if (m_current->pid > 0) {
            m_anyStarted = true;
            return;
        }
    }
}

namespace {

// The keeper's first answer: 0 when its pipe ends without one, or `timedOut` when it does not come
// in time. A keeper that says it waits for a busy window system is given longer.
char firstAnswer(int statusFd, const KeeperOptions &options, int timeoutMs, bool &timedOut)
{
    timedOut = false;
    for (;;) {
        const int64_t start = monotonicMs();
        pollfd fd{statusFd, POLLIN, 0};
        const int ready = poll(&fd, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            timeoutMs = std::max<int>(0, timeoutMs - int(monotonicMs() - start));
            continue;
        }
        if (ready <= 0) {
            timedOut = ready == 0;
            return 0;
        }
        const char answer = readKeeperStatus(statusFd, 0);
        if (answer != char(KeeperStatus::Waiting))
            return answer;
        timeoutMs = options.waitingTimeoutMs;
    }
}

// Copies with wl-copy; whether it offered the text.
bool copyWithWlCopy(const std::string &utf8, KeeperOptions options)
{
    // An older wl-copy refuses --sensitive at once; then it copies without.
    for (const bool sensitive : {true, false}) {
        options.wlCopySensitive = sensitive;
        Spawned copier = spawnHelper(ClipboardRoute::WlCopy, options);
        if (copier.pid <= 0)
            return false;
        writeAll(copier.inputFd, utf8, options.answerTimeoutMs);
        close(copier.inputFd);
        if (wlCopyOffered(copier.pid, options.answerTimeoutMs))
            return true;
    }
    return false;
}

} // namespace

StartedHelper KeeperStart::handOver(const std::string &utf8)
{
    StartedHelper result;
    if (utf8.empty()) {
        dismiss(*m_current, 1000);
        return result;
    }
    std::string frame = framePassword(utf8);
    for (;;) {
        if (m_current->pid <= 0) {
            // No keeper has a way here; only wl-copy is left, if anything.
            if (m_next < m_routes.size() && m_routes[m_next] == ClipboardRoute::WlCopy) {
                ++m_next;
                if (copyWithWlCopy(utf8, m_options)) {
                    result.answer = KeeperAnswer::ByWlCopy;
                    break;
                }
                m_anyStarted = true;
            }
            result.answer = m_anyStarted ? KeeperAnswer::Failed : KeeperAnswer::NotStarted;
            break;
        }
        // A keeper that gets less than the whole frame leaves the clipboard alone and says so. A
        // frame can be larger than a pipe holds (a user near the system's budget for pipes gets
        // small ones), so the keeper reads while it is written; one that does not read in time
        // is ended like one that does not answer.
        const bool written = writeAll(m_current->inputFd, frame, m_options.answerTimeoutMs);
        close(m_current->inputFd);
        m_current->inputFd = -1;
        bool timedOut = false;
        const char answer =
            firstAnswer(m_current->statusFd, m_options, written ? m_options.answerTimeoutMs : 0, timedOut);
        if (answer == char(KeeperStatus::Owned)) {
            result.pid = m_current->pid;
            result.statusFd = m_current->statusFd;
            result.answer = KeeperAnswer::Owned;
            *m_current = {};
            break;
        }
        // Anything else ends the keeper; one that has not answered in time is ended here, so it
        // cannot take the clipboard behind a later route's back.
        dismiss(*m_current, answer ? 1000 : 0);
        if (answer == char(KeeperStatus::Replaced)) {
            result.answer = KeeperAnswer::Replaced;
            break;
        }
        if (answer == char(KeeperStatus::Failed) || timedOut) {
            result.answer = KeeperAnswer::Failed;
            break;
        }
        startNext();
    }
    wipeString(frame);
    return result;
}

StartedHelper startClipboardKeeper(const std::vector<ClipboardRoute> &routes, const std::string &utf8,
                                   const KeeperOptions &options)
{
    KeeperStart start(routes, options);
    return start.handOver(utf8);
}

} // namespace zimbrel
