#include "buttonlook.h"

#include "platform/numerics.h"

#include <QGuiApplication>
#include <QPalette>

namespace zimbrel::xp {
namespace {

struct RimColors
{
    BgrColor frame, bottom, top, secondTop, sides;
};

constexpr RimColors kHotRim{bgr(255, 178, 49), bgr(231, 150, 0), bgr(255, 243, 206), bgr(255, 219, 140),
                            bgr(255, 203, 107)};
constexpr RimColors kFocusRim{bgr(140, 174, 231), bgr(107, 130, 239), bgr(206, 231, 255), bgr(189, 215, 247),
                              bgr(181, 209, 240)};
constexpr BgrColor kFrame = bgr(0, 60, 115);
constexpr BgrColor kFrameCorner = bgr(16, 77, 123);

void drawRim(GdiCanvas &c, int w, int h, const RimColors &rim)
{
    c.frameRect(1, 2, w - 2, h - 4, rim.frame);
    c.line(2, h - 2, w - 2, h - 2, rim.bottom);
    c.line(2, 1, w - 2, 1, rim.top);
    c.line(1, 2, w - 1, 2, rim.secondTop);
    c.line(2, 3, 2, h - 3, rim.sides);
    c.line(w - 3, 3, w - 3, h - 3, rim.sides);
}

void drawFrame(GdiCanvas &c, int w, int h, BgrColor frame, BgrColor corner)
{
    c.frameRect(0, 0, w, h, frame);
    c.setPixel(1, 1, corner);
    c.setPixel(1, h - 2, corner);
    c.setPixel(w - 2, 1, corner);
    c.setPixel(w - 2, h - 2, corner);
}

void drawCaptionEffect(GdiCanvas &c, const ButtonFace &face, const GdiRect &rect)
{
    if (face.specialEffect <= 0)
        return;
    const BgrColor light = face.palette.LightColor;
    c.drawText(rect.offset(1, 1), face.caption, face.font,
               ShiftColor(light, face.specialEffect == 2 ? 40 : -40, false));
    if (face.specialEffect < 3)
        c.drawText(rect.offset(-1, -1), face.caption, face.font,
                   ShiftColor(light, face.specialEffect == 2 ? -40 : 40, false));
}

void drawCaption(GdiCanvas &c, const ButtonFace &face, int style)
{
    const GdiRect &up = face.captionRects.CaptionRect;
    const GdiRect &down = face.captionRects.CaptionRectDown;
    switch (style) {
    case CaptionNormal:
        drawCaptionEffect(c, face, up);
        c.drawText(up, face.caption, face.font, face.palette.TextColor);
        break;
    case CaptionHot:
        drawCaptionEffect(c, face, up);
        c.drawText(up, face.caption, face.font, face.palette.HotTextColor);
        break;
    case CaptionPressed:
        drawCaptionEffect(c, face, down);
        c.drawText(down, face.caption, face.font, face.palette.HotTextColor);
        break;
    case CaptionDisabled:
        c.drawText(up, face.caption, face.font, ShiftColor(face.palette.LightColor, -104, true));
        break;
    }
}

// The button without its picture; returns the picture style.
int paintFace(QImage &image, const ButtonFace &face, int state, int *captionStyle);

} // namespace

BgrColor ShiftColor(BgrColor color, int amount, bool relative)
{
    int r = redOf(color) + amount;
    int g = greenOf(color) + amount;
    int b = relative ? blueOf(color) + (blueOf(color) * amount) / 192 : blueOf(color) + amount;
    auto limit = [amount](int &v) {
        if (amount > 0 && v > 255)
            v = 255;
        if (amount < 0 && v < 0)
            v = 0;
    };
    limit(r);
    limit(g);
    limit(b);
    return BgrColor(r) + BgrColor(g) * 256 + BgrColor(b) * 65536;
}

BgrColor TranslateColor(quint32 oleColor)
{
    if (!(oleColor & 0x80000000u))
        return oleColor & 0x00FFFFFFu;
    // The Windows colour indexes and the palette roles that play their part here.
    struct SystemColor
    {
        quint32 index;
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    };
    static constexpr SystemColor table[] = {
        {1, QPalette::Active, QPalette::Window},
        {2, QPalette::Active, QPalette::Highlight},
        {3, QPalette::Inactive, QPalette::Highlight},
        {4, QPalette::Active, QPalette::Window},
        {5, QPalette::Active, QPalette::Base},
        {6, QPalette::Active, QPalette::Shadow},
        {7, QPalette::Active, QPalette::WindowText},
        {8, QPalette::Active, QPalette::Text},
        {9, QPalette::Active, QPalette::HighlightedText},
        {13, QPalette::Active, QPalette::Highlight},
        {14, QPalette::Active, QPalette::HighlightedText},
        {15, QPalette::Active, QPalette::Button},
        {16, QPalette::Active, QPalette::Dark},
        {17, QPalette::Disabled, QPalette::Text},
        {18, QPalette::Active, QPalette::ButtonText},
        {20, QPalette::Active, QPalette::Light},
        {21, QPalette::Active, QPalette::Shadow},
        {22, QPalette::Active, QPalette::Midlight},
        {23, QPalette::Active, QPalette::ToolTipText},
        {24, QPalette::Active, QPalette::ToolTipBase},
        {26, QPalette::Active, QPalette::Link},
    };
    const quint32 index = oleColor & 0xFFu;
    if ((oleColor & 0x7FFFFF00u) != 0)
        return 0;
    const QPalette palette = QGuiApplication::palette();
    for (const SystemColor &entry : table) {
        if (entry.index == index) {
            const QColor c = palette.color(entry.group, entry.role);
            return bgr(c.red(), c.green(), c.blue());
        }
    }
    return 0;
}

ButtonPalette InitColors(BgrColor transparentRgb)
{
    ButtonPalette palette;
    palette.FaceColor = bgr(192, 192, 192);
    palette.TextColor = 0;
    palette.HotTextColor = 0;
    palette.TransparentRGB = transparentRgb;
    palette.LightColor = ShiftColor(palette.FaceColor, 48, true);
    return palette;
}

QRegion CreateButtonRegion(int w, int h)
{
    // Rectangle regions order their corners themselves, as Windows' do.
    auto rect = [](int x1, int y1, int x2, int y2) {
        return QRegion(
            QRect(QPoint(std::min(x1, x2), std::min(y1, y2)), QPoint(std::max(x1, x2) - 1, std::max(y1, y2) - 1)));
    };
    QRegion region(0, 0, w, h);
    for (const QRegion &cut :
         {rect(0, 0, 2, 1), rect(0, h, 2, h - 1), rect(w, 0, w - 2, 1), rect(w, h, w - 2, h - 1), rect(0, 1, 1, 2),
          rect(0, h - 1, 1, h - 2), rect(w, 1, w - 1, 2), rect(w, h - 1, w - 1, h - 2)}) {
        region -= cut;
    }
    return region;
}

CaptionRects CalcCaptionRect(int w, int h, int position, int pw, int ph, const QString &caption, const QFont &font,
                             const GdiRect &previousDown)
{
    GdiRect bounds;
    switch (position) {
    case 0:
        bounds = {pw + 1, 1, w - 2, h - 2};
        break;
    case 1:
        bounds = {1, 1, w - pw - 2, h - 2};
        break;
    case 2:
        bounds = {1, ph + 1, w - 2, h - 2};
        break;
    case 3:
        bounds = {1, 1, w - 2, h - ph - 2};
        break;
    case 4:
        bounds = {1, 1, w - 2, h - 2};
        break;
    default:
        bounds = previousDown;
        break;
    }
    GdiRect r = GdiCanvas::measureText(bounds, caption, font);
    // Integer halves truncated toward zero: an odd leftover pixel goes to the right and bottom,
    // which keeps captions where the button designs place them.
    switch (position) {
    case 1:
        r = r.offset((w - r.right - pw - 4) / 2, (h - r.bottom) / 2);
        break;
    case 3:
        r = r.offset((w - r.right) / 2, (h - r.bottom - ph - 4) / 2);
        break;
    case 0:
    case 2:
    case 4:
        r = r.offset((w - r.right) / 2, (h - r.bottom) / 2);
        break;
    default:
        break;
    }
    return {r, r.offset(1, 1)};
}

void paintShading(GdiCanvas &c, int w, int h, BgrColor light, int state)
{
    const float step = float(25.0 / double(h));
    const BgrColor base = state == StatePressed ? ShiftColor(light, -32, true) : light;
    for (int i = 1; i <= h; ++i) {
        const int k = int(roundHalfEven(double(-step * float(i))));
        const int y = state == StatePressed ? h - i : i;
        c.line(0, y, w, y, ShiftColor(base, k, true));
    }
}

void CalcPictureSize(PictureLayout &layout, const ButtonPicture *pictureNormal)
{
    layout.PictureWidth = pictureNormal ? himetricToPixels(pictureNormal->widthHimetric()) : 0;
    layout.PictureHeight = pictureNormal ? himetricToPixels(pictureNormal->heightHimetric()) : 0;
}

void CalcPicturePos(PictureLayout &layout, bool hasPicture, const QString &caption, int position,
                    const GdiRect &captionRect, int w, int h)
{
    if (!hasPicture)
        return;
    const int pw = layout.PictureWidth;
    const int ph = layout.PictureHeight;
    if (!caption.trimmed().isEmpty() && position != 4) {
        switch (position) {
        case 0:
            layout.PictureLeft = captionRect.left - pw - 4;
            layout.PictureTop = (h - ph) / 2;
            break;
        case 1:
            layout.PictureLeft = captionRect.right + 4;
            layout.PictureTop = (h - ph) / 2;
            break;
        case 2:
            layout.PictureLeft = (w - pw) / 2;
            layout.PictureTop = captionRect.top - ph - 2;
            break;
        case 3:
            layout.PictureLeft = (w - pw) / 2;
            layout.PictureTop = captionRect.bottom + 2;
            break;
        default:
            break;
        }
        return;
    }
    layout.PictureLeft = (w - pw) / 2;
    layout.PictureTop = (h - ph) / 2;
}

void DrawPictureEffect(QImage &image, const ButtonFace &face, int offset, const ButtonPicture &picture)
{
    if (face.specialEffect <= 0)
        return;
    const PictureLayout &p = face.picture;
    const BgrColor L = face.palette.LightColor;
    const BgrColor T = face.palette.TransparentRGB;
    PaintTransparentPicture(image, p.PictureLeft + offset + 1, p.PictureTop + offset + 1, p.PictureWidth,
                            p.PictureHeight, picture, T, ShiftColor(L, face.specialEffect == 2 ? 40 : -40, false),
                            false, face.useMaskColor, kMaskColor);
    if (face.specialEffect > 2)
        return;
    PaintTransparentPicture(image, p.PictureLeft + offset - 1, p.PictureTop + offset - 1, p.PictureWidth,
                            p.PictureHeight, picture, T, ShiftColor(L, face.specialEffect == 2 ? -40 : 40, false),
                            false, face.useMaskColor, kMaskColor);
}

void DrawPicture(QImage &image, const ButtonFace &face, int style, int captionStyle)
{
    if (!face.pictureNormal)
        return;
    const ButtonPicture &normal = *face.pictureNormal;
    const ButtonPicture &over = face.pictureOver ? *face.pictureOver : normal;
    const PictureLayout &p = face.picture;
    const BgrColor T = face.palette.TransparentRGB;
    auto paint = [&](const ButtonPicture &picture, int dx, bool grey) {
        PaintTransparentPicture(image, p.PictureLeft + dx, p.PictureTop + dx, p.PictureWidth, p.PictureHeight, picture,
                                T, -1, grey, face.useMaskColor, kMaskColor);
    };
    switch (style) {
    case 0:
        if (face.mouseOver) {
            DrawPictureEffect(image, face, 0, over);
            paint(over, 0, false);
        } else {
            DrawPictureEffect(image, face, 0, normal);
            paint(normal, 0, face.useGreyscale);
        }
        break;
    case 1:
        if (face.pictureOver) {
            paint(over, 1, false);
        } else {
            DrawPictureEffect(image, face, 1, normal);
            paint(normal, 1, false);
        }
        break;
    case 2:
        paint(normal, 1, true);
        break;
    default:
        return;
    }
    if (face.picturePosition == 4) {
        GdiCanvas c(image);
        drawCaption(c, face, captionStyle);
    }
}

int renderButton(QImage &image, const ButtonFace &face, int state, int *captionStyle)
{
    int drawn = captionStyle ? *captionStyle : 0;
    const int style = paintFace(image, face, state, &drawn);
    if (style >= 0)
        DrawPicture(image, face, style, drawn);
    if (captionStyle)
        *captionStyle = drawn;
    return style;
}

namespace {

int paintFace(QImage &image, const ButtonFace &face, int state, int *captionStyle)
{
    const int w = face.width;
    const int h = face.height;
    const BgrColor L = face.palette.LightColor;
    GdiCanvas c(image);
    c.fill(kBackColor);
    c.fillRect(0, 0, w, h, face.palette.FaceColor);

    auto caption = [&](int style) {
        if (captionStyle)
            *captionStyle = style;
        drawCaption(c, face, style);
    };

    if (!face.enabled) {
        c.fillRect(0, 0, w, h, ShiftColor(L, -24, true));
        caption(CaptionDisabled);
        drawFrame(c, w, h, ShiftColor(L, -84, true), ShiftColor(L, -72, true));
        return 2;
    }
    if (state == StateNormal) {
        paintShading(c, w, h, L, StateNormal);
        caption(face.mouseOver ? CaptionHot : CaptionNormal);
        drawFrame(c, w, h, kFrame, kFrameCorner);
        if (face.mouseOver) {
            drawRim(c, w, h, kHotRim);
        } else if (face.focusRim) {
            drawRim(c, w, h, kFocusRim);
        } else {
            c.line(2, h - 2, w - 2, h - 2, ShiftColor(L, -48, true));
            c.line(1, h - 3, w - 2, h - 3, ShiftColor(L, -32, true));
            c.line(w - 2, 2, w - 2, h - 2, ShiftColor(L, -36, true));
            c.line(w - 3, 3, w - 3, h - 3, ShiftColor(L, -24, true));
            c.line(2, 1, w - 2, 1, ShiftColor(L, 16, true));
            c.line(1, 2, w - 2, 2, ShiftColor(L, 10, true));
            c.line(1, 2, 1, h - 2, ShiftColor(L, -5, true));
            c.line(2, 3, 2, h - 3, ShiftColor(L, -10, true));
        }
        return 0;
    }
    if (state == StatePressed) {
        const BgrColor B = ShiftColor(L, -32, true);
        paintShading(c, w, h, L, StatePressed);
        caption(CaptionPressed);
        drawFrame(c, w, h, kFrame, kFrameCorner);
        c.line(2, h - 2, w - 2, h - 2, ShiftColor(B, 16, true));
        c.line(1, h - 3, w - 2, h - 3, ShiftColor(B, 10, true));
        c.line(w - 2, 2, w - 2, h - 2, ShiftColor(B, 5, true));
        c.line(w - 3, 3, w - 3, h - 3, L);
        c.line(2, 1, w - 2, 1, ShiftColor(B, -32, true));
        c.line(1, 2, w - 2, 2, ShiftColor(B, -24, true));
        c.line(1, 2, 1, h - 2, ShiftColor(B, -32, true));
        c.line(2, 2, 2, h - 2, ShiftColor(B, -22, true));
        return 1;
    }
    return -1;
}

} // namespace

} // namespace zimbrel::xp
