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

GdiColor at(const QImage &image, int x, int y)
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
};

void TestButtonLook::shiftColor_data()
{
    QTest::addColumn<GdiColor>("color");
    QTest::addColumn<int>("amount");
    QTest::addColumn<bool>("relative");
    QTest::addColumn<GdiColor>("result");
    const GdiColor L = gdiRgb(240, 240, 240);
    QTest::newRow("light from face") << gdiRgb(192, 192, 192) << 48 << true << L;
    QTest::newRow("-32 relative") << L << -32 << true << gdiRgb(208, 208, 200);
    QTest::newRow("-48") << L << -48 << true << gdiRgb(192, 192, 180);
    QTest::newRow("-36") << L << -36 << true << gdiRgb(204, 204, 195);
    QTest::newRow("+16 caps at 255") << L << 16 << true << gdiRgb(255, 255, 255);
    QTest::newRow("+10") << L << 10 << true << gdiRgb(250, 250, 252);
    QTest::newRow("-5") << L << -5 << true << gdiRgb(235, 235, 234);
    QTest::newRow("-104 disabled text") << L << -104 << true << gdiRgb(136, 136, 110);
    QTest::newRow("-84 disabled frame") << L << -84 << true << gdiRgb(156, 156, 135);
    QTest::newRow("-40 absolute") << L << -40 << false << gdiRgb(200, 200, 200);
    QTest::newRow("+40 absolute") << L << 40 << false << gdiRgb(255, 255, 255);
    QTest::newRow("below 0 stops at 0") << gdiRgb(10, 20, 30) << -25 << false << gdiRgb(0, 0, 5);
    QTest::newRow("zero changes nothing") << gdiRgb(1, 2, 3) << 0 << true << gdiRgb(1, 2, 3);
    QTest::newRow("only blue is scaled") << gdiRgb(100, 100, 96) << -96 << true << gdiRgb(4, 4, 48);
}

void TestButtonLook::shiftColor()
{
    QFETCH(GdiColor, color);
    QFETCH(int, amount);
    QFETCH(bool, relative);
    QFETCH(GdiColor, result);
    QCOMPARE(ShiftColor(color, amount, relative), result);
}

void TestButtonLook::translateColor()
{
    QCOMPARE(TranslateColor(gdiRgb(192, 192, 192)), gdiRgb(192, 192, 192));
    // The top byte of a plain colour is not part of it.
    QCOMPARE(TranslateColor(0x01123456u), GdiColor(0x123456u));
    const QColor buttonText = QGuiApplication::palette().color(QPalette::Active, QPalette::ButtonText);
    QCOMPARE(TranslateColor(0x80000012u), gdiRgb(buttonText.red(), buttonText.green(), buttonText.blue()));
    const QColor face = QGuiApplication::palette().color(QPalette::Active, QPalette::Button);
    QCOMPARE(TranslateColor(0x8000000Fu), gdiRgb(face.red(), face.green(), face.blue()));
    QCOMPARE(TranslateColor(0x800000FFu), GdiColor(0));
    QCOMPARE(TranslateColor(0x80010005u), GdiColor(0));
}

void TestButtonLook::shadingRows_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("row");
    QTest::addColumn<GdiColor>("color");
    QTest::newRow("normal row 1") << int(StateNormal) << 1 << gdiRgb(239, 239, 239);
    QTest::newRow("normal row 16") << int(StateNormal) << 16 << gdiRgb(228, 228, 225);
    QTest::newRow("normal row 32") << int(StateNormal) << 32 << gdiRgb(216, 216, 210);
    QTest::newRow("pressed row 0") << int(StatePressed) << 0 << gdiRgb(183, 183, 174);
    QTest::newRow("pressed row 32") << int(StatePressed) << 32 << gdiRgb(207, 207, 199);
}

void TestButtonLook::shadingRows()
{
    QFETCH(int, state);
    QFETCH(int, row);
    QFETCH(GdiColor, color);
    QImage image = blank();
    GdiCanvas canvas(image);
    paintShading(canvas, W, H, gdiRgb(240, 240, 240), state);
    for (int x : {0, 52, W - 1})
        QCOMPARE(at(image, x, row), color);
}

