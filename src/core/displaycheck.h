#pragma once
// Whether the window system a program is about to use can be reached at all, asked before the GUI
// toolkit starts: Qt ends a program it cannot give a display with an abort, a core file and a
// seven-line message about plug-ins. Plain C++; libxcb or libwayland-client is loaded only when
// the check is made.

#include <initializer_list>
#include <string>

namespace zimbrel {

// What stands in the way of `platform` (the choice of choosePlatformName()) with these
// variables, as one line without the program's name: "cannot open display :4", "no display:
// neither DISPLAY nor WAYLAND_DISPLAY is set", ... Empty when the display answers, or when the
// platform is none that needs one (offscreen, vnc, ...).
// With `keepOpen`, an X connection that answered stays open until this process ends or execs: an
// X server with no other client (Xvfb in a script, a bare xinit) resets when its last client
// leaves and drops a connection another process of ours makes in that instant.
std::string windowSystemProblem(const std::string &platform, const std::string &display,
                                const std::string &waylandDisplay, bool keepOpen = false);

// The same for this process's environment; prints "<program>: <problem>" on standard error.
// Whether the program can go on.
bool windowSystemReachable(const char *program, const std::string &platform, bool keepOpen = false);

} // namespace zimbrel
