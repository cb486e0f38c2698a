#include "settings/colorpicker/pickercore.h"

#include <QTest>

using namespace zimbrel::picker;

namespace {

// Every painted column must be the same; the twentieth is clipped and reads as nothing.
void verifyColumnsAlike(const PixelCanvas &strip)
{
    QCOMPARE(strip.width(), kStripVisibleColumns);
    for (int y = 0; y < kStripRows; ++y) {
        for (int x = 1; x < kStripVisibleColumns; ++x)
            QCOMPARE(strip.pixel(x, y), strip.pixel(0, y));
        QCOMPARE(strip.pixel(kStripVisibleColumns, y), kNoPixel);
    }
}

} // namespace

class TestColorStrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rainbowStrip_data();
    void rainbowStrip();
    void saturationStrip();
    void brightnessStrip();
    void channelStrips_data();
    void channelStrips();

    void moveArrows_data();
    void moveArrows();
    void positionArrows_data();
    void positionArrows();
    void nudgeHueStaysOnTheCircle_data();
    void nudgeHueStaysOnTheCircle();
};

void TestColorStrip::rainbowStrip_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<BgrColor>("color");
    QTest::newRow("bottom red") << 255 << bgr(255, 0, 0);
    QTest::newRow("top red") << 0 << bgr(255, 0, 0);
    QTest::newRow("hue 254") << 214 << bgr(255, 254, 0);
    QTest::newRow("hue 255") << 213 << bgr(255, 255, 0);
    QTest::newRow("hue 510") << 170 << bgr(0, 255, 0);
    QTest::newRow("hue 1020") << 85 << bgr(0, 0, 255);
    QTest::newRow("hue 1529") << 1 << bgr(255, 0, 1);
}

void TestColorStrip::rainbowStrip()
{
    QFETCH(int, row);
    QFETCH(BgrColor, color);
    PickerControls controls;
    ColorPickerCore core(controls);
    controls.setThinBoxVisible(false);
    core.PaintPicThinBox(HueMode);
    QCOMPARE(core.picThinBox().pixel(0, row), color);
    verifyColumnsAlike(core.picThinBox());
    QVERIFY(controls.thinBoxVisible());
}

void TestColorStrip::saturationStrip()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    core.HSLToRGB(0, 10, 255, true);
    core.PaintPicThinBox(SaturationMode);
    QCOMPARE(core.picThinBox().pixel(0, 0), bgr(255, 0, 0));
    QCOMPARE(core.picThinBox().pixel(0, 255), bgr(255, 255, 255));
    QCOMPARE(core.picThinBox().pixel(5, 100), hslToRgb(0, 155, 255).value());
    verifyColumnsAlike(core.picThinBox());
}

void TestColorStrip::brightnessStrip()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    core.HSLToRGB(1020, 255, 40, true);
    core.PaintPicThinBox(BrightnessMode);
    QCOMPARE(core.picThinBox().pixel(0, 0), bgr(0, 0, 255));
    QCOMPARE(core.picThinBox().pixel(0, 128), bgr(0, 0, 127));
    QCOMPARE(core.picThinBox().pixel(0, 255), bgr(0, 0, 0));
    verifyColumnsAlike(core.picThinBox());
    // The strip's colour is a conversion of the current colour, which it leaves alone.
    QCOMPARE(core.mBteLuminance(), 40);
    QCOMPARE(controls.numValue(2), QStringLiteral("16"));
}

void TestColorStrip::channelStrips_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    QTest::addColumn<BgrColor>("top");
    QTest::addColumn<BgrColor>("bottom");
    QTest::newRow("red, on black") << int(RedMode) << 0.0 << 0.0 << bgr(255, 0, 0) << bgr(0, 0, 0);
    QTest::newRow("green") << int(GreenMode) << 10.0 << 20.0 << bgr(10, 255, 20) << bgr(10, 0, 20);
    QTest::newRow("blue") << int(BlueMode) << 30.0 << 40.0 << bgr(30, 40, 255) << bgr(30, 40, 0);
    QTest::newRow("halves to even") << int(RedMode) << 2.5 << 3.5 << bgr(255, 2, 4) << bgr(0, 2, 4);
}

