#pragma once
// The password engine for the cases a hotkey meets every day, in plain C++, so that the generator
// can put the password on the clipboard before it loads the GUI toolkit: settings.ini missing,
// or its length line a plain whole number. Everything else (a length such as " 12", "1.5" or
// "1e3", an unreadable file) is left to the full engine, which decides it after the toolkit has
// started. Where both decide, they give the same password for the same random words: the same
// rounds of 255 candidates, one word each, its low byte the code.

#include "kernelrandom.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace zimbrel {

struct SettingsBytes
{
    bool present = false; // false: no file (or no regular file) of that name
    std::string bytes;    // the file up to the end of its second line (at most 16 MiB)
};

// Reads settings.ini as the generator needs it, never waiting on it. Nothing when the file exists
// but could not be read (the full engine then decides).
std::optional<SettingsBytes> readSettingsQuickly(const char *path);

// The password as Windows-1252 bytes, or nothing when the full engine must decide.
std::optional<std::string> quickPassword(const SettingsBytes &settings, const std::function<uint32_t()> &word);

} // namespace zimbrel
