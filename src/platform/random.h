#pragma once
// The random source behind every password.
//
// Passwords must not be predictable from the time a program was started, so every value comes
// straight from the kernel's cryptographic source, getrandom(2). The engine still marks the points
// where it starts a fresh sequence; with this source there is nothing to reseed.

#include <QtGlobal>

#include <functional>

namespace zimbrel {

// What the engine draws from: 32 random bits a call, kernelRandomWord() (core/kernelrandom.h) in
// the programs. Tests hand in fixed sequences.
using RandomSource = std::function<quint32()>;

// A value 0 <= v < bound (bound >= 1), every value with the same chance: words from the top of the
// 32-bit range that would favour the low values are drawn again instead of being folded over.
quint32 uniformBelow(quint32 bound, const RandomSource &random);

// A single-precision value r with 0 <= r < 1 on a grid of 2^-24 (every value exact in float),
// made from the top 24 bits of one word.
float singleFromWord(quint32 word);
float randomSingle();

// Kept where the engine starts a new sequence; deliberately never seeds anything from the clock.
void reseedRandom();

} // namespace zimbrel
