#include "clipboard.h"

#include "launch/helperspawn.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace zimbrel {

namespace {

qint64 nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

} // namespace

QByteArray choosePlatform(const PlatformEnvironment &environment)
{
    return QByteArray::fromStdString(choosePlatformName(environment.qpaPlatform.toStdString(),
                                                        environment.display.toStdString(),
                                                        environment.waylandDisplay.toStdString()));
}

void applyPlatformChoice()
{
    applyPlatformChoiceToEnvironment();
}

ClipboardRoute clipboardRoute(const QByteArray &platform)
{
    return clipboardRouteFor(platform.toStdString());
}

ClipboardHandOff::~ClipboardHandOff()
{
    if (m_statusFd >= 0)
        close(m_statusFd);
    // wl-copy's first process ends as soon as its background copy serves the text; reaping it
    // here leaves no zombie behind. The keeper is never waited for: it lives on by design.
    if (m_pid > 0 && m_route == ClipboardRoute::WlCopy)
        waitpid(m_pid, nullptr, WNOHANG);
}

bool ClipboardHandOff::start(const QString &text, ClipboardRoute route)
{
    m_route = route;
    if (route == ClipboardRoute::Qt || m_pid > 0)
        return false;
    QByteArray bytes = text.toUtf8();
    std::string utf8(bytes.constData(), size_t(bytes.size()));
    wipe(bytes);
    const StartedHelper helper =
        startClipboardHelper(route, utf8, QFile::encodeName(clipboardKeeperPath()).toStdString());
    wipeString(utf8);
    adopt(route, helper.pid, helper.statusFd);
    if (helper.pid > 0 && !helper.written)
        m_result = CopyResult::NotCopied;
    return helper.pid > 0;
}

void ClipboardHandOff::adopt(ClipboardRoute route, pid_t pid, int statusFd, std::optional<CopyResult> known)
{
    m_route = route;
    m_pid = pid;
    m_statusFd = statusFd;
    if (known)
        m_result = known;
}

CopyResult ClipboardHandOff::wait(int timeoutMs)
{
    if (m_result)
        return *m_result;
    if (m_pid <= 0)
        return *(m_result = CopyResult::NotCopied);
    const qint64 deadline = nowMs() + timeoutMs;
    if (m_route == ClipboardRoute::Keeper) {
        // The keeper says "1" once it owns the clipboard; an end of the pipe without it is a no.
        char answer = 0;
        for (;;) {
            pollfd fd{m_statusFd, POLLIN, 0};
            const int left = int(std::max<qint64>(0, deadline - nowMs()));
            const int ready = poll(&fd, 1, left);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready > 0 && read(m_statusFd, &answer, 1) < 0 && errno == EINTR)
                continue;
            break;
        }
        close(m_statusFd);
        m_statusFd = -1;
        return *(m_result = answer == '1' ? CopyResult::Kept : CopyResult::NotCopied);
    }
    // wl-copy's first process exits once the text is offered (0), or with an error.
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_pid = 0;
            const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            return *(m_result = ok ? CopyResult::Kept : CopyResult::NotCopied);
        }
        if (done < 0 || nowMs() >= deadline)
            return *(m_result = CopyResult::NotCopied);
        usleep(2000);
    }
}

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
    // A copy of its own, which outlives the caller's wiping of the text.
    data->setText(QString(text.constData(), text.size()));
    data->setData(QString::fromLatin1(kPasswordHintFormat), QByteArrayLiteral("secret"));
    clipboard->setMimeData(data);
}

CopyResult publishSecret(const QString &text, ClipboardHandOff &handOff)
{
    if (!handOff.started())
        handOff.start(text, clipboardRoute(QGuiApplication::platformName().toLatin1()));
    switch (handOff.route()) {
    case ClipboardRoute::Qt:
        clearClipboard();
        setSecretClipboardText(text);
        return CopyResult::Kept;
    case ClipboardRoute::Keeper:
        if (handOff.wait(2000) == CopyResult::Kept)
            return CopyResult::Kept;
        // Without its keeper the program serves the clipboard itself, while it runs.
        clearClipboard();
        setSecretClipboardText(text);
        return CopyResult::UntilExit;
    case ClipboardRoute::WlCopy:
        // A Wayland compositor takes the clipboard only from a window that had input, which a
        // window started from a hotkey has not; without wl-copy it is not copied.
        return handOff.wait(2000);
    }
    return CopyResult::NotCopied;
}

QString clipboardKeeperPath()
{
    return QFile::decodeName(helperPath("zimbrel-clipboard-keeper").c_str());
}

void wipe(QString &text)
{
    // Writing through the constant data reaches every string that shares it, which is the point;
    // text without an allocation of its own (a literal) holds no secret and is left alone.
    if (!text.isEmpty() && text.data_ptr().d_ptr())
        std::fill_n(const_cast<QChar *>(text.constData()), text.size(), QChar(0));
    text.clear();
}

void wipe(QByteArray &bytes)
{
    if (!bytes.isEmpty() && bytes.data_ptr().d_ptr())
        std::memset(const_cast<char *>(bytes.constData()), 0, size_t(bytes.size()));
    bytes.clear();
}

} // namespace zimbrel
