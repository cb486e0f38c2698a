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
    // The current folder's settings.ini when it was passed over because another user owns it (or
    // the link it is): why, in a few words ("it belongs to zimbrel-b"); empty otherwise.
    std::string passedOver;
};

// $XDG_CONFIG_HOME when it is an absolute path, otherwise $HOME/.config; without an absolute HOME,
// the home folder of the user's entry in the password database. Empty when there is none.
std::string userConfigHome();

// Whether a file of the current folder may be trusted: it, and the symbolic link it may be, belong
// to the user running the program or to root. In a folder that others can write to (/tmp, a
// shared project folder), anyone could have put it there. The reason it may not, or empty.
std::string foreignOwner(const std::string &path);

// The one line said on standard error when the current folder's file was passed over
// ("<program>: passing over /tmp/x/settings.ini: it belongs to zimbrel-b"), or nothing.
void reportPassedOver(const char *program, const SettingsLocation &location);

// The folders of $XDG_CONFIG_DIRS that are absolute paths (/etc/xdg when it names none). An
// installed program adds the configuration folder of its own installation when the list lacks it,
// so defaults installed under /usr/local/etc/xdg are found too; a program run from its build
// folder never looks at an installation's defaults.
std::vector<std::string> systemConfigDirs();

// The settings file to read: the first place that holds a regular file of that name (anything
// else of that name, a FIFO or a folder, counts as absent; a name that cannot even be looked at
// counts as present, so the reading reports why). The current folder's counts only when
// foreignOwner() finds nothing against it.
SettingsLocation findSettingsFile();

// Where the editor writes after reading `read`: the same file when it was the current folder's and
// is the user's own (never another user's file or link, nor root's for anyone but root), or the
// user's file; otherwise the user's file. Empty when there is no home to write to.
std::string settingsSavePath(const SettingsLocation &read);

// Makes `folder` and the folders above it that are missing, each private (0700): the user's
// configuration folder holds other programs' secrets too. The system's reason, or empty.
std::string makePrivateFolders(const std::string &folder);

// The places looked in, for a message that says where no file was found: "./settings.ini,
// ~/.config/zimbrel/settings.ini, /etc/xdg/zimbrel/settings.ini".
std::string settingsPlacesLookedIn();

} // namespace zimbrel
