#pragma once
// settings.ini read and turned into a password before the GUI toolkit is loaded, through the one
// engine (engine.h) with the plain reader of the length line: settings.ini missing, or its length
// line a plain whole number. A length line only the user's locale can decide (" 12", "1.5",
// "1e3") and an unreadable file are left to the window program, which reads them with the
// toolkit and calls the same engine.

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

// The password as Windows-1252 bytes, or nothing when the window program must read the length.
std::optional<std::string> quickPassword(const SettingsBytes &settings, const std::function<uint32_t()> &word);

} // namespace zimbrel
