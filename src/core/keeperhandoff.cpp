#include "keeperhandoff.h"

#include "fdio.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <ctime>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace zimbrel {

namespace {

// One whole frame into `utf8`, or nothing (what was read is wiped).
bool readFramedPassword(int fd, std::string &utf8)
{
    utf8.clear();
    std::array<unsigned char, 4> header{};
    if (!readExactly(fd, reinterpret_cast<char *>(header.data()), header.size()))
        return false;
    const std::size_t size = std::size_t(header[0]) | std::size_t(header[1]) << 8 | std::size_t(header[2]) << 16
        | std::size_t(header[3]) << 24;
    if (size == 0 || size > kMaxKeptBytes)
        return false;
    // Sized once, so no reallocation leaves a copy of the password in freed memory.
    utf8.resize(size);
    if (!readExactly(fd, utf8.data(), size)) {
        explicit_bzero(utf8.data(), utf8.size());
        utf8.clear();
        return false;
    }
    return true;
}

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
            explicit_bzero(latin1.data(), latin1.size());
            latin1.clear();
            return false;
        }
    }
    return true;
}

} // namespace

std::string framePassword(const std::string &utf8)
{
    const auto size = uint32_t(utf8.size());
    std::string frame;
    frame.reserve(4 + utf8.size());
    for (int shift = 0; shift < 32; shift += 8)
        frame += char((size >> shift) & 0xFF);
    frame += utf8;
    return frame;
}

bool KeptPassword::readFrom(int fd)
{
    wipe();
    if (!readFramedPassword(fd, utf8))
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
    explicit_bzero(utf8.data(), utf8.size());
    explicit_bzero(latin1.data(), latin1.size());
    utf8.clear();
    latin1.clear();
    fitsLatin1 = false;
}

int64_t monotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void makeUndumpable()
{
    prctl(PR_SET_DUMPABLE, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
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

void sendStatus(int fd, KeeperStatus status)
{
    if (fd < 0)
        return;
    const char c = char(status);
    ssize_t n;
    do {
        n = write(fd, &c, 1);
    } while (n < 0 && errno == EINTR);
}

} // namespace zimbrel
