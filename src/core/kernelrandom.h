#pragma once
// The kernel's cryptographic source, getrandom(2): every random value behind a password comes from
// here, never from a clock-seeded generator.

#include <cstdint>

namespace zimbrel {

// 32 random bits.
uint32_t kernelRandomWord();

} // namespace zimbrel
