#include "controls/xpbutton/buttonlook.h"

#include <QGuiApplication>
#include <QTest>

using namespace zimbrel;
using namespace zimbrel::xp;

namespace {

constexpr int W = 105;
constexpr int H = 33;

QImage blank()
{
    QImage image(W, H, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

BgrColor at(const QImage &image, int x, int y)
{
    return GdiCanvas(const_cast<QImage &>(image)).pixel(x, y);
}

ButtonFace face(bool enabled = true, bool over = false, bool focus = false)
{
    ButtonFace f;
    f.width = W;
    f.height = H;
    f.caption = QStringLiteral("Save");
    f.enabled = enabled;
    f.mouseOver = over;
    f.focusRim = focus;
    f.specialEffect = 3;
    f.palette = InitColors(0);
    f.captionRects = CalcCaptionRect(W, H, 0, 0, 0, f.caption, f.font, {});
    return f;
}

} // namespace

class TestButtonLook : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shiftColor_data();
    void shiftColor();
    void translateColor();
    void shadingRows_data();
    void shadingRows();
    void regionCutsThreePixelsAtEachCorner();
    void statePixels_data();
    void statePixels();
    void unknownStateDrawsFaceOnly();
    void captionIsCentred();
    void captionStyles();
    void captionPixels_data();
    void captionPixels();

    // Pictures
    void pictureSizeAndPosition_data();
    void pictureSizeAndPosition();
    void maskColourLetsTheFaceThrough();
    void withoutMaskTheWholeSquareIsPainted();
    void oddWidthPaintsWithoutSkew();
    void greyOnlyInTheNormalState();
    void disabledIsGreyAndShifted();
    void reliefSilhouetteBehindThePicture();
    void captionOverAPictureBehindIt();
    void noPictureWithoutPictureNormal();
    void pictureTextRoundTrips();
};

void TestButtonLook::shiftColor_data()
{
    QTest::addColumn<BgrColor>("color");
    QTest::addColumn<int>("amount");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<BgrColor>("result");
    const BgrColor L = bgr(240, 240, 240);
    QTest::newRow("light from face") << bgr(192, 192, 192) << 48 << true << L;
    QTest::newRow("-32 relative") << L << -32 << true << bgr(208, 208, 200);
    QTest::newRow("-48") << L << -48 << true << bgr(192, 192, 180);
    QTest::newRow("-36") << L << -36 << true << bgr(204, 204, 195);
    QTest::newRow("+16 caps at 255") << L << 16 << true << bgr(255, 255, 255);
    QTest::newRow("+10") << L << 10 << true << bgr(250, 250, 252);
    QTest::newRow("-5") << L << -5 << true << bgr(235, 235, 234);
    QTest::newRow("-104 disabled text") << L << -104 << true << bgr(136, 136, 110);
    QTest::newRow("-84 disabled frame") << L << -84 << true << bgr(156, 156, 135);
    QTest::newRow("-40 absolute") << L << -40 << false << bgr(200, 200, 200);
    QTest::newRow("+40 absolute") << L << 40 << false << bgr(255, 255, 255);
    QTest::newRow("below 0 stops at 0") << bgr(10, 20, 30) << -25 << false << bgr(0, 0, 5);
    QTest::newRow("zero changes nothing") << bgr(1, 2, 3) << 0 << true << bgr(1, 2, 3);
    QTest::newRow("only blue is scaled") << bgr(100, 100, 96) << -96 << true << bgr(4, 4, 48);
}

void TestButtonLook::shiftColor()
{
    QFETCH(BgrColor, color);
    QFETCH(int, amount);
    QFETCH(bool, relative);
    QFETCH(BgrColor, result);
    QCOMPARE(ShiftColor(color, amount, relative), result);
}

void TestButtonLook::translateColor()
{
    QCOMPARE(TranslateColor(bgr(192, 192, 192)), bgr(192, 192, 192));
    // The top byte of a plain colour is not part of it.
    QCOMPARE(TranslateColor(0x01123456u), BgrColor(0x123456u));
    const QColor buttonText = QGuiApplication::palette().color(QPalette::Active, QPalette::ButtonText);
    QCOMPARE(TranslateColor(0x80000012u), bgr(buttonText.red(), buttonText.green(), buttonText.blue()));
    const QColor face = QGuiApplication::palette().color(QPalette::Active, QPalette::Button);
    QCOMPARE(TranslateColor(0x8000000Fu), bgr(face.red(), face.green(), face.blue()));
    QCOMPARE(TranslateColor(0x800000FFu), BgrColor(0));
    QCOMPARE(TranslateColor(0x80010005u), BgrColor(0));
}

void TestButtonLook::shadingRows_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("row");
    QTest::addColumn<BgrColor>("color");
    QTest::newRow("normal row 1") << int(StateNormal) << 1 << bgr(239, 239, 239);
    QTest::newRow("normal row 16") << int(StateNormal) << 16 << bgr(228, 228, 225);
    QTest::newRow("normal row 32") << int(StateNormal) << 32 << bgr(216, 216, 210);
    QTest::newRow("pressed row 0") << int(StatePressed) << 0 << bgr(183, 183, 174);
    QTest::newRow("pressed row 32") << int(StatePressed) << 32 << bgr(207, 207, 199);
}

