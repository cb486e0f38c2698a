#pragma once
// Starting the clipboard's keepers (zimbrel-wayland-keeper, zimbrel-clipboard-keeper, wl-copy as the
// last resort) with the password in a pipe. Plain C++, so that the generator can hand the password
// over before it loads the GUI toolkit.

#include "routes.h"

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zimbrel {

// How the clipboard was taken.
enum class KeeperAnswer : char {
    Owned = '1',      // a keeper owns it
    Replaced = 'r',   // a newer password of ours took it before this one's keeper answered
    Failed = '0',     // a keeper was started but did not take it
    NotStarted = 'n', // no keeper could be started on any route
    ByWlCopy = 'l',   // no keeper has a way on this compositor; wl-copy serves it
};

struct StartedHelper
{
    pid_t pid = -1;    // the keeper, a child of this process, while it lives (-1: none, or reaped)
    int statusFd = -1; // the keeper's later status characters (KeeperStatus); ends when it ends
    KeeperAnswer answer = KeeperAnswer::NotStarted;
};

struct KeeperOptions
{
    int clearAfterSeconds = 0; // 0: the keeper serves until something else takes the clipboard
    int answerTimeoutMs = 3000;
    // How long a keeper that says it waits for a busy window system is waited for, after it said so.
    int waitingTimeoutMs = 25000;
    bool wlCopySensitive = false; // wl-copy --sensitive (wl-clipboard 2.2 and later)
    // Where the keepers are; empty: this installation's (helperPath()).
    std::string keeperFolder;
};

struct Spawned;

// Starting a keeper in two steps, so that it connects to its window system while the password is
// still being made: the first route's keeper starts at once and waits for its password; handOver()
// gives it the password (as a frame, see keeperprotocol.h) and waits for its first answer. A keeper
// that finds no way on its window system, or cannot be started or ends without a word, hands on to
// the next route; one that has a way but fails, or does not answer in time, does not: another
// route would not do better on a busy window system, and wl-copy (the last) keeps the password in
// a file. wl-copy is asked to mark it as secret (--sensitive) where it knows how.
// Keepers run in a session of their own, with standard output and error on /dev/null. Helpers are
// found beside the program (helperPath) or, for wl-copy, on PATH (the system's default path when
// PATH is unset), never in the current folder. A keeper never handed a password ends without
// touching the clipboard.
class KeeperStart
{
public:
    explicit KeeperStart(std::vector<ClipboardRoute> routes, const KeeperOptions &options = {});
    KeeperStart(const KeeperStart &) = delete;
    KeeperStart &operator=(const KeeperStart &) = delete;
    ~KeeperStart();

    // An empty password starts nothing (answer NotStarted) and leaves the clipboard alone.
    StartedHelper handOver(const std::string &utf8);

private:
    void startNext();

    std::vector<ClipboardRoute> m_routes;
    KeeperOptions m_options;
    size_t m_next = 0;
    std::unique_ptr<Spawned> m_current;
    bool m_anyStarted = false;
};

// Both steps at once.
StartedHelper startClipboardKeeper(const std::vector<ClipboardRoute> &routes, const std::string &utf8,
                                   const KeeperOptions &options = {});

} // namespace zimbrel
