#include "fdio.h"

#include "secret.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace zimbrel {

int64_t monotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool readExactly(int fd, char *into, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = read(fd, into + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += std::size_t(n);
    }
    return true;
}

bool writeAll(int fd, const char *bytes, std::size_t size, int timeoutMs)
{
    std::signal(SIGPIPE, SIG_IGN);
    const int64_t deadline = timeoutMs < 0 ? -1 : monotonicMs() + timeoutMs;
    if (deadline >= 0)
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = write(fd, bytes + written, size - written);
        if (n > 0) {
            written += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK))
            return false;
        const int64_t left = deadline < 0 ? -1 : deadline - monotonicMs();
        if (deadline >= 0 && left <= 0)
            return false;
        pollfd out{fd, POLLOUT, 0};
        if (poll(&out, 1, int(left)) < 0 && errno != EINTR)
            return false;
    }
    return true;
}

std::string readAll(int fd, std::size_t limit)
{
    std::string bytes;
    // Sized once, so no reallocation leaves a copy of a secret in freed memory.
    bytes.reserve(limit);
    char buffer[4096];
    while (bytes.size() < limit) {
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, limit - bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        bytes.append(buffer, std::size_t(n));
    }
    wipeBytes(buffer, sizeof buffer);
    return bytes;
}

void ensureStandardDescriptors()
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        // open() gives the lowest free number, which is this one: the lower ones are open by now.
        const int opened = open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            dup2(opened, fd);
            close(opened);
        }
    }
}

} // namespace zimbrel
