#pragma once
// How a caller asks the picker for a colour: the editor's PickColor and the zimbrel-colorpicker
// command both go through this, so the steps (load, seed, apply the seed, show modally, read the
// boxes, write the state) are written once.

#include "settings/colorpicker/colormodel.h"

#include <QPoint>
#include <QWidget>

#include <functional>
#include <optional>

namespace zimbrel::picker {

class frmColorPicker;

// Opens the picker at `where` (centred on the primary screen without one), seeded with `seed`
// (0x00BBGGRR; a top byte is ignored), and waits for the user. The colour chosen with OK, or
// nothing on Cancel, Escape or a close. `prepare` runs on the dialog before it loads, after its
// state file's name (zimbrel.ini) is set.
std::optional<BgrColor> runColorPicker(QWidget *parent, BgrColor seed, std::optional<QPoint> where = {},
                                       const std::function<void(frmColorPicker &)> &prepare = {});

} // namespace zimbrel::picker
