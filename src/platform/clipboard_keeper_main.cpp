// zimbrel-clipboard-keeper: reads a text from standard input, puts it on the X11 clipboard as a
// secret and serves it until another program takes the clipboard, then exits.

#include "platform/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include <cstdio>
#include <unistd.h>

namespace {

// Passwords are at most a few hundred characters; anything past this is not ours to serve.
constexpr std::size_t kMaxInput = 1 << 20;

QByteArray readStandardInput()
{
    QByteArray input;
    char buffer[4096];
    while (static_cast<std::size_t>(input.size()) < kMaxInput) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0)
            break;
        input.append(buffer, n);
    }
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    // A helper in the background has no one to talk to: it may outlive the terminal it was
    // started from, and ends quietly when the X server goes away.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    // The pipe is read before any window-system work, so the writer is never kept waiting.
    const QByteArray input = readStandardInput();
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QClipboard *clipboard = QGuiApplication::clipboard();
    zimbrel::setSecretClipboardText(QString::fromUtf8(input));
    if (!clipboard->ownsClipboard())
        return 1;
    QObject::connect(clipboard, &QClipboard::changed, &app, [&](QClipboard::Mode mode) {
        if (mode == QClipboard::Clipboard && !clipboard->ownsClipboard())
            app.quit();
    });
    return app.exec();
}
