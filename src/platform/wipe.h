#pragma once
// Qt's texts wiped as core/secret.h wipes bytes: where a password has been, zeros.

#include <QByteArray>
#include <QString>

namespace zimbrel {

// Overwrites a text's characters in place (also where the text is shared), then empties it.
void wipe(QString &text);
void wipe(QByteArray &bytes);

} // namespace zimbrel
