#include "kernelrandom.h"

#include <cerrno>
#include <cstdlib>
#include <sys/random.h>

namespace zimbrel {

uint32_t kernelRandomWord()
{
    // One call into the kernel for a password's worth of draws rather than one per draw: the
    // values are the same cryptographic output either way. Words are wiped once handed out, so
    // the pool never holds more of a password's history than it has still to give.
    thread_local uint32_t pool[256];
    thread_local size_t used = 256;
    if (used == 256) {
        size_t filled = 0;
        auto *bytes = reinterpret_cast<unsigned char *>(pool);
        while (filled < sizeof pool) {
            const ssize_t n = getrandom(bytes + filled, sizeof pool - filled, 0);
            if (n > 0)
                filled += size_t(n);
            else if (errno != EINTR)
                std::abort(); // without the kernel's source there is no safe password
        }
        used = 0;
    }
    const uint32_t value = pool[used];
    pool[used++] = 0;
    return value;
}

} // namespace zimbrel
