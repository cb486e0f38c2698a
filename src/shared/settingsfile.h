#pragma once
// settings.ini: line 1 the allowed character set, line 2 the wanted password length, CR LF line
// ends, bytes in Windows-1252. Where it is looked for: core/settingslocation.h.

#include "core/settingspassword.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace zimbrel {

inline constexpr char kSettingsFileName[] = "settings.ini";

// The most that is ever read of the file, as zimbrel-generator reads it.
inline constexpr qint64 kReadLimitBytes = qint64(kSettingsReadLimit);

// The settings file the programs read (empty when there is none anywhere), and the one the editor
// writes after reading it (absolute; empty without a home folder).
struct SettingsFiles
{
    QString read;
    QString save;
    bool readOnly = false; // what was read are the installed defaults, which are never written
};
SettingsFiles locateSettingsFiles();

// Makes the folders that writing `path` needs, as private folders (0700): the user's
// configuration folder holds other programs' secrets too. The reason, or empty on success.
QString makeFoldersFor(const QString &path);

struct FileText
{
    QString text;        // the content read, decoded from Windows-1252
    QString error;       // why the file could not be read; empty when it was read or is absent
    int errorNumber = 0; // the system's error number behind `error`
    bool failed() const { return !error.isEmpty(); }
};

// Reads the file as Windows-1252 text. A missing file, and anything that is not a regular file
// (a folder, a FIFO, a device), reads as the empty text without waiting on it. With `linesNeeded`
// above 0 the read stops after that many CR LF pairs, as later lines are never used; in any case
// it stops at kReadLimitBytes. A file that exists but cannot be read gives `error`.
FileText ReadFileText(const QString &path, int linesNeeded = 0);

// Replaces the file's content by `text` and CR LF, in Windows-1252. The new content is written
// beside the old file and renamed over it, so a failure never leaves a torn file; the file keeps
// its permissions, and a symbolic link is written through to its target. Returns why it failed,
// or the empty text on success. Text the code page cannot hold is refused, never written as "?".
QString WriteFileText(const QString &path, const QString &text);

// Splits settings.ini into its lines: on the pair CR LF (a lone CR or LF stays in its line), or,
// in a text that holds no CR LF at all (written on Linux), on LF. The empty text gives no
// elements at all.
QStringList splitSettingsLines(const QString &text);

} // namespace zimbrel