void TestButtonLook::shadingRows()
{
    QFETCH(int, state);
    QFETCH(int, row);
    QFETCH(BgrColor, color);
    QImage image = blank();
    GdiCanvas canvas(image);
    paintShading(canvas, W, H, bgr(240, 240, 240), state);
    for (int x : {0, 52, W - 1})
        QCOMPARE(at(image, x, row), color);
}

void TestButtonLook::regionCutsThreePixelsAtEachCorner()
{
    const QRegion region = CreateButtonRegion(W, H);
    const QList<QPoint> cut{{0, 0},     {1, 0},     {0, 1},     {W - 1, 0},     {W - 2, 0},     {W - 1, 1},
                            {0, H - 1}, {1, H - 1}, {0, H - 2}, {W - 1, H - 1}, {W - 2, H - 1}, {W - 1, H - 2}};
    for (const QPoint &p : cut)
        QVERIFY2(!region.contains(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    const QList<QPoint> kept{{2, 0}, {1, 1}, {0, 2}, {W - 3, 0}, {W - 2, 1}, {W - 1, 2}, {1, H - 2}, {52, 16}};
    for (const QPoint &p : kept)
        QVERIFY2(region.contains(p), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
    QCOMPARE(region.boundingRect(), QRect(0, 0, W, H));
}

void TestButtonLook::statePixels_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("over");
    QTest::addColumn<bool>("focus");
    QTest::addColumn<QPoint>("where");
    QTest::addColumn<BgrColor>("color");
    auto row = [](const char *name, int state, bool enabled, bool over, bool focus, QPoint where, BgrColor color) {
        QTest::newRow(name) << state << enabled << over << focus << where << color;
    };
    // Frame and corners, whatever the rim.
    row("frame left", 0, true, false, false, {0, 16}, bgr(0, 60, 115));
    row("frame bottom", 0, true, true, false, {52, H - 1}, bgr(0, 60, 115));
    row("corner", 0, true, false, false, {1, 1}, bgr(16, 77, 123));
    row("corner pressed", 2, true, false, false, {W - 2, H - 2}, bgr(16, 77, 123));
    // Plain edges.
    row("plain bottom", 0, true, false, false, {52, H - 2}, bgr(192, 192, 180));
    row("plain second bottom", 0, true, false, false, {52, H - 3}, bgr(208, 208, 200));
    row("plain right", 0, true, false, false, {W - 2, 16}, bgr(204, 204, 195));
    row("plain second right", 0, true, false, false, {W - 3, 16}, bgr(216, 216, 210));
    row("plain top", 0, true, false, false, {52, 1}, bgr(255, 255, 255));
    row("plain second top", 0, true, false, false, {52, 2}, bgr(250, 250, 252));
    row("plain left", 0, true, false, false, {1, 16}, bgr(235, 235, 234));
    row("plain second left", 0, true, false, false, {2, 16}, bgr(230, 230, 228));
    row("shading beside the caption", 0, true, false, false, {10, 20}, bgr(225, 225, 222));
    // Hot rim, ahead of the focus rim.
    row("hot frame", 0, true, true, true, {1, 16}, bgr(255, 178, 49));
    row("hot bottom", 0, true, true, false, {52, H - 2}, bgr(231, 150, 0));
    row("hot top", 0, true, true, false, {52, 1}, bgr(255, 243, 206));
    row("hot second top", 0, true, true, false, {52, 2}, bgr(255, 219, 140));
    row("hot sides", 0, true, true, false, {W - 3, 16}, bgr(255, 203, 107));
    // Focus or default rim.
    row("focus frame", 0, true, false, true, {W - 2, 16}, bgr(140, 174, 231));
    row("focus bottom", 0, true, false, true, {52, H - 2}, bgr(107, 130, 239));
    row("focus top", 0, true, false, true, {52, 1}, bgr(206, 231, 255));
    row("focus second top", 0, true, false, true, {52, 2}, bgr(189, 215, 247));
    row("focus sides", 0, true, false, true, {2, 16}, bgr(181, 209, 240));
    // Pressed edges: no rim, even hot and focused.
    row("pressed bottom", 2, true, true, true, {52, H - 2}, bgr(224, 224, 216));
    row("pressed second bottom", 2, true, false, false, {52, H - 3}, bgr(218, 218, 210));
    row("pressed right", 2, true, false, false, {W - 2, 16}, bgr(213, 213, 205));
    row("pressed second right", 2, true, false, false, {W - 3, 16}, bgr(240, 240, 240));
    row("pressed top", 2, true, false, false, {52, 1}, bgr(176, 176, 167));
    row("pressed second top", 2, true, false, false, {52, 2}, bgr(184, 184, 175));
    row("pressed left", 2, true, false, false, {1, 16}, bgr(176, 176, 167));
    row("pressed second left", 2, true, false, false, {2, 16}, bgr(186, 186, 178));
    // Disabled: flat, no rims.
    row("disabled face", 0, false, true, true, {10, 16}, bgr(216, 216, 210));
    row("disabled frame", 0, false, true, true, {0, 16}, bgr(156, 156, 135));
    row("disabled corner", 0, false, false, false, {W - 2, 1}, bgr(168, 168, 150));
    row("disabled pressed", 2, false, false, false, {52, H - 2}, bgr(216, 216, 210));
}

void TestButtonLook::statePixels()
{
    QFETCH(int, state);
    QFETCH(bool, enabled);
    QFETCH(bool, over);
    QFETCH(bool, focus);
    QFETCH(QPoint, where);
    QFETCH(BgrColor, color);
    QImage image = blank();
    renderButton(image, face(enabled, over, focus), state, nullptr);
    QCOMPARE(at(image, where.x(), where.y()), color);
}

void TestButtonLook::unknownStateDrawsFaceOnly()
{
    QImage image = blank();
    int style = -7;
    QCOMPARE(renderButton(image, face(), 1, &style), -1);
    QCOMPARE(style, -7);
    QCOMPARE(at(image, 0, 0), bgr(192, 192, 192));
    QCOMPARE(at(image, 52, 16), bgr(192, 192, 192));
}

void TestButtonLook::captionIsCentred()
{
    const QFont font;
    const CaptionRects rects = CalcCaptionRect(W, H, 0, 0, 0, QStringLiteral("Sa&ve"), font, {});
    const GdiRect r = rects.CaptionRect;
    // Centred with halves truncated: the free space left and right differs by at most one pixel.
    QVERIFY(std::abs((r.left) - (W - r.right)) <= 1);
    QVERIFY(std::abs((r.top) - (H - r.bottom)) <= 1);
    QCOMPARE(rects.CaptionRectDown, r.offset(1, 1));
    // The ampersand takes no room.
    const GdiRect plain = CalcCaptionRect(W, H, 0, 0, 0, QStringLiteral("Save"), font, {}).CaptionRect;
    QCOMPARE(r.width(), plain.width());
    // A picture on the left moves the caption to the right.
    const GdiRect beside = CalcCaptionRect(W, H, 0, 20, 20, QStringLiteral("Save"), font, {}).CaptionRect;
    QVERIFY(beside.left > plain.left);
    // An unknown position keeps the previous pressed rectangle as it is.
    const GdiRect previous{3, 4, 60, 20};
    QCOMPARE(CalcCaptionRect(W, H, 9, 0, 0, QStringLiteral("Save"), font, previous).CaptionRect.left, 3);
}

void TestButtonLook::captionStyles()
{
    int style = -1;
    QImage image = blank();
    renderButton(image, face(true, true), StateNormal, &style);
    QCOMPARE(style, int(CaptionHot));
    renderButton(image, face(), StateNormal, &style);
    QCOMPARE(style, int(CaptionNormal));
    renderButton(image, face(), StatePressed, &style);
    QCOMPARE(style, int(CaptionPressed));
    renderButton(image, face(false), StateNormal, &style);
    QCOMPARE(style, int(CaptionDisabled));
    // The shadow effect draws the caption in RGB(200, 200, 200) one pixel down and right: somewhere
    // in the caption area that grey shows, next to black text.
    renderButton(image, face(), StateNormal, nullptr);
    bool grey = false;
    bool black = false;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            grey |= at(image, x, y) == bgr(200, 200, 200);
            black |= at(image, x, y) == bgr(0, 0, 0);
        }
    }
    QVERIFY(grey);
    QVERIFY(black);
}

