#pragma once
// Keeping a password to this process, and leaving nothing of it behind: one family of wipe
// functions that every program uses (the Qt overloads in platform/wipe.h call them). Plain C++.

#include <cstddef>
#include <string>

namespace zimbrel {

// Overwrites `size` bytes at `bytes` so that no optimisation can drop the writes.
void wipeBytes(void *bytes, std::size_t size);

// Overwrites a string's bytes, then empties it.
void wipeString(std::string &text);

// No core file, and /proc/<pid>/mem and ptrace closed to other processes of the same user: the
// first thing every process that will hold a password does (exec undoes it).
void makeUndumpable();

} // namespace zimbrel
