#include "twips.h"

#include <QGuiApplication>
#include <QScreen>

namespace zimbrel {

QRect primaryScreenPixels()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace zimbrel