void TestButtonLook::captionPixels_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::newRow("scale 1") << qreal(1);
    // A HiDPI screen: the same button, its caption drawn at the screen's density.
    QTest::newRow("scale 2") << qreal(2);
}

void TestButtonLook::captionPixels()
{
    QFETCH(qreal, scale);
    QImage image(int(W * scale), int(H * scale), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(0);
    renderButton(image, face(), StateNormal, nullptr);
    // In whole pixels, as GDI draws text: inside the caption area every device pixel is the
    // face's own colour of its row, the black text or its grey shadow, never a blend of them.
    const GdiRect r = face().captionRects.CaptionRect;
    const int s = int(scale);
    int blended = 0;
    for (int y = r.top * s; y < (r.bottom + 1) * s && y < image.height(); ++y) {
        const QRgb faceColor = image.pixel(4 * s, y);
        for (int x = r.left * s; x < (r.right + 2) * s && x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) & 0xFFFFFF;
            blended += c != (faceColor & 0xFFFFFF) && c != 0 && c != 0xC8C8C8;
        }
    }
    QCOMPARE(blended, 0);
    if (s == 1)
        return;
    // Geometry and colours as at scale 1: outside the caption, every logical pixel is one block
    // of the scale-1 colour.
    QImage one = blank();
    renderButton(one, face(), StateNormal, nullptr);
    int differing = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            if (x >= r.left - 1 && x <= r.right + 2 && y >= r.top - 1 && y <= r.bottom + 2)
                continue;
            for (int dy = 0; dy < s; ++dy) {
                for (int dx = 0; dx < s; ++dx)
                    differing += (image.pixel(x * s + dx, y * s + dy) & 0xFFFFFF) != (one.pixel(x, y) & 0xFFFFFF);
            }
        }
    }
    QCOMPARE(differing, 0);
    // Not the scale-1 caption blown up: somewhere a block of the caption is not one colour.
    bool finer = false;
    for (int y = r.top; y <= r.bottom && !finer; ++y) {
        for (int x = r.left; x <= r.right && !finer; ++x) {
            const QRgb first = image.pixel(x * s, y * s);
            for (int d = 1; d < s * s; ++d)
                finer |= image.pixel(x * s + d % s, y * s + d / s) != first;
        }
    }
    QVERIFY(finer);
}

