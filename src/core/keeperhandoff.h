#pragma once
// What a program and a clipboard keeper say to each other, and what both keepers (X11 and Wayland)
// do alike to keep the password to themselves. Plain C++ with no Qt.
//
// The password goes to the keeper's standard input as a frame: four bytes of length (least
// significant first) and then exactly that many bytes of UTF-8. A keeper takes the clipboard only
// after it has read a whole frame, so a program killed while it writes leaves the clipboard as it
// was, never empty or cut off.
//
// The keeper answers on its status pipe, one character for each thing that happens, and keeps the
// pipe open for as long as it lives: the end of the pipe says that it has gone.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace zimbrel {

// Passwords are at most 32767 characters, three bytes each in UTF-8; a longer frame is refused.
inline constexpr std::size_t kMaxKeptBytes = std::size_t{128} * 1024;

// The MIME type and X target that mark a password for clipboard histories, and its value: Klipper,
// CopyQ from version 8 and wl-clipboard's `wl-paste --watch` read it.
inline constexpr char kSecretHintType[] = "x-kde-passwordManagerHint";
inline constexpr char kSecretHintValue[] = "secret";
// What CopyQ before version 8 (Debian 12 ships 6.4) reads instead: an item it must not show or keep.
inline constexpr char kCopyqHiddenType[] = "application/x-copyq-hidden";
inline constexpr char kCopyqHiddenValue[] = "1";

// What a keeper says on its status pipe.
enum class KeeperStatus : char {
    Owned = '1',       // it owns the clipboard now
    Failed = '0',      // it could not take the clipboard (or got no whole password)
    Unsupported = 'u', // the window system offers no way for it; try the next route
    Waiting = 'w',     // before its first answer: it waits for the window system, which is busy
    Replaced = 'r',    // a newer password of ours took the clipboard, or will take it
    Lost = 'x',        // something else took the clipboard, or emptied it
    Cleared = 'c',     // it emptied the clipboard after the time it was given
};

// The frame for `utf8`.
std::string framePassword(const std::string &utf8);

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

    // Reads one whole frame from `fd` (blocking); false, and nothing kept, when the input ends
    // early, says a length of 0 or over kMaxKeptBytes, or fails.
    bool readFrom(int fd);
    void wipe();
};

// Milliseconds of the monotonic clock, for time-outs.
int64_t monotonicMs();

// No core file, and /proc/<pid>/mem and ptrace closed to other processes of the same user: the
// first thing every process that will hold a password does (exec undoes it).
void makeUndumpable();

// makeUndumpable(), and no SIGPIPE or SIGHUP ending it: the first thing a keeper does.
void protectProcess();

// A background helper: standard streams on /dev/null, every inherited descriptor but those in
// `keep` (-1 for none) closed, and "/" as its folder, so it keeps no terminal, pipe or file
// system busy.
void detachFromCaller(std::initializer_list<int> keep);

// Writes one status character; a caller that has gone is no error.
void sendStatus(int fd, KeeperStatus status);

} // namespace zimbrel
