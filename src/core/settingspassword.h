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

struct SettingsBytes
{
    bool present = false; // false: no file, no regular file of that name, or one that cannot be read
    std::string bytes;    // the file up to the end of its second line (at most 16 MiB)
};

// Reads settings.ini as the generator needs it, never waiting on it. A file that exists but
// cannot be read gives no lines, as no file does.
SettingsBytes readSettingsBytes(const char *path);

// The password as Windows-1252 bytes, from the words of a random source; empty when the
// settings give none (engine::whyNoPassword says why).
std::string passwordFromSettings(const SettingsBytes &settings, const std::function<uint32_t()> &word);

// Why passwordFromSettings() gave an empty password for what was read from `file`: that there is
// no settings.ini anywhere (where the programs looked, and what makes one), or the engine's reason.
std::string whyNoPassword(const SettingsLocation &file, const SettingsBytes &settings);

} // namespace zimbrel
