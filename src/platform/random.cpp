#include "random.h"

#include <QRandomGenerator>

#include <array>

namespace zimbrel {

namespace {

// One call into the kernel for a password's worth of draws rather than one per draw: the values
// are the same cryptographic output either way.
class Pool
{
public:
    quint32 next()
    {
        if (m_used == m_values.size()) {
            QRandomGenerator::system()->fillRange(m_values.data(), m_values.size());
            m_used = 0;
        }
        const quint32 value = m_values[m_used];
        m_values[m_used++] = 0;
        return value;
    }

private:
    std::array<quint32, 256> m_values{};
    std::size_t m_used = m_values.size();
};

} // namespace

float randomSingle()
{
    static thread_local Pool pool;
    const quint32 bits = pool.next() >> 8;
    return static_cast<float>(bits) * (1.0f / 16777216.0f);
}

void reseedRandom()
{
}

} // namespace zimbrel
