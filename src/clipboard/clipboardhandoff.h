#pragma once
// The Qt side of the clipboard: the keeper of one password followed while the window is open, and
// Qt's own clipboard where no keeper can serve.
//
// On X11 and Wayland the clipboard lives only as long as the program that owns it, so a small
// keeper process owns it from the moment the password exists and serves it after the program has
// ended, until anything else takes the clipboard: zimbrel-wayland-keeper where the compositor
// offers the clipboard-control protocol (or, on GNOME without XWayland, through a focus window of
// its own), zimbrel-clipboard-keeper on X11, wl-copy only as the last resort (see
// clipboardRoutesFor()). Keepers are started fresh (never forked from the running GUI process) and
// get the text through a pipe, so the secret never shows on a command line or in the environment.
// Elsewhere (Qt's offscreen platform) the text goes on Qt's clipboard, with the hint
// "x-kde-passwordManagerHint: secret" that clipboard histories honour by not recording it.

#include "clipboard/keeperprotocol.h"
#include "clipboard/keeperstart.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace zimbrel {

inline constexpr const char *kPasswordHintFormat = kSecretHintType;

// Whether the password is on the clipboard, and for how long.
enum class CopyResult {
    Kept,      // on the clipboard, and stays after the program has ended
    UntilExit, // on the clipboard only while the program runs (no keeper could be started)
    NotCopied, // not on the clipboard (any more): it failed, or something else took it
    Replaced,  // a newer password of ours took its place
    ByWlCopy,  // on the clipboard through wl-copy, which keeps it in a file under /tmp
};

// The keeper of one password: started before the window exists, so the clipboard is ready while
// the window is still coming up, and followed afterwards, so the window can say when the password
// stops being the clipboard's content.
class ClipboardHandOff : public QObject
{
    Q_OBJECT
public:
    ClipboardHandOff() = default;
    ~ClipboardHandOff() override;

    // Starts the keeper of the first route of `platform` that takes the clipboard (Qt's route
    // starts nothing).
    void start(const QString &text, const QByteArray &platform, int clearAfterSeconds = 0);
    // Takes over a keeper that zimbrel-generator started before this program was loaded.
    void adopt(const StartedHelper &helper);
    bool decided() const { return m_decided; }
    // Qt's own clipboard is the only route (offscreen and other platforms).
    bool qtOnly() const { return m_qtOnly; }
    const StartedHelper &helper() const { return m_helper; }
    // Follows the keeper from now on (lost() and reaping); needs the application's event loop.
    void follow();

Q_SIGNALS:
    // The password stopped being the clipboard's content: Replaced or NotCopied.
    void lost(zimbrel::CopyResult why);

private:
    void statusReady();
    void ended();

    StartedHelper m_helper;
    bool m_decided = false;
    bool m_qtOnly = false;
    QSocketNotifier *m_notifier = nullptr;
};

// Empties Qt's clipboard.
void clearClipboard();

// Puts `text` on Qt's clipboard as plain text, marked as a secret.
void setSecretClipboardText(const QString &text);

// Publishes a password the way the platform allows. The old owner loses the clipboard to the new
// password, never to an empty clipboard in between that a clipboard manager could record: a
// keeper takes it straight from its last owner. Uses `handOff` when it was started before the
// window existed, else starts one now. Only where no keeper could be started at all on X11 does
// the program serve the clipboard itself. The result says what the user is told.
CopyResult publishSecret(const QString &text, ClipboardHandOff &handOff);

} // namespace zimbrel
