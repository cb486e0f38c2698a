#pragma once
// The system clipboard for secrets, and the window system the programs run on.
//
// On X11 (and in Wayland sessions through XWayland) the clipboard lives only as long as the
// program that owns it, so a small helper, zimbrel-clipboard-keeper, owns it from the moment the
// password exists and serves it after the program has ended, until any other owner appears. On
// Wayland without XWayland the password goes to wl-copy (wl-clipboard), which does the same
// there. Both are started fresh (never forked from the running GUI process) and get the text
// through a pipe, so the secret never shows on a command line or in the environment. Elsewhere
// (Qt's offscreen platform) the text goes on Qt's clipboard, with the hint
// "x-kde-passwordManagerHint: secret" that clipboard histories honour by not recording it.

#include "launch/platformchoice.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace zimbrel {

inline constexpr char kPasswordHintFormat[] = "x-kde-passwordManagerHint";

// What decides the window system: QT_QPA_PLATFORM as the user set it, DISPLAY, WAYLAND_DISPLAY.
struct PlatformEnvironment
{
    QByteArray qpaPlatform;
    QByteArray display;
    QByteArray waylandDisplay;
};

// The Qt platform to use (see choosePlatformName()).
QByteArray choosePlatform(const PlatformEnvironment &environment);

// Sets QT_QPA_PLATFORM to the choice when the user has not set it. Call before the QApplication
// is made.
void applyPlatformChoice();

ClipboardRoute clipboardRoute(const QByteArray &platform);

// Whether the password is on the clipboard, and for how long.
enum class CopyResult {
    Kept,      // on the clipboard, and stays after the program has ended
    UntilExit, // on the clipboard only while the program runs (no helper could be started)
    NotCopied, // not on the clipboard at all
};

// Hands the password to the helper of its route. Made before the window exists, so the
// clipboard is ready while the window is still coming up; asked for the outcome afterwards.
class ClipboardHandOff
{
public:
    ClipboardHandOff() = default;
    ClipboardHandOff(const ClipboardHandOff &) = delete;
    ClipboardHandOff &operator=(const ClipboardHandOff &) = delete;
    ~ClipboardHandOff();

    // Starts the keeper or wl-copy for the route and writes `text` into its pipe. Qt's route
    // starts nothing. Whether a helper was started.
    bool start(const QString &text, ClipboardRoute route);
    // Takes over a helper that zimbrel-generator started before this program was loaded (pid -1:
    // it could not start one), with its answer when that is known already.
    void adopt(ClipboardRoute route, pid_t pid, int statusFd, std::optional<CopyResult> known = std::nullopt);
    bool started() const { return m_pid > 0; }
    ClipboardRoute route() const { return m_route; }

    // The helper's answer, waiting for it at most `timeoutMs`: Kept, or NotCopied when it failed,
    // did not answer in time, or none was started.
    CopyResult wait(int timeoutMs);

private:
    ClipboardRoute m_route = ClipboardRoute::Qt;
    pid_t m_pid = -1;
    int m_statusFd = -1;
    std::optional<CopyResult> m_result;
};

// Empties Qt's clipboard.
void clearClipboard();

// Puts `text` on Qt's clipboard as plain text, marked as a secret.
void setSecretClipboardText(const QString &text);

// Publishes a password the way the platform allows. The old owner loses the clipboard to the new
// password, never to an empty clipboard in between that a clipboard manager could record: a
// helper takes it straight from its last owner. Uses `handOff` when it was
// started before the window existed, else starts one now. The result says what the user is told.
CopyResult publishSecret(const QString &text, ClipboardHandOff &handOff);

// Where the keeper is looked for: beside the running program, then in ../libexec/zimbrel next to
// it, then in the folder it was installed to.
QString clipboardKeeperPath();

// Overwrites a text's characters in place (also where the text is shared), then empties it.
void wipe(QString &text);
void wipe(QByteArray &bytes);

} // namespace zimbrel
