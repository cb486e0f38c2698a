#pragma once
// Where a form keeps the design data of its controls: values by key, keys matched without regard
// to case, each value typed (text, whole number, Boolean as -1 / 0, font, or nothing). A bag can
// be written as text, one "key = value" line each, and read back from it.

#include <QFont>
#include <QString>
#include <QVariant>
#include <QList>
#include <utility>

namespace zimbrel {

class PropertyBag
{
public:
    // The stored value, or `fallback` when the key is not there.
    QVariant ReadProperty(const QString &key, const QVariant &fallback = {}) const;
    void WriteProperty(const QString &key, const QVariant &value);
    bool contains(const QString &key) const;
    QStringList keys() const;

    // Text form: strings in double quotes (a quote doubled inside), numbers plain, Booleans -1 or 0
    // (written as -1 'True / 0 'False), fonts as font("family", points, bold, italic, underline),
    // nothing as Nothing. Unknown lines are skipped when reading.
    QString toText() const;
    static PropertyBag fromText(const QString &text);

private:
    qsizetype indexOf(const QString &key) const;
    QList<std::pair<QString, QVariant>> m_entries;
};

} // namespace zimbrel
