#pragma once
// Where settings.ini is. The current folder comes first, so a folder carried over from Windows (and
// make run's build/run) keeps working; a program started from a launcher or a hotkey, whose folder
// holds no such file, reads the user's file in $XDG_CONFIG_HOME/zimbrel/, and failing that the
// defaults installed with the program in $XDG_CONFIG_DIRS/zimbrel/. Plain C++, so the generator
// can find it before it loads the GUI toolkit.

#include <string>
#include <vector>

namespace zimbrel {

enum class SettingsPlace {
    None,          // no file anywhere: the programs' no-file behaviour
    CurrentFolder, // ./settings.ini
    UserConfig,    // $XDG_CONFIG_HOME/zimbrel/settings.ini
    SystemConfig,  // zimbrel/settings.ini in one of $XDG_CONFIG_DIRS, never written
};

struct SettingsLocation
{
    SettingsPlace place = SettingsPlace::None;
    std::string path; // relative ("settings.ini") for the current folder, otherwise absolute
};

// $XDG_CONFIG_HOME when it is an absolute path, otherwise $HOME/.config; empty without either.
std::string userConfigHome();

// The folders of $XDG_CONFIG_DIRS that are absolute paths (/etc/xdg when it names none). An
// installed program adds the configuration folder of its own installation when the list lacks it,
// so defaults installed under /usr/local/etc/xdg are found too; a program run from its build
// folder never looks at an installation's defaults.
std::vector<std::string> systemConfigDirs();

// The settings file to read: the first place that holds a regular file of that name (anything
// else of that name, a FIFO or a folder, counts as absent; a name that cannot even be looked at
// counts as present, so the reading reports why).
SettingsLocation findSettingsFile();

// Where the editor writes after reading `read`: the same file when it was the current folder's or
// the user's, otherwise the user's file. Empty when there is no home to write to.
std::string settingsSavePath(const SettingsLocation &read);

} // namespace zimbrel
