#pragma once
// The look of the XP-style push button, as plain functions of its state: the shaded face, the
// dark-blue frame with its corner pixels, the orange hot rim, the blue focus and default rim,
// the plain and pressed edges, the disabled look and the caption with its relief. The button
// widget keeps the state and calls these to draw into its own image.

#include "controls/xpbutton/buttonpicture.h"
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
BgrColor ShiftColor(BgrColor color, int amount, bool relative);

inline constexpr BgrColor kBackColor = bgr(215, 217, 221);

// An OLE colour as RGB: values with the top bit set name system colours (0x80000000 + the
// Windows colour index) and become the nearest colour of the desktop's palette; unknown system
// colours give 0, as a failed translation does.
BgrColor TranslateColor(quint32 oleColor);

struct ButtonPalette
{
    BgrColor FaceColor = bgr(192, 192, 192);
    BgrColor LightColor = bgr(240, 240, 240);
    BgrColor TextColor = 0;
    BgrColor HotTextColor = 0;
    BgrColor TransparentRGB = 0;
};

// The palette for a translated transparent colour.
ButtonPalette InitColors(BgrColor transparentRgb);

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
void paintShading(GdiCanvas &canvas, int width, int height, BgrColor light, int state);

// Where the picture goes and how big it is, in pixels.
struct PictureLayout
{
    int PictureLeft = 0;
    int PictureTop = 0;
    int PictureWidth = 0;
    int PictureHeight = 0;
};

// The picture's size from `PictureNormal` (0 x 0 without one).
void CalcPictureSize(PictureLayout &layout, const ButtonPicture *pictureNormal);

// Places the picture beside the caption, or centres it when the caption is blank or the picture
// lies behind it; nothing changes while the button has no picture at all.
void CalcPicturePos(PictureLayout &layout, bool hasPicture, const QString &caption, int picturePosition,
                    const GdiRect &captionRect, int width, int height);

// The colour an icon's transparent parts take before the blit.
inline constexpr BgrColor kMaskColor = bgr(192, 192, 192);

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
    PicturePtr pictureNormal;
    PicturePtr pictureOver;
    int picturePosition = 0;
    bool useMaskColor = true;
    bool useGreyscale = false;
    PictureLayout picture;
};

// The picture for a style (0 normal, 1 pressed, 2 disabled), with its relief; over a picture
// behind the caption the caption is drawn again in `captionStyle`.
void DrawPicture(QImage &image, const ButtonFace &face, int style, int captionStyle);
// The relief behind the picture: one or two silhouettes, as the caption's relief.
void DrawPictureEffect(QImage &image, const ButtonFace &face, int offset, const ButtonPicture &picture);

// Redraws the whole button for `state`, its picture last; returns the picture style used
// (0 normal, 1 pressed, 2 disabled), or -1 for an unknown state, which draws no caption or
// picture. `captionStyle` receives the style the caption was drawn in.
int renderButton(QImage &image, const ButtonFace &face, int state, int *captionStyle);

} // namespace zimbrel::xp
