#include "propertybag.h"

#include "buttonpicture.h"

#include <QRegularExpression>

#include <optional>

namespace zimbrel {

qsizetype PropertyBag::indexOf(const QString &key) const
{
    for (qsizetype i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].first.compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QVariant PropertyBag::ReadProperty(const QString &key, const QVariant &fallback) const
{
    const qsizetype i = indexOf(key);
    return i >= 0 ? m_entries[i].second : fallback;
}

void PropertyBag::WriteProperty(const QString &key, const QVariant &value)
{
    const qsizetype i = indexOf(key);
    if (i >= 0)
        m_entries[i].second = value;
    else
        m_entries.append({key, value});
}

bool PropertyBag::contains(const QString &key) const
{
    return indexOf(key) >= 0;
}

QStringList PropertyBag::keys() const
{
    QStringList all;
    for (const auto &entry : m_entries)
        all << entry.first;
    return all;
}

namespace {

// A text in quotes (a quote doubled inside). Line breaks cannot stand inside a line of the text
// form, so they are written as the named constants joined with "&", as in
// "Line 1" & vbCrLf & "Line 2".
QString quoted(const QString &text)
{
    QStringList parts;
    QString run;
    const auto flush = [&] {
        if (!run.isEmpty() || parts.isEmpty())
            parts << u'"' + QString(run).replace(u'"', QStringLiteral("\"\"")) + u'"';
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n') {
            run += c;
            continue;
        }
        const bool pair = c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n';
        if (!run.isEmpty())
            flush();
        parts << (pair ? QStringLiteral("vbCrLf") : c == u'\r' ? QStringLiteral("vbCr") : QStringLiteral("vbLf"));
        if (pair)
            ++i;
    }
    if (!run.isEmpty() || parts.isEmpty())
        flush();
    return parts.join(QStringLiteral(" & "));
}

// A font family inside font(...): plain quotes, a quote doubled inside. A line feed, which no
// family name has, would end the line and is left out.
QString quotedFamily(const QString &family)
{
    QString escaped = family;
    escaped.remove(u'\n');
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

// The text of a value written by quoted(); nothing when it is not one.
std::optional<QString> unquoted(const QString &value)
{
    QString text;
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < value.size() && value.at(i) == u' ')
            ++i;
    };
    for (;;) {
        skipBlanks();
        if (i < value.size() && value.at(i) == u'"') {
            ++i;
            for (;;) {
                if (i >= value.size())
                    return std::nullopt;
                if (value.at(i) == u'"') {
                    if (i + 1 < value.size() && value.at(i + 1) == u'"') {
                        text += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                text += value.at(i++);
            }
        } else if (value.mid(i, 6) == QStringLiteral("vbCrLf")) {
            text += QStringLiteral("\r\n");
            i += 6;
        } else if (value.mid(i, 4) == QStringLiteral("vbCr")) {
            text += u'\r';
            i += 4;
        } else if (value.mid(i, 4) == QStringLiteral("vbLf")) {
            text += u'\n';
            i += 4;
        } else {
            return std::nullopt;
        }
        skipBlanks();
        if (i == value.size())
            return text;
        if (value.at(i) != u'&')
            return std::nullopt;
        ++i;
    }
}

QString valueText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("-1 'True") : QStringLiteral("0 'False");
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::LongLong:
        return QString::number(value.toLongLong());
    case QMetaType::QFont: {
        const QFont font = value.value<QFont>();
        return QStringLiteral("font(%1, %2, %3, %4, %5)")
            .arg(quotedFamily(font.family()), QString::number(font.pointSizeF()), QString::number(font.bold() ? -1 : 0),
                 QString::number(font.italic() ? -1 : 0), QString::number(font.underline() ? -1 : 0));
    }
    case QMetaType::UnknownType:
        return QStringLiteral("Nothing");
    default:
        if (value.canConvert<PicturePtr>()) {
            const PicturePtr picture = value.value<PicturePtr>();
            return picture ? picture->toText() : QStringLiteral("Nothing");
        }
        return quoted(value.toString());
    }
}

QVariant parseValue(const QString &text)
{
    static const QRegularExpression boolean(QStringLiteral("^(-1|0)\\s*'(True|False)$"));
    static const QRegularExpression number(QStringLiteral("^-?\\d+$"));
    static const QRegularExpression font(
        QStringLiteral("^font\\(\"((?:[^\"]|\"\")*)\",\\s*(-?[\\d.]+),\\s*(-1|0),\\s*(-1|0),\\s*(-1|0)\\)$"));
    if (text == QStringLiteral("Nothing"))
        return {};
    if (const auto m = boolean.match(text); m.hasMatch())
        return m.captured(1) == QStringLiteral("-1");
    if (number.match(text).hasMatch())
        return text.toInt();
    if (const auto m = font.match(text); m.hasMatch()) {
        QFont f;
        f.setFamilies({m.captured(1).replace(QStringLiteral("\"\""), QStringLiteral("\""))});
        // A font without a size of its own (written as -1) keeps the default size; so does a
        // size that is no number or not above 0, which QFont would refuse anyway.
        bool ok = false;
        const double points = m.captured(2).toDouble(&ok);
        if (ok && points > 0 && points < 4096)
            f.setPointSizeF(points);
        f.setBold(m.captured(3) == QStringLiteral("-1"));
        f.setItalic(m.captured(4) == QStringLiteral("-1"));
        f.setUnderline(m.captured(5) == QStringLiteral("-1"));
        return f;
    }
    if (text.startsWith(QStringLiteral("picture("))) {
        const PicturePtr picture = ButtonPicture::fromText(text);
        return picture ? QVariant::fromValue(picture) : QVariant();
    }
    if (const std::optional<QString> string = unquoted(text))
        return *string;
    return {};
}

} // namespace

QString PropertyBag::toText() const
{
    QString text;
    for (const auto &[key, value] : m_entries)
        text += key + QStringLiteral(" = ") + valueText(value) + u'\n';
    return text;
}

PropertyBag PropertyBag::fromText(const QString &text)
{
    PropertyBag bag;
    for (const QString &line : text.split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (!key.isEmpty())
            bag.WriteProperty(key, parseValue(value));
    }
    return bag;
}

} // namespace zimbrel
