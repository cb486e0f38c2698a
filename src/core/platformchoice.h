#pragma once
// Which window system the programs use. Plain C++, so that the generator can decide before it
// loads the GUI toolkit.

#include <string>

namespace zimbrel {

// The Qt platform to use: the user's QT_QPA_PLATFORM always wins; with DISPLAY set, xcb (XWayland
// in a Wayland session), so that window placement, drags and the keeper work; with only
// WAYLAND_DISPLAY set, wayland; with neither, empty (Qt's own default).
std::string choosePlatformName(const std::string &qpaPlatform, const std::string &display,
                               const std::string &waylandDisplay);

// The platform this process runs on: QT_QPA_PLATFORM is set to the choice when the user left it
// unset. Call before any GUI toolkit starts.
std::string applyPlatformChoiceToEnvironment();

} // namespace zimbrel
