#pragma once
// What the benchmarks share: timing a piece of work, and waiting for a window to be on screen.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <vector>

namespace zimbrel::bench {

// The median of `runs` timings of `work`, in microseconds.
inline double medianMicroseconds(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    times.reserve(runs);
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

inline void waitUntilExposed(QWidget *widget)
{
    while (!widget->windowHandle() || !widget->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

} // namespace zimbrel::bench
