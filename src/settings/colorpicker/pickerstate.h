#pragma once
// The colour picker's state file (zimbrel.ini beside the program): the colour on the new swatch
// at the last close, the mode, and a list of paths carried from file to file unchanged.
//
//   10079453
//   "objOption3"
//   "NumberOfPaths2"
//   "C:\first"
//   "D:\second"
//
// Lines end with CR LF; text is Windows-1252.

#include "colormodel.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace zimbrel::picker {

struct PickerState
{
    std::optional<BgrColor> oldColor; // from line 1, when it holds a number
    int mode = 0;                     // 0..5; anything else read falls back to hue (0)
    QStringList paths;                // in order, without their quotes
};

struct PickerStateRead
{
    PickerState state;
    // The message to show: "A file is missing, please reinstall!" or "Unknown error nr ...";
    // empty when the file was read whole.
    QString message;
};

// Where the file named `fileName` lies: in `programFolder` (joined with "/") when the program runs
// from its build folder, unless that folder cannot be written and holds no such file; for an
// installed program (any prefix, see installationPrefixOf()) and in that case, in the per-user
// configuration folder, $XDG_CONFIG_HOME/zimbrel/.
QString stateFilePath(const QString &programFolder, const QString &fileName);

// Reads the file. Whatever is read before a fault is kept; the count and the mode are read as
// whole numbers; only the path lines present are read.
PickerStateRead readPickerState(const QString &path);
// The same for the file's text.
PickerStateRead parsePickerState(const QString &text);

// The state file keeps a mode as one digit: 0..8 as the file format counts them, and this one when
// no mode is selected.
inline constexpr int kHighestStoredMode = 8;
inline constexpr int kNoStoredMode = 9;

// The file's text for a new colour, the selected mode (0..kHighestStoredMode, kNoStoredMode for
// none) and the paths.
QString pickerStateText(BgrColor newColor, int mode, const QStringList &paths);

// Writes the file; returns the message to show ("Unknown error" and the reason) or empty.
QString writePickerState(const QString &path, BgrColor newColor, int mode, const QStringList &paths);

} // namespace zimbrel::picker
