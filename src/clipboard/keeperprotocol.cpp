#include "keeperprotocol.h"

#include "core/fdio.h"
#include "core/secret.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace zimbrel {

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

bool readFrame(int fd, std::string &utf8)
{
    utf8.clear();
    std::array<unsigned char, 4> header{};
    if (!readExactly(fd, reinterpret_cast<char *>(header.data()), header.size()))
        return false;
    const std::size_t size = std::size_t(header[0]) | std::size_t(header[1]) << 8 | std::size_t(header[2]) << 16
        | std::size_t(header[3]) << 24;
    if (size == 0 || size > kMaxKeptBytes)
        return false;
    utf8.resize(size);
    if (!readExactly(fd, utf8.data(), size)) {
        wipeString(utf8);
        return false;
    }
    return true;
}

void sendStatus(int fd, KeeperStatus status)
{
    if (fd < 0)
        return;
    const char c = char(status);
    writeAll(fd, &c, std::size_t{1});
}

char readKeeperStatus(int statusFd, int timeoutMs)
{
    const int64_t deadline = timeoutMs < 0 ? -1 : monotonicMs() + timeoutMs;
    for (;;) {
        pollfd fd{statusFd, POLLIN, 0};
        const int left = deadline < 0 ? -1 : int(std::max<int64_t>(0, deadline - monotonicMs()));
        const int ready = poll(&fd, 1, left);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return 0;
        char c = 0;
        return readExactly(statusFd, &c, 1) ? c : '\0';
    }
}

} // namespace zimbrel
