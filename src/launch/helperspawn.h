#pragma once
// Starting the clipboard's helpers (zimbrel-clipboard-keeper on X11, wl-copy on Wayland) with the
// password in a pipe. Plain C++, so that the generator can hand the password over before it loads
// the GUI toolkit.

#include "platformchoice.h"

#include <string>
#include <sys/types.h>

namespace zimbrel {

struct StartedHelper
{
    pid_t pid = -1;       // the helper, a child of this process (wl-copy's first process exits once
                          // the text is offered; the keeper lives on)
    int statusFd = -1;    // the keeper's answer: "1" once it owns the clipboard
    bool written = false; // the whole text went into the pipe
};

// The folder of the running program.
std::string programFolder();

// Where the program `name` of this installation lies: beside the running program (the build
// folder, and the programs in libexec/zimbrel), else in ../libexec/zimbrel next to it (an
// installed program in bin). Every path is found from the running program, so an installation
// can be moved, and the prefix given to make install never has to be compiled in.
std::string helperPath(const std::string &name);

// The prefix of the installation the running program belongs to (/usr, /usr/local, ~/.local),
// found from where it lies: <prefix>/bin with <prefix>/libexec/zimbrel beside it, or
// <prefix>/libexec/zimbrel. Empty for a program run from its build folder.
std::string installationPrefix();

// Starts the helper of `route` (Keeper or WlCopy) in a session of its own, with standard output and
// error on /dev/null, and writes `utf8` into its standard input. pid -1 when it could not start.
StartedHelper startClipboardHelper(ClipboardRoute route, const std::string &utf8, const std::string &keeperPath);

// Overwrites the bytes of a string, then empties it.
void wipeString(std::string &text);

} // namespace zimbrel
