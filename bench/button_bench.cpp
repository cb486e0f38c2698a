#include "benchutil.h"
#include "button_bench.h"

#include "controls/xpbutton/buttonlook.h"

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

using namespace zimbrel::bench;

using namespace zimbrel;
using namespace zimbrel::xp;

void benchButton(void (*print)(const char *, const QString &))
{
    constexpr int W = 105;
    constexpr int H = 33;
    QImage image(W, H, QImage::Format_RGB32);
    ButtonFace face;
    face.width = W;
    face.height = H;
    face.caption = QStringLiteral("Save");
    face.font = QFont(QStringLiteral("MS Sans Serif"));
    face.font.setPointSizeF(8.25);
    face.specialEffect = 3;
    face.palette = InitColors(0);
    face.captionRects = CalcCaptionRect(W, H, 0, 0, 0, face.caption, face.font, {});

    struct Look
    {
        const char *name;
        int state;
        bool enabled, over, focus;
    };
    const Look looks[] = {{"normal", 0, true, false, false},
                          {"hot", 0, true, true, false},
                          {"focus", 0, true, false, true},
                          {"pressed", 2, true, false, false},
                          {"disabled", 0, false, false, false}};
    double slowest = 0;
    for (const Look &look : looks) {
        face.enabled = look.enabled;
        face.mouseOver = look.over;
        face.focusRim = look.focus;
        renderButton(image, face, look.state, nullptr);
        const double us = medianMicroseconds(301, [&] { renderButton(image, face, look.state, nullptr); });
        print(qPrintable(QStringLiteral("button_redraw_us_%1").arg(QLatin1String(look.name))),
              QString::number(us, 'f', 1) + QStringLiteral("us"));
        slowest = std::max(slowest, us);
    }
    int shade = 0;
    const double fill = medianMicroseconds(301, [&] { image.fill(qRgb(++shade & 0xFF, 0, 0)); });
    print("button_redraw_us", QString::number(slowest, 'f', 1) + QStringLiteral("us"));
    print("button_fill_us", QString::number(fill, 'f', 2) + QStringLiteral("us"));
    print("button_redraw_fill_ratio", QString::number(slowest / fill, 'f', 1) + u'x');
}
