#pragma once
// Windows-1252, the code page the settings file is written in. The programs were first used on
// Windows, so a file made there must read the same here, whatever the locale of this machine.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace zimbrel {

// Every byte maps to exactly one character; the five bytes Windows leaves undefined (81, 8D, 8F,
// 90, 9D) map to the C1 control characters of the same number, so all 256 bytes round-trip.
QChar ansiToChar(unsigned char byte);
QString fromAnsi(QByteArrayView bytes);

// The byte for a character, or nothing when the code page cannot hold it.
std::optional<unsigned char> charToAnsi(QChar ch);
bool isAnsiChar(QChar ch);

// The text in the code page; nothing when any character cannot be held.
std::optional<QByteArray> toAnsi(QStringView text);

} // namespace zimbrel
