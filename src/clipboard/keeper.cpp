#include "keeper.h"

#include "keeperprotocol.h"

#include "core/secret.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

namespace zimbrel {

namespace {

// Latin-1 bytes for UTF-8 text; false (and `latin1` empty) when a character has none.
bool utf8ToLatin1(const std::string &utf8, std::string &latin1)
{
    latin1.clear();
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            latin1 += char(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()
                   && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            latin1 += char(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
            ++i;
        } else {
            wipeString(latin1);
            return false;
        }
    }
    return true;
}

} // namespace

bool KeptPassword::readFrom(int fd)
{
    wipe();
    if (!readFrame(fd, utf8))
        return false;
    // Kept out of swap where the system allows it; a keeper works without it too.
    mlock(utf8.data(), utf8.capacity());
    fitsLatin1 = utf8ToLatin1(utf8, latin1);
    if (fitsLatin1)
        mlock(latin1.data(), latin1.capacity());
    return true;
}

void KeptPassword::wipe()
{
    wipeString(utf8);
    wipeString(latin1);
    fitsLatin1 = false;
}

KeeperArguments readKeeperArguments(int argc, char **argv)
{
    KeeperArguments arguments;
    for (int i = 1; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (std::strcmp(argv[i], "--focus") == 0)
            arguments.focus = true;
        else if (std::strcmp(argv[i], "--status-fd") == 0 && valued)
            arguments.statusFd = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--clear-after") == 0 && valued)
            arguments.clearAfterSeconds = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--display") == 0 && valued)
            arguments.display = argv[++i];
    }
    // The standard streams are no status pipe: they go to /dev/null.
    if (arguments.statusFd <= STDERR_FILENO)
        arguments.statusFd = -1;
    return arguments;
}

void protectProcess()
{
    makeUndumpable();
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
}

void detachFromCaller(std::initializer_list<int> keep)
{
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO)
            close(null);
    }
    // One call for each range between the descriptors kept, not one per possible descriptor: with
    // a high limit on open files that loop alone took milliseconds, all of it before the
    // clipboard was taken.
    std::vector<int> kept;
    for (int fd : keep) {
        if (fd > STDERR_FILENO)
            kept.push_back(fd);
    }
    std::sort(kept.begin(), kept.end());
    unsigned first = STDERR_FILENO + 1;
    bool closed = true;
    for (int fd : kept) {
        if (unsigned(fd) > first)
            closed = closed && close_range(first, unsigned(fd) - 1, 0) == 0;
        first = unsigned(fd) + 1;
    }
    closed = closed && close_range(first, ~0U, 0) == 0;
    if (!closed) {
        const long highest = sysconf(_SC_OPEN_MAX);
        for (int fd = STDERR_FILENO + 1; fd < (highest > 0 ? highest : 1024) && fd < 65536; ++fd) {
            if (std::find(kept.begin(), kept.end(), fd) == kept.end())
                close(fd);
        }
    }
    if (chdir("/") != 0) {
        // Staying where it was started only keeps that folder busy.
    }
}

} // namespace zimbrel
