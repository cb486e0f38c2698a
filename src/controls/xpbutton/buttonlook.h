#pragma once
// The look of the XP-style push button, as plain functions of its state: the shaded face, the
// dark-blue frame with its corner pixels, the orange hot rim, the blue focus and default rim,
// the plain and pressed edges, the disabled look and the caption with its relief. The button
// widget keeps the state and calls these to draw into its own image.

#include "platform/gdicanvas.h"

#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>

namespace zimbrel::xp {

// Draw states and caption styles.
enum DrawState : int { StateNormal = 0, StatePressed = 2 };
enum CaptionStyle : int { CaptionNormal = 0, CaptionHot = 1, CaptionPressed = 2, CaptionDisabled = 5 };

// Lightens (amount > 0) or darkens a colour; relative scales only the blue channel, by
// blue x amount / 192 truncated, so a darkened grey keeps a little less blue.
GdiColor ShiftColor(GdiColor color, int amount, bool relative);

inline constexpr GdiColor kBackColor = gdiRgb(215, 217, 221);

// An OLE colour as RGB: values with the top bit set name system colours (0x80000000 + the
// Windows colour index) and become the nearest colour of the desktop's palette; unknown system
// colours give 0, as a failed translation does.
GdiColor TranslateColor(quint32 oleColor);

struct ButtonPalette
{
    GdiColor FaceColor = gdiRgb(192, 192, 192);
    GdiColor LightColor = gdiRgb(240, 240, 240);
    GdiColor TextColor = 0;
    GdiColor HotTextColor = 0;
    GdiColor TransparentRGB = 0;
};

// The palette for a translated transparent colour.
ButtonPalette InitColors(GdiColor transparentRgb);

// The window shape: the rectangle with three pixels cut from each corner.
QRegion CreateButtonRegion(int width, int height);

struct CaptionRects
{
    GdiRect CaptionRect;
    GdiRect CaptionRectDown;
};

// Lays the caption out in a button of `width` x `height` beside a picture of `pictureWidth` x
// `pictureHeight` in `picturePosition` (0 left, 1 right, 2 above, 3 below, 4 behind); an unknown
// position starts from `previousDown` and is not centred.
CaptionRects CalcCaptionRect(int width, int height, int picturePosition, int pictureWidth, int pictureHeight,
                             const QString &caption, const QFont &font, const GdiRect &previousDown);

// The face shading alone, one line a row: darkening downwards (normal) or upwards (pressed).
void paintShading(GdiCanvas &canvas, int width, int height, GdiColor light, int state);

struct ButtonFace
{
    int width = 0;
    int height = 0;
    QString caption;
    QFont font;
    bool enabled = true;
    bool mouseOver = false;
    bool focusRim = false; // has the focus, or is shown as the default button
    int specialEffect = 0;
    CaptionRects captionRects;
    ButtonPalette palette;
};

// Redraws the whole button for `state`; returns the picture style to draw the picture with
// (0 normal, 1 pressed, 2 disabled), or -1 for an unknown state, which draws no caption either.
// `captionStyle` receives the style the caption was drawn in.
int renderButton(QImage &image, const ButtonFace &face, int state, int *captionStyle);

} // namespace zimbrel::xp