void TestButtonLook::regionCutsThreePixelsAtEachCorner()
{
    const QRegion region = CreateButtonRegion(W, H);
    const QList<QPoint> cut{{0, 0}, {1, 0}, {0, 1}, {W - 1, 0}, {W - 2, 0}, {W - 1, 1},
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
    QTest::addColumn<GdiColor>("color");
    auto row = [](const char *name, int state, bool enabled, bool over, bool focus, QPoint where, GdiColor color) {
        QTest::newRow(name) << state << enabled << over << focus << where << color;
    };
    // Frame and corners, whatever the rim.
    row("frame left", 0, true, false, false, {0, 16}, gdiRgb(0, 60, 115));
    row("frame bottom", 0, true, true, false, {52, H - 1}, gdiRgb(0, 60, 115));
    row("corner", 0, true, false, false, {1, 1}, gdiRgb(16, 77, 123));
    row("corner pressed", 2, true, false, false, {W - 2, H - 2}, gdiRgb(16, 77, 123));
    // Plain edges.
    row("plain bottom", 0, true, false, false, {52, H - 2}, gdiRgb(192, 192, 180));
    row("plain second bottom", 0, true, false, false, {52, H - 3}, gdiRgb(208, 208, 200));
    row("plain right", 0, true, false, false, {W - 2, 16}, gdiRgb(204, 204, 195));
    row("plain second right", 0, true, false, false, {W - 3, 16}, gdiRgb(216, 216, 210));
    row("plain top", 0, true, false, false, {52, 1}, gdiRgb(255, 255, 255));
    row("plain second top", 0, true, false, false, {52, 2}, gdiRgb(250, 250, 252));
    row("plain left", 0, true, false, false, {1, 16}, gdiRgb(235, 235, 234));
    row("plain second left", 0, true, false, false, {2, 16}, gdiRgb(230, 230, 228));
    row("shading beside the caption", 0, true, false, false, {10, 20}, gdiRgb(225, 225, 222));
    // Hot rim, ahead of the focus rim.
    row("hot frame", 0, true, true, true, {1, 16}, gdiRgb(255, 178, 49));
    row("hot bottom", 0, true, true, false, {52, H - 2}, gdiRgb(231, 150, 0));
    row("hot top", 0, true, true, false, {52, 1}, gdiRgb(255, 243, 206));
    row("hot second top", 0, true, true, false, {52, 2}, gdiRgb(255, 219, 140));
    row("hot sides", 0, true, true, false, {W - 3, 16}, gdiRgb(255, 203, 107));
    // Focus or default rim.
    row("focus frame", 0, true, false, true, {W - 2, 16}, gdiRgb(140, 174, 231));
    row("focus bottom", 0, true, false, true, {52, H - 2}, gdiRgb(107, 130, 239));
    row("focus top", 0, true, false, true, {52, 1}, gdiRgb(206, 231, 255));
    row("focus second top", 0, true, false, true, {52, 2}, gdiRgb(189, 215, 247));
    row("focus sides", 0, true, false, true, {2, 16}, gdiRgb(181, 209, 240));
    // Pressed edges: no rim, even hot and focused.
    row("pressed bottom", 2, true, true, true, {52, H - 2}, gdiRgb(224, 224, 216));
    row("pressed second bottom", 2, true, false, false, {52, H - 3}, gdiRgb(218, 218, 210));
    row("pressed right", 2, true, false, false, {W - 2, 16}, gdiRgb(213, 213, 205));
    row("pressed second right", 2, true, false, false, {W - 3, 16}, gdiRgb(240, 240, 240));
    row("pressed top", 2, true, false, false, {52, 1}, gdiRgb(176, 176, 167));
    row("pressed second top", 2, true, false, false, {52, 2}, gdiRgb(184, 184, 175));
    row("pressed left", 2, true, false, false, {1, 16}, gdiRgb(176, 176, 167));
    row("pressed second left", 2, true, false, false, {2, 16}, gdiRgb(186, 186, 178));
    // Disabled: flat, no rims.
    row("disabled face", 0, false, true, true, {10, 16}, gdiRgb(216, 216, 210));
    row("disabled frame", 0, false, true, true, {0, 16}, gdiRgb(156, 156, 135));
    row("disabled corner", 0, false, false, false, {W - 2, 1}, gdiRgb(168, 168, 150));
    row("disabled pressed", 2, false, false, false, {52, H - 2}, gdiRgb(216, 216, 210));
}

void TestButtonLook::statePixels()
{
    QFETCH(int, state);
    QFETCH(bool, enabled);
    QFETCH(bool, over);
    QFETCH(bool, focus);
    QFETCH(QPoint, where);
    QFETCH(GdiColor, color);
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
    QCOMPARE(at(image, 0, 0), gdiRgb(192, 192, 192));
    QCOMPARE(at(image, 52, 16), gdiRgb(192, 192, 192));
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
            grey |= at(image, x, y) == gdiRgb(200, 200, 200);
            black |= at(image, x, y) == gdiRgb(0, 0, 0);
        }
    }
    QVERIFY(grey);
    QVERIFY(black);
}

QTEST_MAIN(TestButtonLook)
#include "tst_buttonlook.moc"
