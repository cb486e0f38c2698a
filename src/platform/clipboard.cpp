#include "clipboard.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

extern char **environ;

namespace zimbrel {

void clearClipboard()
{
    if (QClipboard *clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

void setSecretClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return;
    auto *data = new QMimeData;
    data->setText(text);
    data->setData(QString::fromLatin1(kPasswordHintFormat), QByteArrayLiteral("secret"));
    clipboard->setMimeData(data);
}

QString clipboardKeeperPath()
{
    const QString name = QStringLiteral("zimbrel-clipboard-keeper");
    const QString folder = QCoreApplication::applicationDirPath();
    // Beside the program (the build folder), in the helper folder of an installation wherever it
    // was moved to, then where it was installed.
    for (const QString &candidate : {folder + u'/' + name, folder + QStringLiteral("/../libexec/zimbrel/") + name}) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QStringLiteral(ZIMBREL_LIBEXECDIR) + u'/' + name;
}

bool startClipboardKeeper(const QString &text)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return false;
    const QByteArray program = QFile::encodeName(clipboardKeeperPath());
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own, so the helper outlives a terminal that closes with the program.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

    char *argv[] = {const_cast<char *>(program.constData()), nullptr};
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.constData(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(fds[0]);
    if (spawned != 0) {
        close(fds[1]);
        return false;
    }

    // The text is far smaller than a pipe's buffer, so this never waits for the helper; should
    // the helper have died already, the write fails instead of killing this process.
    std::signal(SIGPIPE, SIG_IGN);
    const QByteArray bytes = text.toUtf8();
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fds[1], bytes.constData() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += n;
    }
    close(fds[1]);
    return written == bytes.size();
}

} // namespace zimbrel