void TestColorStrip::channelStrips()
{
    QFETCH(int, mode);
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(BgrColor, top);
    QFETCH(BgrColor, bottom);
    PickerControls controls;
    ColorPickerCore core(controls);
    if (mode == RedMode)
        core.opt3RedPaintPicThinBox(first, second);
    else if (mode == GreenMode)
        core.opt4GreenPaintPicThinBox(first, second);
    else
        core.opt5BluePaintPicThinBox(first, second);
    QCOMPARE(core.picThinBox().pixel(0, 0), top);
    QCOMPARE(core.picThinBox().pixel(0, 255), bottom);
    verifyColumnsAlike(core.picThinBox());
}

void TestColorStrip::moveArrows_data()
{
    QTest::addColumn<double>("row");
    QTest::newRow("top") << 0.0;
    QTest::newRow("bottom") << 255.0;
    QTest::newRow("fraction") << 127.5;
}

void TestColorStrip::moveArrows()
{
    QFETCH(double, row);
    PickerControls controls;
    ColorPickerCore core(controls);
    core.MoveArrows(row);
    const double expected[6][2] = {{28, 38}, {38, 32}, {28, 34}, {28, 38}, {33, 38}, {33, 28}};
    for (int i = 0; i < 6; ++i) {
        QCOMPARE(controls.triangleLine(i).y1(), row + expected[i][0]);
        QCOMPARE(controls.triangleLine(i).y2(), row + expected[i][1]);
    }
    // Only the rows move; the triangles keep their sides of the strip.
    QCOMPARE(controls.triangleLine(0).x1(), 277.0);
    QCOMPARE(controls.triangleLine(1).x2(), 283.0);
    QCOMPARE(controls.triangleLine(5).x2(), 312.0);
}

void TestColorStrip::positionArrows_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("angle");
    QTest::addColumn<double>("row");
    QTest::newRow("hue 765") << int(HueMode) << QString() << 765 << 127.5;
    QTest::newRow("hue 0") << int(HueMode) << QString() << 0 << 255.0;
    QTest::newRow("saturation 50%") << int(SaturationMode) << QStringLiteral("50") << 0 << 127.5;
    QTest::newRow("brightness 100%") << int(BrightnessMode) << QStringLiteral("100") << 0 << 0.0;
    QTest::newRow("red 200") << int(RedMode) << QStringLiteral("200") << 0 << 55.0;
    QTest::newRow("blue 0") << int(BlueMode) << QStringLiteral("0") << 0 << 255.0;
}

void TestColorStrip::positionArrows()
{
    QFETCH(int, mode);
    QFETCH(QString, box);
    QFETCH(int, angle);
    QFETCH(double, row);
    PickerControls controls;
    ColorPickerCore core(controls);
    controls.setCheckedOption(mode);
    if (!box.isEmpty())
        controls.setNumValue(mode, box);
    core.setCurrentHsl(angle, core.mBteSaturation(), core.mBteLuminance());
    core.PositionArrows();
    QVERIFY(qAbs(controls.triangleLine(0).y1() - (row + 28)) < 1e-9);

    // With no mode checked, or no number in the box, the triangles stay.
    PickerControls still;
    ColorPickerCore idle(still);
    idle.PositionArrows();
    still.setCheckedOption(RedMode);
    still.setNumValue(3, QStringLiteral("x"));
    idle.PositionArrows();
    QCOMPARE(still.triangleLine(0).y1(), 251.0);
}

void TestColorStrip::nudgeHueStaysOnTheCircle_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("result");
    QTest::newRow("top stays") << 1530 << 1 << 1530;
    QTest::newRow("bottom stays") << 0 << -1 << 0;
    QTest::newRow("up one") << 764 << 1 << 765;
    QTest::newRow("down one") << 765 << -1 << 764;
}

void TestColorStrip::nudgeHueStaysOnTheCircle()
{
    QFETCH(int, angle);
    QFETCH(int, step);
    QFETCH(int, result);
    PickerControls controls;
    ColorPickerCore core(controls);
    core.HSLToRGB(angle, 255, 255, true);
    controls.setHexColor(QString());
    core.NudgeHueValue(step);
    QCOMPARE(core.mIntSystemColorAngle(), result);
    // Still converted and the triangles moved, also where the hue could not change.
    QCOMPARE(
        controls.hexColor(),
        hexText(hslToRgb(result, 255, 255).red, hslToRgb(result, 255, 255).green, hslToRgb(result, 255, 255).blue));
    QVERIFY(qAbs(controls.triangleLine(0).y1() - (255.0 - result / 1530.0 * 255.0 + 28)) < 1e-9);
}

QTEST_GUILESS_MAIN(TestColorStrip)
#include "tst_colorstrip.moc"
