#include "wipe.h"

#include "core/secret.h"

namespace zimbrel {

// Writing through the constant data reaches every string that shares it, which is the point; text
// without an allocation of its own (a literal) holds no secret and is left alone.

void wipe(QString &text)
{
    if (!text.isEmpty() && text.data_ptr().d_ptr())
        wipeBytes(const_cast<QChar *>(text.constData()), size_t(text.size()) * sizeof(QChar));
    text.clear();
}

void wipe(QByteArray &bytes)
{
    if (!bytes.isEmpty() && bytes.data_ptr().d_ptr())
        wipeBytes(const_cast<char *>(bytes.constData()), size_t(bytes.size()));
    bytes.clear();
}

} // namespace zimbrel