namespace {

// A 16 x 16 (or `width` wide) bitmap: light grey with a red 8 x 8 square in the middle.
PicturePtr greyWithRedCentre(int width = 16)
{
    QImage image(width, 16, QImage::Format_RGB32);
    image.fill(qRgb(192, 192, 192));
    for (int y = 4; y < 12; ++y) {
        for (int x = 4; x < 12; ++x)
            image.setPixel(x, y, qRgb(255, 0, 0));
    }
    return std::make_shared<const ButtonPicture>(image, ButtonPicture::Bitmap);
}

ButtonFace pictureFace(PicturePtr normal, PicturePtr over = {}, const QString &caption = QString(), int position = 0)
{
    ButtonFace f = face();
    f.caption = caption;
    f.specialEffect = 0;
    f.palette = InitColors(bgr(192, 192, 192));
    f.pictureNormal = std::move(normal);
    f.pictureOver = std::move(over);
    f.picturePosition = position;
    CalcPictureSize(f.picture, f.pictureNormal.get());
    f.captionRects =
        CalcCaptionRect(W, H, position, f.picture.PictureWidth, f.picture.PictureHeight, f.caption, f.font, {});
    CalcPicturePos(f.picture, f.pictureNormal || f.pictureOver, f.caption, position, f.captionRects.CaptionRect, W, H);
    return f;
}

QImage shadingOnly(int state)
{
    QImage image = blank();
    GdiCanvas canvas(image);
    paintShading(canvas, W, H, bgr(240, 240, 240), state);
    return image;
}

} // namespace

