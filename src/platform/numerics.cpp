#include "numerics.h"

#include "core/localenumbers.h"

#include <QByteArray>
#include <cmath>

namespace zimbrel {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

double leadingNumber(QStringView text)
{
    // Collect the characters of the number without its blanks, then let the C-locale parser
    // convert them, so "." is the decimal point whatever the user's locale is.
    QByteArray number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    skipBlanks();
    if (i < n && (text[i] == u'-' || text[i] == u'+')) {
        number += char(text[i].unicode());
        ++i;
    }
    bool digits = false;
    bool point = false;
    for (skipBlanks(); i < n; ++i, skipBlanks()) {
        const QChar c = text[i];
        if (isDigit(c)) {
            number += char(c.unicode());
            digits = true;
        } else if (c == u'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    if (i < n && (text[i].toLower() == u'e' || text[i].toLower() == u'd')) {
        // The exponent counts only when digits follow it.
        qsizetype j = i + 1;
        QByteArray exponent("e");
        while (j < n && isBlank(text[j]))
            ++j;
        if (j < n && (text[j] == u'-' || text[j] == u'+'))
            exponent += char(text[j++].unicode());
        bool expDigits = false;
        for (; j < n; ++j) {
            if (isBlank(text[j]))
                continue;
            if (!isDigit(text[j]))
                break;
            exponent += char(text[j].unicode());
            expDigits = true;
        }
        if (expDigits)
            number += exponent;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

std::optional<double> localeNumber(QStringView text)
{
    // One reader of the numbers users write, also where no toolkit is loaded.
    return readUserNumber(std::u16string_view(text.utf16(), size_t(text.size())));
}

QString singleToText(float value)
{
    if (value == std::trunc(value) && std::fabs(value) < 1e7f)
        return QString::number(static_cast<qint64>(value));
    return QString::number(value, 'G', 7);
}

} // namespace zimbrel
