#pragma once
// What a program and a clipboard keeper say to each other. Plain C++ with no Qt.
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

// Reads one whole frame from `fd` into `utf8` (sized once, so no reallocation leaves a copy
// behind); false, and nothing kept, when the input ends early, or says a length of 0 or over
// kMaxKeptBytes.
bool readFrame(int fd, std::string &utf8);

// Writes one status character; a caller that has gone is no error.
void sendStatus(int fd, KeeperStatus status);

// The keeper's next status character within `timeoutMs` (-1: wait as long as it takes); 0 when
// the pipe ended or nothing came in time.
char readKeeperStatus(int statusFd, int timeoutMs);

} // namespace zimbrel
