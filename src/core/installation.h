#pragma once
// Where this installation's programs are: every path is found from the running program, so an
// installation can be moved, and the prefix given to make install never has to be compiled in.
// Plain C++.

#include <string>

namespace zimbrel {

// The folder of the running program.
std::string programFolder();

// The prefix of the installation the running program belongs to (/usr, /usr/local, ~/.local),
// found from where it lies: <prefix>/bin with <prefix>/libexec/zimbrel beside it, or
// <prefix>/libexec/zimbrel. Empty for a program run from its build folder.
std::string installationPrefix();
// The same for a program in `folder`.
std::string installationPrefixOf(const std::string &folder);

// Where the program `name` of this installation lies: beside the running program (the build
// folder, and the programs in libexec/zimbrel), else in ../libexec/zimbrel next to it (an
// installed program in bin).
std::string helperPath(const std::string &name);

// Where a program of `name` is on PATH (the system's default path when PATH is unset); empty when
// nowhere. Only absolute folders are looked in: an empty or relative entry names a folder that
// depends on where the program was started.
std::string findOnPath(const char *name);

} // namespace zimbrel
