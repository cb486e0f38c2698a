#pragma once
// Reading and writing whole buffers on descriptors, with the retries every caller needs (a
// signal interrupts a call; a pipe takes only part of a write), and the standard descriptors a
// program may be started without. Plain C++.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zimbrel {

// Reads exactly `size` bytes; false when the input ends or fails first.
bool readExactly(int fd, char *into, std::size_t size);

// Writes all of `bytes`. With `timeoutMs` >= 0 the write never waits longer than that in all (the
// descriptor is made non-blocking for it): a reader that does not read in time makes it fail
// instead of hanging the writer. A reader that has gone is a failure, never a SIGPIPE.
bool writeAll(int fd, const char *bytes, std::size_t size, int timeoutMs = -1);
inline bool writeAll(int fd, const std::string &bytes, int timeoutMs = -1)
{
    return writeAll(fd, bytes.data(), bytes.size(), timeoutMs);
}

// Everything up to the end of the input, at most `limit` bytes (reserved at once: meant for small
// limits); the descriptor stays open. What passed through the buffer on the way is wiped.
std::string readAll(int fd, std::size_t limit);

// Milliseconds of the monotonic clock, for deadlines.
int64_t monotonicMs();

// Opens /dev/null on whichever of 0, 1 and 2 is closed. A program started with them closed would
// otherwise get its own pipes and files there, and a later "print an error" would write into them.
void ensureStandardDescriptors();

} // namespace zimbrel