void TestButtonLook::pictureSizeAndPosition_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("position");
    QTest::addColumn<bool>("besideCaption");
    QTest::newRow("no caption: centred") << QString() << 0 << false;
    QTest::newRow("blank caption: centred") << QStringLiteral("   ") << 1 << false;
    QTest::newRow("behind the caption: centred") << QStringLiteral("OK") << 4 << false;
    QTest::newRow("left") << QStringLiteral("OK") << 0 << true;
    QTest::newRow("right") << QStringLiteral("OK") << 1 << true;
    QTest::newRow("above") << QStringLiteral("OK") << 2 << true;
    QTest::newRow("below") << QStringLiteral("OK") << 3 << true;
}

void TestButtonLook::pictureSizeAndPosition()
{
    QFETCH(QString, caption);
    QFETCH(int, position);
    QFETCH(bool, besideCaption);
    const ButtonFace f = pictureFace(greyWithRedCentre(), {}, caption, position);
    const PictureLayout &p = f.picture;
    const GdiRect &c = f.captionRects.CaptionRect;
    QCOMPARE(p.PictureWidth, 16);
    QCOMPARE(p.PictureHeight, 16);
    if (!besideCaption) {
        QCOMPARE(p.PictureLeft, (W - 16) / 2);
        QCOMPARE(p.PictureTop, (H - 16) / 2);
        return;
    }
    switch (position) {
    case 0:
        QCOMPARE(p.PictureLeft, c.left - 16 - 4);
        QCOMPARE(p.PictureTop, (H - 16) / 2);
        break;
    case 1:
        QCOMPARE(p.PictureLeft, c.right + 4);
        break;
    case 2:
        QCOMPARE(p.PictureLeft, (W - 16) / 2);
        QCOMPARE(p.PictureTop, c.top - 16 - 2);
        break;
    case 3:
        QCOMPARE(p.PictureTop, c.bottom + 2);
        break;
    }
}

void TestButtonLook::maskColourLetsTheFaceThrough()
{
    const ButtonFace f = pictureFace(greyWithRedCentre());
    QImage image = blank();
    renderButton(image, f, StateNormal, nullptr);
    const QImage face = shadingOnly(StateNormal);
    const int x = f.picture.PictureLeft;
    const int y = f.picture.PictureTop;
    QCOMPARE(at(image, x + 1, y + 1), at(face, x + 1, y + 1));
    QCOMPARE(at(image, x + 6, y + 6), bgr(255, 0, 0));
}

void TestButtonLook::withoutMaskTheWholeSquareIsPainted()
{
    ButtonFace f = pictureFace(greyWithRedCentre());
    f.useMaskColor = false;
    QImage image = blank();
    renderButton(image, f, StateNormal, nullptr);
    const int x = f.picture.PictureLeft;
    const int y = f.picture.PictureTop;
    QCOMPARE(at(image, x, y), bgr(192, 192, 192));
    QCOMPARE(at(image, x + 15, y + 15), bgr(192, 192, 192));
    QCOMPARE(at(image, x + 6, y + 6), bgr(255, 0, 0));
}

void TestButtonLook::oddWidthPaintsWithoutSkew()
{
    // A diagonal of blue pixels on white, 15 pixels wide: every row keeps its pixel in place.
    QImage picture(15, 15, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int i = 0; i < 15; ++i)
        picture.setPixel(i, i, qRgb(0, 0, 255));
    ButtonFace f = pictureFace(std::make_shared<const ButtonPicture>(picture, ButtonPicture::Bitmap));
    QImage image = blank();
    renderButton(image, f, StateNormal, nullptr);
    const int x = f.picture.PictureLeft;
    const int y = f.picture.PictureTop;
    QCOMPARE(f.picture.PictureWidth, 15);
    for (int i = 0; i < 15; ++i) {
        QCOMPARE(at(image, x + i, y + i), bgr(0, 0, 255));
        QCOMPARE(at(image, x + (i + 1) % 15, y + i), bgr(255, 255, 255));
    }
}

