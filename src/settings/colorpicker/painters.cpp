#include "painters.h"

namespace zimbrel::picker {
namespace {

constexpr std::array<int, 6> kSegmentLengths = {42, 43, 42, 43, 42, 43};

} // namespace

const std::array<int, 255> &rainbowHues()
{
    static const std::array<int, 255> hues = [] {
        std::array<int, 255> made{};
        std::size_t at = 0;
        int base = 0;
        for (int n : kSegmentLengths) {
            for (int i = 1; i <= n; ++i)
                made[at++] = segmentHue(i, n, base);
            base += kSectorSteps;
        }
        return made;
    }();
    return hues;
}

void fadeColumnsToBlack(PixelCanvas &canvas, int columns)
{
    const int rows = canvas.height();
    for (int x = columns - 1; x >= 0; --x) {
        const BgrColor top = canvas.pixel(x, 0);
        float r = float(redOf(top));
        float g = float(greenOf(top));
        float b = float(blueOf(top));
        const float dr = float(double(redOf(top)) / 255.0);
        const float dg = float(double(greenOf(top)) / 255.0);
        const float db = float(double(blueOf(top)) / 255.0);
        for (int y = 0; y < rows; ++y) {
            canvas.setPixel(x, y, composeRgb(r, g, b));
            r -= dr;
            g -= dg;
            b -= db;
        }
    }
}

Rgb paintHueField(PixelCanvas &field, int angle)
{
    Rgb last;
    for (int x = 0; x < kFieldSize; ++x) {
        last = HueSweep(x, 255).at(angle);
        field.setPixel(x, 0, last.value());
    }
    fadeColumnsToBlack(field, kFieldSize);
    return last;
}

Rgb paintRainbowField(PixelCanvas &field, bool fadeToGrey, bool fadeToBlack, int saturation, int luminance)
{
    int s = saturation;
    int l = luminance;
    if (fadeToGrey && !fadeToBlack) {
        s = 255;
    } else {
        l = 255;
    }
    const auto &hues = rainbowHues();
    Rgb last;
    for (int y = 0; y < kFieldSize; ++y) {
        if (fadeToBlack)
            l = 255 - y;
        if (fadeToGrey)
            s = 255 - y;
        const HueSweep sweep(s, l);
        for (int x = 0; x < int(hues.size()); ++x) {
            last = sweep.at(hues[x]);
            field.setPixel(x, y, last.value());
        }
        // The last column repeats the red of hue 0.
        last = sweep.at(0);
        field.setPixel(kFieldSize - 1, y, last.value());
    }
    return last;
}

void paintChannelField(PixelCanvas &field, Channel fixed, float value)
{
    // Column by column from the right, each from the top: p runs across, q down, both whole.
    const int v = channelByte(value);
    for (int p = 255; p >= 0; --p) {
        for (int q = 255; q >= 0; --q) {
            BgrColor color = 0;
            switch (fixed) {
            case Channel::Red:
                color = bgr(v, q, p);
                break;
            case Channel::Green:
                color = bgr(q, v, p);
                break;
            case Channel::Blue:
                color = bgr(p, q, v);
                break;
            }
            field.setPixel(p, 255 - q, color);
        }
    }
}

Rgb paintRainbowStrip(PixelCanvas &strip)
{
    const auto &hues = rainbowHues();
    const HueSweep sweep(255, 255);
    Rgb last;
    for (int x = 0; x < kStripColumns; ++x) {
        int y = kStripRows - 1;
        for (int hue : hues) {
            last = sweep.at(hue);
            strip.setPixel(x, y--, last.value());
        }
        last = sweep.at(0);
        strip.setPixel(x, 0, last.value());
    }
    return last;
}

Rgb paintSaturationStrip(PixelCanvas &strip, int angle, int luminance)
{
    Rgb last;
    for (int x = 0; x < kStripColumns; ++x) {
        for (int y = 0; y < kStripRows; ++y) {
            last = hslToRgb(angle, 255 - y, luminance);
            strip.setPixel(x, y, last.value());
        }
    }
    return last;
}

void paintChannelStrip(PixelCanvas &strip, Channel varying, double first, double second)
{
    const int a = wholeNumber(first);
    const int b = wholeNumber(second);
    for (int x = 0; x < kStripColumns; ++x) {
        for (int y = 0; y < kStripRows; ++y) {
            const int v = 255 - y;
            BgrColor color = 0;
            switch (varying) {
            case Channel::Red:
                color = composeRgb(v, a, b);
                break;
            case Channel::Green:
                color = composeRgb(a, v, b);
                break;
            case Channel::Blue:
                color = composeRgb(a, b, v);
                break;
            }
            strip.setPixel(x, y, color);
        }
    }
}

const std::array<QPoint, 32> &ringOffsets()
{
    // The 11 x 11 ring picture: rows 0 and 10 have x = 3..7, rows 1 and 9 x = 1, 2, 8, 9, rows 2 and
    // 8 x = 1 and 9, rows 3..7 x = 0 and 10; offsets are from the centre (5, 5).
    static const std::array<QPoint, 32> offsets = [] {
        std::array<QPoint, 32> made{};
        std::size_t at = 0;
        auto add = [&](int x, int y) { made[at++] = QPoint(x - 5, y - 5); };
        for (int row : {0, 10}) {
            for (int x = 3; x <= 7; ++x)
                add(x, row);
        }
        for (int row : {1, 9}) {
            for (int x : {1, 2, 8, 9})
                add(x, row);
        }
        for (int row : {2, 8}) {
            for (int x : {1, 9})
                add(x, row);
        }
        for (int row = 3; row <= 7; ++row) {
            for (int x : {0, 10})
                add(x, row);
        }
        return made;
    }();
    return offsets;
}

void paintWhiteRing(PixelCanvas &field, int x, int y)
{
    for (const QPoint &d : ringOffsets())
        field.setPixel(x + d.x(), y + d.y(), bgr(255, 255, 255));
}

void invertRing(PixelCanvas &field, int x, int y)
{
    for (const QPoint &d : ringOffsets()) {
        const BgrColor under = field.pixel(x + d.x(), y + d.y());
        if (under != kNoPixel)
            field.setPixel(x + d.x(), y + d.y(), under ^ 0x00FFFFFFu);
    }
}

} // namespace zimbrel::picker
