#include "userstore.h"

#include <QDir>
#include <QSettings>

namespace zimbrel {

QString userStorePath(const QString &application)
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/zimbrel/") + application + QStringLiteral(".ini");
}

QString GetSetting(const QString &application, const QString &section, const QString &key, const QString &fallback)
{
    QSettings store(userStorePath(application), QSettings::IniFormat);
    const QVariant value = store.value(section + u'/' + key);
    return value.isValid() ? value.toString() : fallback;
}

bool SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    QSettings store(userStorePath(application), QSettings::IniFormat);
    store.setValue(section + u'/' + key, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace zimbrel
