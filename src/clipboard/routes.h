#pragma once
// How a password reaches the clipboard in this session. Plain C++, so that the generator can
// decide before it loads the GUI toolkit.

#include <string>
#include <vector>

namespace zimbrel {

// The ways a password can reach the clipboard.
enum class ClipboardRoute {
    WaylandControl, // zimbrel-wayland-keeper through the clipboard-control protocol (sway, KWin, ...)
    X11Keeper,      // zimbrel-clipboard-keeper (X11, and XWayland where the compositor bridges it)
    WaylandFocus,   // zimbrel-wayland-keeper with a window of its own that takes the focus (GNOME)
    WlCopy,         // wl-copy, the last resort: it keeps what it serves in a file under /tmp
    Qt,             // Qt's own clipboard, for as long as the program runs (offscreen and others)
};

// The routes to try, in order, until one takes the clipboard. The clipboard belongs to the session,
// not to the window system Qt uses, so it is the session's variables that decide: a Wayland
// compositor with the clipboard-control protocol first, whether or not XWayland is there (it hands
// the text on to X programs, where sway and KWin refuse an X owner that has no focus); then the X
// keeper (GNOME's mutter bridges that one); then, for Wayland alone, the focus window and wl-copy.
// A platform that is neither X11 nor Wayland (offscreen) uses Qt's clipboard.
std::vector<ClipboardRoute> clipboardRoutesFor(const std::string &platform, const std::string &display,
                                               const std::string &waylandDisplay);
// The same for this process's environment and `platform`.
std::vector<ClipboardRoute> clipboardRoutes(const std::string &platform);

} // namespace zimbrel
