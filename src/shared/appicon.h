#pragma once

#include <QIcon>
#include <QImage>

namespace zimbrel {

// The programs' icon, a padlock, drawn at 16 x 16 and 32 x 32 pixels in a 16-colour palette: it
// stays sharp at the sizes title bars and task bars ask for, and the programs need no image file.
QIcon appIcon();

// The padlock at `size` x `size` pixels; the installed icon files are drawn from it, and
// data/zimbrel.svg draws the same shapes on the same 16-unit grid.
QImage padlockImage(int size);

} // namespace zimbrel
