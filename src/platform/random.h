#pragma once
// The random source behind every password.
//
// Passwords must not be predictable from the time a program was started, so values come from
// the operating system's cryptographic source (getrandom on Linux). The engine still marks the
// points where it starts a fresh sequence; with this source there is nothing to reseed.

#include <functional>

namespace zimbrel {

// A single-precision value r with 0 <= r < 1, on a grid of 2^-24 (every value is exact in float).
float randomSingle();

// Kept where the engine starts a new sequence; deliberately never seeds anything from the clock.
void reseedRandom();

// What the engine draws from; tests hand in fixed sequences.
using RandomSource = std::function<float()>;

} // namespace zimbrel
