#pragma once
// Driving programs on the test's own X server as a user would: xdotool for windows, keys and the
// mouse, xclip for the clipboard.

#include <QElapsedTimer>
#include <QPoint>
#include <QProcess>
#include <QStringList>
#include <QTest>

namespace zimbrel::testing {

// Runs a tool to its end; what it printed.
inline QByteArray run(const QStringList &command, const QByteArray &input = {})
{
    QProcess process;
    process.start(command.first(), command.mid(1));
    if (!process.waitForStarted(5000))
        return "<not started>";
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    process.waitForFinished(10000);
    return process.readAllStandardOutput();
}

inline void xdotool(const QStringList &arguments)
{
    run(QStringList{QStringLiteral("xdotool")} + arguments);
}

// The visible windows whose name matches the pattern.
inline QStringList windowsNamed(const QString &pattern)
{
    const QByteArray ids = run({QStringLiteral("xdotool"), QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), pattern});
    return QString::fromLatin1(ids).split(u'\n', Qt::SkipEmptyParts);
}

// Waits up to ten seconds for such a window; its id, or empty.
inline QString findWindow(const QString &pattern)
{
    QElapsedTimer timer;
    timer.start();
    QStringList windows;
    while ((windows = windowsNamed(pattern)).isEmpty() && timer.elapsed() < 10000)
        QTest::qWait(50);
    return windows.value(0);
}

// Waits up to `timeoutMs` for the condition; whether it came true. Unlike QTRY_*, a timeout is
// not a failure: the caller decides what it means.
template <typename Condition>
bool waitUntil(Condition condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(20);
    }
    return true;
}

inline QPoint windowPosition(const QString &id)
{
    QPoint at;
    const QByteArray shell =
        run({QStringLiteral("xdotool"), QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), id});
    for (const QByteArray &line : shell.split('\n')) {
        if (line.startsWith("X="))
            at.setX(line.mid(2).toInt());
        else if (line.startsWith("Y="))
            at.setY(line.mid(2).toInt());
    }
    return at;
}

// Presses the left button at `from`, moves to `to` and lets go there.
inline void drag(QPoint from, QPoint to, const char *button = "1")
{
    xdotool({QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
             QStringLiteral("mousedown"), QString::fromLatin1(button), QStringLiteral("mousemove"),
             QString::number((from.x() + to.x()) / 2), QString::number((from.y() + to.y()) / 2),
             QStringLiteral("mousemove"), QString::number(to.x()), QString::number(to.y()), QStringLiteral("mouseup"),
             QString::fromLatin1(button)});
}

inline void clickAt(QPoint at)
{
    xdotool({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"),
             QStringLiteral("1")});
}

} // namespace zimbrel::testing
