#pragma once
// settings.ini read and turned into a password through the engine (engine.h), as
// zimbrel-generator does before its GUI toolkit is loaded.

#include "settingslocation.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace zimbrel {

// The most that is ever read of settings.ini. The programs only need its first two lines; a
// larger file is cut here rather than read into memory whole.
inline constexpr std::size_t kSettingsReadLimit = std::size_t{16} * 1024 * 1024;

// A small text file as the programs read theirs (settings.ini, the picker's state file).
struct TextFile
{
    bool present = false; // a regular file of that name that could be read
    std::string bytes;
    int error = 0; // the system's error number when it exists but could not be read
};

// Reads a text file, never waiting on it and never taking in more than needed: anything but a
// regular file (a folder, a FIFO, a device, which opening alone could make wait or act) counts as
// absent and is not opened; the reading stops after `linesNeeded` CR LF pairs (0: all of them),
// and in any case at kSettingsReadLimit.
TextFile readTextFile(const char *path, int linesNeeded);

struct SettingsBytes
{
    bool present = false; // false: no file, no regular file of that name, or one that cannot be read
    std::string bytes;    // the file up to the end of its second line (at most 16 MiB)
};

// Reads settings.ini as the generator needs it. A file that exists but cannot be read gives no
// lines, as no file does.
SettingsBytes readSettingsBytes(const char *path);

// The password as Windows-1252 bytes, from the words of a random source; empty when the
// settings give none (engine::whyNoPassword says why).
std::string passwordFromSettings(const SettingsBytes &settings, const std::function<uint32_t()> &word);

// Why passwordFromSettings() gave an empty password for what was read from `file`: that there is
// no settings.ini anywhere (where the programs looked, and what makes one), or the engine's reason.
std::string whyNoPassword(const SettingsLocation &file, const SettingsBytes &settings);

} // namespace zimbrel
