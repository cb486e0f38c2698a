#pragma once
// What both keepers (zimbrel-clipboard-keeper for X11, zimbrel-wayland-keeper) do alike: read
// their arguments, keep the password to themselves, leave their caller alone. Plain C++.

#include <initializer_list>
#include <string>

namespace zimbrel {

// The password a keeper serves: UTF-8, and Latin-1 for the X targets STRING and TEXT when every
// character has a Latin-1 byte. Kept in locked memory where the system allows it, and wiped
// however the keeper ends.
struct KeptPassword
{
    std::string utf8;
    std::string latin1; // empty unless fitsLatin1
    bool fitsLatin1 = false;

    KeptPassword() = default;
    KeptPassword(const KeptPassword &) = delete;
    KeptPassword &operator=(const KeptPassword &) = delete;
    ~KeptPassword() { wipe(); }

    // Reads one whole frame from `fd` (keeperprotocol.h, blocking); false, and nothing kept, when
    // it is no whole frame.
    bool readFrom(int fd);
    void wipe();
};

// A keeper's command line:
//   --status-fd N         the pipe for its status characters (above 2; otherwise none)
//   --clear-after SECONDS empty the clipboard after SECONDS if it still holds the password
//   --display NAME        the X display (the X keeper)
//   --focus               take the clipboard with a focus window where nothing else will do
//                         (the Wayland keeper)
struct KeeperArguments
{
    int statusFd = -1;
    int clearAfterSeconds = 0;
    std::string display;
    bool focus = false;
};
KeeperArguments readKeeperArguments(int argc, char **argv);

// makeUndumpable(), and no SIGPIPE or SIGHUP ending it: the first thing a keeper does.
void protectProcess();

// A background helper: standard streams on /dev/null, every inherited descriptor but those in
// `keep` (-1 for none) closed, and "/" as its folder, so it keeps no terminal, pipe or file
// system busy.
void detachFromCaller(std::initializer_list<int> keep);

} // namespace zimbrel
