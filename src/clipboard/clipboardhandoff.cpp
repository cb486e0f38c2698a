#include "clipboardhandoff.h"

#include "core/secret.h"
#include "platform/wipe.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSocketNotifier>

#include <algorithm>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace zimbrel {

ClipboardHandOff::~ClipboardHandOff()
{
    // The keeper lives on by design; only the pipe that follows it is closed here.
    if (m_helper.statusFd >= 0)
        close(m_helper.statusFd);
}

void ClipboardHandOff::start(const QString &text, const QByteArray &platform, int clearAfterSeconds)
{
    if (m_decided)
        return;
    m_decided = true;
    const std::vector<ClipboardRoute> routes = clipboardRoutes(platform.toStdString());
    m_qtOnly = routes == std::vector<ClipboardRoute>{ClipboardRoute::Qt};
    if (m_qtOnly)
        return;
    QByteArray bytes = text.toUtf8();
    std::string utf8(bytes.constData(), size_t(bytes.size()));
    wipe(bytes);
    KeeperOptions options;
    options.clearAfterSeconds = clearAfterSeconds;
    m_helper = startClipboardKeeper(routes, utf8, options);
    wipeString(utf8);
}

void ClipboardHandOff::adopt(const StartedHelper &helper)
{
    m_decided = true;
    m_qtOnly = false;
    m_helper = helper;
}

void ClipboardHandOff::follow()
{
    if (m_helper.statusFd < 0 || m_notifier)
        return;
    m_notifier = new QSocketNotifier(m_helper.statusFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ClipboardHandOff::statusReady);
}

void ClipboardHandOff::statusReady()
{
    const char status = readKeeperStatus(m_helper.statusFd, 0);
    if (status == char(KeeperStatus::Replaced)) {
        Q_EMIT lost(CopyResult::Replaced);
    } else if (status == char(KeeperStatus::Lost)) {
        Q_EMIT lost(CopyResult::NotCopied);
    } else if (status == 0) {
        ended();
    }
    // "c": the keeper gave the clipboard up when it was asked to; nothing to tell.
}

void ClipboardHandOff::ended()
{
    // The keeper has gone (its end of the pipe closes as it exits): reaped at once, so no zombie
    // is left while the window is still open.
    m_notifier->setEnabled(false);
    m_notifier->deleteLater();
    m_notifier = nullptr;
    close(m_helper.statusFd);
    m_helper.statusFd = -1;
    if (m_helper.pid > 0) {
        waitpid(m_helper.pid, nullptr, 0);
        m_helper.pid = -1;
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
    if (!handOff.decided())
        handOff.start(text, QGuiApplication::platformName().toLatin1());
    handOff.follow();
    if (handOff.qtOnly()) {
        // Qt's own clipboard (offscreen, vnc, ...) lives in this process: the text goes with it.
        clearClipboard();
        setSecretClipboardText(text);
        return CopyResult::UntilExit;
    }
    switch (handOff.helper().answer) {
    case KeeperAnswer::Owned:
        return CopyResult::Kept;
    case KeeperAnswer::Replaced:
        return CopyResult::Replaced;
    case KeeperAnswer::ByWlCopy:
        return CopyResult::ByWlCopy;
    case KeeperAnswer::Failed:
        // A keeper that could not take the clipboard lost a race or was refused; taking it here
        // would push out whichever keeper won.
        return CopyResult::NotCopied;
    case KeeperAnswer::NotStarted:
        break;
    }
    // No keeper could be started (an incomplete installation). On X11 the program serves the
    // clipboard itself while it runs; a Wayland compositor gives the clipboard only to a window
    // that had input, which a window started from a hotkey has not.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return CopyResult::NotCopied;
    clearClipboard();
    setSecretClipboardText(text);
    return CopyResult::UntilExit;
}

} // namespace zimbrel
