#include "userstore.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <sys/stat.h>

namespace zimbrel {

QString userStorePath(const QString &application)
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/zimbrel/") + application + QStringLiteral(".ini");
}

namespace {

// QSettings opens the file with a plain open(), which waits forever on a FIFO nobody writes to; a
// FIFO, folder or device of the store's name counts as absent, as settings.ini's does.
bool usable(const QString &path)
{
    struct stat info;
    return stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode);
}

} // namespace

QString GetSetting(const QString &application, const QString &section, const QString &key, const QString &fallback)
{
    if (!usable(userStorePath(application)))
        return fallback;
    QSettings store(userStorePath(application), QSettings::IniFormat);
    const QVariant value = store.value(section + u'/' + key);
    return value.isValid() ? value.toString() : fallback;
}

bool SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    if (!usable(userStorePath(application)))
        return false;
    QSettings store(userStorePath(application), QSettings::IniFormat);
    store.setValue(section + u'/' + key, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace zimbrel
