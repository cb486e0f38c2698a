#include "helperspawn.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace zimbrel {

namespace {

bool isFolder(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool endsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

std::string programFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    std::string exe(path, size_t(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

std::string installationPrefix()
{
    const std::string folder = programFolder();
    if (endsWith(folder, "/libexec/zimbrel"))
        return folder.substr(0, folder.size() - std::string("/libexec/zimbrel").size());
    if (endsWith(folder, "/bin")) {
        std::string prefix = folder.substr(0, folder.size() - 4);
        if (isFolder(prefix + "/libexec/zimbrel"))
            return prefix;
    }
    return {};
}

namespace {

bool executable(const std::string &path)
{
    return access(path.c_str(), X_OK) == 0;
}

std::string findOnPath(const char *name)
{
    const char *path = std::getenv("PATH");
    std::string folders = path ? path : "";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = folders.find(':', start);
        std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + '/' + name;
        if (executable(candidate))
            return candidate;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

bool writeAll(int fd, const std::string &bytes)
{
    std::signal(SIGPIPE, SIG_IGN);
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += size_t(n);
    }
    return true;
}

} // namespace

std::string helperPath(const std::string &name)
{
    const std::string folder = programFolder();
    const std::string beside = folder + '/' + name;
    const std::string libexec = folder + "/../libexec/zimbrel/" + name;
    // Without either, the name beside the program: the error then names where it was expected.
    return executable(beside) || !executable(libexec) ? beside : libexec;
}

StartedHelper startClipboardHelper(ClipboardRoute route, const std::string &utf8, const std::string &keeperPath)
{
    StartedHelper helper;
    std::string program;
    std::vector<std::string> arguments;
    if (route == ClipboardRoute::Keeper) {
        program = keeperPath;
    } else if (route == ClipboardRoute::WlCopy) {
        program = findOnPath("wl-copy");
    }
    if (program.empty())
        return helper;

    int input[2];
    int status[2] = {-1, -1};
    if (pipe2(input, O_CLOEXEC) != 0)
        return helper;
    if (route == ClipboardRoute::Keeper && pipe2(status, O_CLOEXEC) != 0) {
        close(input[0]);
        close(input[1]);
        return helper;
    }

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
    // Nothing the helper prints may hold a pipe of ours open: `zimbrel-generator | cat` ends
    // when the generator does.
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    if (route == ClipboardRoute::Keeper) {
        posix_spawn_file_actions_adddup2(&actions, status[1], 3);
        arguments = {"--status-fd", "3"};
        if (const char *display = std::getenv("DISPLAY"); display && *display) {
            arguments.push_back("--display");
            arguments.push_back(display);
        }
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own, so the helper outlives a terminal that closes with the program.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

    std::vector<char *> argv{program.data()};
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(input[0]);
    if (status[1] >= 0)
        close(status[1]);
    if (spawned != 0) {
        close(input[1]);
        if (status[0] >= 0)
            close(status[0]);
        return helper;
    }
    helper.pid = pid;
    helper.statusFd = status[0];
    helper.written = writeAll(input[1], utf8);
    close(input[1]);
    return helper;
}

void wipeString(std::string &text)
{
    explicit_bzero(text.data(), text.size());
    text.clear();
}

} // namespace zimbrel
