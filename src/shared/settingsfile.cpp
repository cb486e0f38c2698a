#include "settingsfile.h"

#include "core/engine.h"
#include "core/fdio.h"
#include "core/secret.h"

#include "core/settingslocation.h"
#include "platform/cp1252.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zimbrel {
namespace {

QString describeErrno(const QString &path, int error)
{
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

SettingsFiles locateSettingsFiles()
{
    const SettingsLocation found = findSettingsFile();
    SettingsFiles files;
    files.read = QFile::decodeName(QByteArray::fromStdString(found.path));
    const QString save = QFile::decodeName(QByteArray::fromStdString(settingsSavePath(found)));
    files.save = save.isEmpty() ? save : QFileInfo(save).absoluteFilePath();
    files.readOnly = found.place == SettingsPlace::SystemConfig;
    return files;
}

QString makeFoldersFor(const QString &path)
{
    return QFile::decodeName(
        QByteArray::fromStdString(makePrivateFolders(QFile::encodeName(QFileInfo(path).absolutePath()).toStdString())));
}

FileText ReadFileText(const QString &path, int linesNeeded)
{
    TextFile file = readTextFile(QFile::encodeName(path).constData(), linesNeeded);
    if (file.error != 0)
        return {{}, describeErrno(path, file.error), file.error};
    FileText text{fromAnsi(QByteArrayView(file.bytes.data(), qsizetype(file.bytes.size()))), {}};
    wipeString(file.bytes);
    return text;
}

QString WriteFileText(const QString &path, const QString &text)
{
    const std::optional<QByteArray> encoded = toAnsi(text);
    if (!encoded)
        return QStringLiteral("%1: the text holds characters that Windows-1252 cannot store").arg(path);
    const QByteArray content = *encoded + "\r\n";

    // Write through a symbolic link to the file it names, so the link stays a link; but only
    // through a link of the user's own: another user's link points wherever that user wants.
    QString target = path;
    const QFileInfo info(path);
    struct stat link;
    if (info.isSymLink() && lstat(QFile::encodeName(path).constData(), &link) == 0 && link.st_uid != geteuid())
        return describeErrno(path, EPERM);
    if (info.isSymLink()) {
        const QString canonical = info.canonicalFilePath();
        target = canonical.isEmpty() ? info.symLinkTarget() : canonical;
    }
    const QByteArray targetName = QFile::encodeName(target);

    // The replacement must not do what writing the file in place could not: a file this user may
    // not write (read-only, or another user's) stays as it is, and the save says why.
    struct stat old;
    const bool exists = stat(targetName.constData(), &old) == 0;
    if (exists && S_ISREG(old.st_mode) && faccessat(AT_FDCWD, targetName.constData(), W_OK, AT_EACCESS) != 0)
        return describeErrno(path, errno);

    const qsizetype slash = targetName.lastIndexOf('/');
    QByteArray temp = (slash >= 0 ? targetName.left(slash + 1) : QByteArray()) + ".";
    temp += (slash >= 0 ? targetName.mid(slash + 1) : targetName) + ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return describeErrno(path, errno);

    // The new file gets the old one's permissions and owner, or the usual ones for a new file. Its
    // owner can always read it: a settings file nobody can read makes the generator give
    // one-character passwords without a word.
    mode_t mode;
    bool keepOwner = false;
    if (exists) {
        mode = (old.st_mode & 07777) | S_IRUSR;
        keepOwner = old.st_uid != geteuid() || old.st_gid != getegid();
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }

    int error = writeAll(fd, content.constData(), size_t(content.size())) ? 0 : errno;
    // Only the owner matters enough to refuse: a group that cannot be kept is left to the system.
    if (error == 0 && keepOwner && fchown(fd, old.st_uid, old.st_gid) != 0 && old.st_uid != geteuid())
        error = errno;
    if (error == 0 && fchmod(fd, mode) != 0)
        error = errno;
    if (error == 0 && fsync(fd) != 0)
        error = errno;
    if (close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && rename(temp.constData(), targetName.constData()) != 0)
        error = errno;
    if (error != 0) {
        unlink(temp.constData());
        return describeErrno(path, error);
    }
    return {};
}

QStringList splitSettingsLines(const QString &text)
{
    // The engine's rule, on a byte for each character: a character Windows-1252 cannot hold (none
    // that a file read here gives) stands in as a byte that ends no line.
    std::string bytes;
    bytes.reserve(size_t(text.size()));
    for (QChar c : text) {
        const std::optional<unsigned char> byte = charToAnsi(c);
        bytes += byte ? char(*byte) : '?';
    }
    QStringList lines;
    qsizetype at = 0;
    for (const std::string &line : engine::splitSettingsLines(bytes)) {
        lines.append(text.mid(at, qsizetype(line.size())));
        at += qsizetype(line.size());
        // Past the line end it was split at.
        if (at < text.size())
            at += text.at(at) == u'\r' ? 2 : 1;
    }
    return lines;
}

} // namespace zimbrel
