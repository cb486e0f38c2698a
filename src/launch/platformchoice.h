#pragma once
// Which window system the programs use, and how a password reaches the clipboard there. Plain
// C++, so that the generator can decide before it loads the GUI toolkit.

#include <string>

namespace zimbrel {

// The Qt platform to use: the user's QT_QPA_PLATFORM always wins; with DISPLAY set, xcb (XWayland
// in a Wayland session), so that window placement, drags and the keeper work; with only
// WAYLAND_DISPLAY set, wayland; with neither, empty (Qt's own default).
std::string choosePlatformName(const std::string &qpaPlatform, const std::string &display,
                               const std::string &waylandDisplay);

// How a password reaches the clipboard on a platform ("xcb", "wayland", "offscreen", ...).
enum class ClipboardRoute { Keeper, WlCopy, Qt };
ClipboardRoute clipboardRouteFor(const std::string &platform);

// The platform this process runs on: QT_QPA_PLATFORM is set to the choice when the user left it
// unset. Call before any GUI toolkit starts.
std::string applyPlatformChoiceToEnvironment();

} // namespace zimbrel
