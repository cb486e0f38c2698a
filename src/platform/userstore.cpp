#include "userstore.h"

#include "core/settingslocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>

namespace zimbrel {

QString userStorePath(const QString &application)
{
    // Without any home (no HOME, no entry in the password database) there is no store, rather
    // than one in "/".
    const QString base = QFile::decodeName(QByteArray::fromStdString(userConfigHome()));
    return base.isEmpty() ? QString() : base + QStringLiteral("/zimbrel/") + application + QStringLiteral(".ini");
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
    const QString path = userStorePath(application);
    if (path.isEmpty() || !usable(path))
        return fallback;
    QSettings store(path, QSettings::IniFormat);
    const QVariant value = store.value(section + u'/' + key);
    return value.isValid() ? value.toString() : fallback;
}

bool SaveSetting(const QString &application, const QString &section, const QString &key, const QString &value)
{
    const QString path = userStorePath(application);
    if (path.isEmpty() || !usable(path))
        return false;
    // QSettings would make the folder readable by everyone.
    if (!makePrivateFolders(QFile::encodeName(QFileInfo(path).path()).toStdString()).empty())
        return false;
    QSettings store(path, QSettings::IniFormat);
    store.setValue(section + u'/' + key, value);
    store.sync();
    return store.status() == QSettings::NoError;
}

} // namespace zimbrel
