#pragma once
// The per-user store of remembered values, addressed by application, section and key.
// Each application is one INI file, $XDG_CONFIG_HOME/zimbrel/<application>.ini (~/.config when
// XDG_CONFIG_HOME is unset or not absolute; see userConfigHome()), each section a group of it.
// Values are texts. The folders it makes are private (0700).

#include <QString>

namespace zimbrel {

// Empty when the user has no home folder at all.
QString userStorePath(const QString &application);

// The stored text, or `fallback` when there is none (or the store cannot be read).
QString GetSetting(const QString &application, const QString &section, const QString &key,
                   const QString &fallback = QString());

// Writes at once; false when the store could not be written.
bool SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value);

} // namespace zimbrel
