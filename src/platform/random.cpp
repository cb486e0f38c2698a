#include "random.h"

#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstdlib>

namespace zimbrel {

namespace {

// One call into the kernel for a password's worth of draws rather than one per draw: the values
// are the same cryptographic output either way. Words are wiped once handed out, so the pool
// never holds more of a password's history than it has still to give.
class Pool
{
public:
    quint32 next()
    {
        if (m_used == m_values.size()) {
            refill();
            m_used = 0;
        }
        const quint32 value = m_values[m_used];
        m_values[m_used++] = 0;
        return value;
    }

private:
    void refill()
    {
        auto *bytes = reinterpret_cast<unsigned char *>(m_values.data());
        std::size_t filled = 0;
        const std::size_t wanted = sizeof(m_values);
        while (filled < wanted) {
            const ssize_t got = getrandom(bytes + filled, wanted - filled, 0);
            if (got > 0) {
                filled += std::size_t(got);
            } else if (got < 0 && errno != EINTR) {
                // Without the kernel's source there is no safe password to give; a predictable
                // one would be worse than none.
                std::abort();
            }
        }
    }

    std::array<quint32, 256> m_values{};
    std::size_t m_used = m_values.size();
};

} // namespace

quint32 randomWord()
{
    static thread_local Pool pool;
    return pool.next();
}

quint32 uniformBelow(quint32 bound, const RandomSource &random)
{
    if (bound <= 1)
        return 0;
    // 2^32 mod bound words at the top would give the low values one extra chance each.
    const quint32 rejected = quint32(0x100000000ull % bound);
    const quint32 limit = quint32(0xFFFFFFFFu - rejected);
    for (;;) {
        const quint32 word = random();
        if (rejected == 0 || word <= limit)
            return word % bound;
    }
}

float singleFromWord(quint32 word)
{
    return static_cast<float>(word >> 8) * (1.0f / 16777216.0f);
}

float randomSingle()
{
    return singleFromWord(randomWord());
}

void reseedRandom()
{
}

} // namespace zimbrel
