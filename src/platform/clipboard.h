#pragma once
// The system clipboard for secrets.
//
// The text goes out with the hint "x-kde-passwordManagerHint: secret", which clipboard histories
// (Klipper, GNOME's and others) honour by not recording it. On X11 the clipboard lives only as
// long as the program that owns it, so a small helper process, zimbrel-clipboard-keeper, takes the
// text over and keeps serving it after the program has ended, until another program takes the
// clipboard. The helper is started fresh (never forked from the running GUI process) and gets the
// text through a pipe, so the secret never shows on a command line.

#include <QString>

namespace zimbrel {

inline constexpr char kPasswordHintFormat[] = "x-kde-passwordManagerHint";

// Empties the clipboard.
void clearClipboard();

// Puts `text` on the clipboard as plain text, marked as a secret.
void setSecretClipboardText(const QString &text);

// Where the helper is looked for: beside the running program, then in ../libexec/zimbrel next to
// it, then in the folder it was installed to.
QString clipboardKeeperPath();

// Hands `text` to a detached helper that serves it on the X11 clipboard. Does nothing (and
// returns false) on other window systems or when the helper cannot be started.
bool startClipboardKeeper(const QString &text);

} // namespace zimbrel
