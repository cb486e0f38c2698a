#pragma once
// Drawing into an image with the rules of the Windows drawing calls the controls were designed
// with: rectangles given by their left, top, right and bottom edges with the right and bottom
// edges outside, lines whose end point is not painted, single pixels, and text laid out with word
// breaks and "&" access-key markers. Colours are 0x00BBGGRR values.
//
// Coordinates are logical pixels. An image with a device pixel ratio above 1 (a HiDPI screen)
// is drawn at its full density: a logical pixel of a fill or a line covers its block of device
// pixels, and text is laid out at the device's resolution, so it stays as sharp as the screen's
// other text while geometry and colours stay those of scale 1.

#include "platform/bgrcolor.h"

#include <QFont>
#include <QImage>

#include <functional>
#include <QRect>
#include <QString>

namespace zimbrel {

// A rectangle as Windows keeps it: right and bottom are just outside.
struct GdiRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    GdiRect offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const GdiRect &, const GdiRect &) = default;
};

class GdiCanvas
{
public:
    explicit GdiCanvas(QImage &image)
        : m_image(image)
        , m_scale(image.devicePixelRatio() > 0 ? image.devicePixelRatio() : 1.0)
    { }

    void fill(BgrColor color);
    // FillRect and FrameRect of the rectangle (x, y, x + width, y + height).
    void fillRect(int x, int y, int width, int height, BgrColor color);
    void frameRect(int x, int y, int width, int height, BgrColor color);
    // A one-pixel line from (x1, y1) towards (x2, y2); the end point itself is not painted.
    void line(int x1, int y1, int x2, int y2, BgrColor color);
    // The points such a line paints, in order (for painting it elsewhere).
    static void forEachLinePoint(int x1, int y1, int x2, int y2, const std::function<void(int, int)> &point);
    void setPixel(int x, int y, BgrColor color);
    // The colour of the logical pixel (its first device pixel).
    BgrColor pixel(int x, int y) const;
    // The image's size in logical pixels.
    QRect logicalBounds() const;
    // A logical coordinate's first device pixel.
    int toDevice(int logical) const;

    // Text centred in `rect` (horizontally, and vertically as a block), broken at words, with "&"
    // underlining the next character and "&&" showing one ampersand; transparent background.
    void drawText(const GdiRect &rect, const QString &text, const QFont &font, BgrColor color);

    // The rectangle the text takes when broken at words within `bounds`: the left and top edges
    // stay, the right edge becomes that of the widest line and the bottom that of the last line.
    static GdiRect measureText(const GdiRect &bounds, const QString &text, const QFont &font);

private:
    QImage &m_image;
    double m_scale = 1.0;
};

} // namespace zimbrel
