#include "cp1252.h"

#include "core/cp1252table.h"

#include <array>

namespace zimbrel {
namespace {

// 0x80..0x9F are the only bytes that differ from Latin-1.
constexpr const auto &kHighControls = kCp1252HighControls;

} // namespace

QChar ansiToChar(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kHighControls[byte - 0x80]);
    return QChar(char16_t(byte));
}

QString fromAnsi(QByteArrayView bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (char b : bytes)
        *out++ = ansiToChar(static_cast<unsigned char>(b));
    return text;
}

std::optional<unsigned char> charToAnsi(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return static_cast<unsigned char>(u);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == u)
            return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

bool isAnsiChar(QChar ch)
{
    return charToAnsi(ch).has_value();
}

std::optional<QByteArray> toAnsi(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    char *out = bytes.data();
    for (QChar ch : text) {
        const auto b = charToAnsi(ch);
        if (!b)
            return std::nullopt;
        *out++ = static_cast<char>(*b);
    }
    return bytes;
}

} // namespace zimbrel
