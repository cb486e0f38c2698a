#pragma once

#include <QIcon>

namespace zimbrel {

// The programs' icon, a padlock, drawn at 16 x 16 and 32 x 32 pixels in the 16-colour palette the
// icon has always had, so no image file needs to ship with the programs.
QIcon appIcon();

} // namespace zimbrel
