#include "random.h"

#include <QRandomGenerator>

namespace zimbrel {

float randomSingle()
{
    const quint32 bits = QRandomGenerator::system()->generate() >> 8;
    return static_cast<float>(bits) * (1.0f / 16777216.0f);
}

void reseedRandom()
{
}

} // namespace zimbrel