void TestButtonLook::greyOnlyInTheNormalState()
{
    ButtonFace f = pictureFace(greyWithRedCentre());
    f.useGreyscale = true;
    QImage image = blank();
    renderButton(image, f, StateNormal, nullptr);
    const int x = f.picture.PictureLeft + 6;
    const int y = f.picture.PictureTop + 6;
    // round(round(255 x 0.3) + 0) = 76 (76.5 goes to the even 76).
    QCOMPARE(at(image, x, y), bgr(76, 76, 76));
    f.mouseOver = true;
    renderButton(image, f, StateNormal, nullptr);
    QCOMPARE(at(image, x, y), bgr(255, 0, 0));
    f.mouseOver = false;
    renderButton(image, f, StatePressed, nullptr);
    QCOMPARE(at(image, x + 1, y + 1), bgr(255, 0, 0));
}

void TestButtonLook::disabledIsGreyAndShifted()
{
    ButtonFace f = pictureFace(greyWithRedCentre());
    f.enabled = false;
    f.specialEffect = 1;
    QImage image = blank();
    renderButton(image, f, StateNormal, nullptr);
    const int x = f.picture.PictureLeft;
    const int y = f.picture.PictureTop;
    // The red square lies at 4..11, one pixel down and right: 5..12.
    QCOMPARE(at(image, x + 5, y + 5), bgr(76, 76, 76));
    QCOMPARE(at(image, x + 12, y + 12), bgr(76, 76, 76));
    QCOMPARE(at(image, x + 4, y + 4), bgr(216, 216, 210));
    // No relief: the pixel just beyond the square is the disabled face.
    QCOMPARE(at(image, x + 13, y + 13), bgr(216, 216, 210));
}

void TestButtonLook::reliefSilhouetteBehindThePicture()
{
    ButtonFace f = pictureFace(greyWithRedCentre());
    f.specialEffect = 3;
    QImage image = blank();
    renderButton(image, f, StateNormal, nullptr);
    const int x = f.picture.PictureLeft;
    const int y = f.picture.PictureTop;
    // The shadow silhouette, RGB(200, 200, 200), shows one pixel beyond the red square's corner.
    QCOMPARE(at(image, x + 12, y + 12), bgr(200, 200, 200));
    QCOMPARE(at(image, x + 11, y + 11), bgr(255, 0, 0));
    // Raised: also a light one up and left.
    f.specialEffect = 1;
    renderButton(image, f, StateNormal, nullptr);
    QCOMPARE(at(image, x + 3, y + 3), bgr(255, 255, 255));
    QCOMPARE(at(image, x + 12, y + 12), bgr(200, 200, 200));
}

void TestButtonLook::captionOverAPictureBehindIt()
{
    QImage big(80, 25, QImage::Format_RGB32);
    big.fill(qRgb(255, 0, 0));
    ButtonFace f =
        pictureFace(std::make_shared<const ButtonPicture>(big, ButtonPicture::Bitmap), {}, QStringLiteral("WWWW"), 4);
    QImage image = blank();
    renderButton(image, f, StateNormal, nullptr);
    int black = 0;
    const GdiRect &c = f.captionRects.CaptionRect;
    for (int y = c.top; y < c.bottom; ++y) {
        for (int x = c.left; x < c.right; ++x)
            black += at(image, x, y) == 0;
    }
    QVERIFY(black > 0);
}

void TestButtonLook::noPictureWithoutPictureNormal()
{
    ButtonFace f = pictureFace({}, greyWithRedCentre());
    for (int state : {0, 2}) {
        for (bool over : {false, true}) {
            f.mouseOver = over;
            QImage image = blank();
            renderButton(image, f, state, nullptr);
            for (int y = 0; y < H; ++y) {
                for (int x = 0; x < W; ++x)
                    QVERIFY(at(image, x, y) != bgr(255, 0, 0));
            }
        }
    }
}

void TestButtonLook::pictureTextRoundTrips()
{
    QCOMPARE(himetricToPixels(423), 16);
    QCOMPARE(pixelsToHimetric(16), 423);
    const PicturePtr picture = greyWithRedCentre(15);
    const PicturePtr back = ButtonPicture::fromText(picture->toText());
    QVERIFY(back);
    QCOMPARE(back->type(), ButtonPicture::Bitmap);
    QCOMPARE(back->widthHimetric(), picture->widthHimetric());
    QCOMPARE(back->image(), picture->image());
    QVERIFY(!ButtonPicture::fromText(QStringLiteral("picture(1, 2)")));
}

QTEST_MAIN(TestButtonLook)
#include "tst_buttonlook.moc"
