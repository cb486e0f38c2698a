#include "random.h"

#include "core/kernelrandom.h"

namespace zimbrel {

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
    return singleFromWord(kernelRandomWord());
}

void reseedRandom() { }

} // namespace zimbrel
