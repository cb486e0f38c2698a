#include "platform/messagebox.h"
#include "settings/colorpicker/pickercore.h"

#include <QTest>

using namespace zimbrel;
using namespace zimbrel::picker;

namespace {

// A picker with its current colour set the way the dialog sets it, in the given mode.
struct Picker
{
    PickerControls controls;
    ColorPickerCore core{controls};

    Picker(int mode, int angle, int saturation, int luminance)
    {
        core.HSLToRGB(angle, saturation, luminance, true);
        controls.setCheckedOption(mode);
    }
};

BgrColor white = bgr(255, 255, 255);

} // namespace

class TestColorField : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hueField();
    void saturationField();
    void brightnessField();
    void rainbowColumnsCarryTheirHues_data();
    void rainbowColumnsCarryTheirHues();
    void channelFields_data();
    void channelFields();
    void channelFieldNeedsANumber();

    void firstPlacementFollowsTheColour_data();
    void firstPlacementFollowsTheColour();
    void ringFormFollowsTheColour_data();
    void ringFormFollowsTheColour();
    void sampleSaveAndEraseRestoreTheField_data();
    void sampleSaveAndEraseRestoreTheField();
    void ringAtTheCornerSamplesOutsideAsNothing();
    void colorizeWithShownMarkerTakesTheSwatchFromTheField();
    void pickInChannelModeFollowsThePixel();
};

void TestColorField::hueField()
{
    Picker p(HueMode, 0, 255, 255);
    p.core.Bigbox3D();
    const PixelCanvas &f = p.core.picBigBox();
    QCOMPARE(f.pixel(255, 0), bgr(255, 0, 0));
    QCOMPARE(f.pixel(0, 0), white);
    for (int x = 0; x < 256; ++x)
        QCOMPARE(f.pixel(x, 255), BgrColor(0));
    // A column fades evenly: halfway down, half the red.
    QCOMPARE(f.pixel(255, 128), bgr(127, 0, 0));
    // The painter converted the top row last at full saturation and luminance.
    QCOMPARE(p.core.mSngRed(), 255.0f);
    QCOMPARE(p.core.mSngGreen(), 0.0f);
}

void TestColorField::saturationField()
{
    Picker p(SaturationMode, 0, 255, 90);
    p.core.RainBowBigbox(false, true);
    const PixelCanvas &f = p.core.picBigBox();
    for (int x = 0; x < 255; ++x)
        QCOMPARE(f.pixel(x, 0), picker::hslToRgb(rainbowHues()[x], 255, 255).value());
    for (int y = 0; y < 256; ++y) {
        QCOMPARE(f.pixel(255, y), f.pixel(0, y));
        QCOMPARE(f.pixel(255, y), bgr(255 - y, 0, 0));
    }
    for (int x = 0; x < 256; ++x)
        QCOMPARE(f.pixel(x, 255), BgrColor(0));
}

void TestColorField::brightnessField()
{
    Picker p(BrightnessMode, 0, 40, 255);
    p.core.RainBowBigbox(true, false);
    const PixelCanvas &f = p.core.picBigBox();
    QCOMPARE(f.pixel(0, 0), bgr(255, 0, 0));
    QCOMPARE(f.pixel(42, 0), bgr(255, 255, 0));
    for (int x = 0; x < 256; ++x)
        QCOMPARE(f.pixel(x, 255), white);
    // Saturation 255 - y down the rows at full luminance.
    QCOMPARE(f.pixel(255, 128), picker::hslToRgb(0, 127, 255).value());
}

void TestColorField::rainbowColumnsCarryTheirHues_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("hue");
    const int table[][2] = {{0, 0},      {1, 6},      {2, 12},     {3, 19},    {4, 25},    {41, 254},
                            {42, 255},   {84, 509},   {85, 510},   {126, 764}, {127, 765}, {169, 1019},
                            {170, 1020}, {211, 1274}, {212, 1275}, {254, 1529}};
    for (const auto &row : table)
        QTest::addRow("column %d", row[0]) << row[0] << row[1];
}

void TestColorField::rainbowColumnsCarryTheirHues()
{
    QFETCH(int, column);
    QFETCH(int, hue);
    QCOMPARE(rainbowHues()[column], hue);
}

void TestColorField::channelFields_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("fixed");
    QTest::addColumn<BgrColor>("topLeft");
    QTest::addColumn<BgrColor>("topRight");
    QTest::addColumn<BgrColor>("bottomLeft");
    QTest::addColumn<BgrColor>("bottomRight");
    QTest::newRow("red 255") << int(RedMode) << QStringLiteral("255") << bgr(255, 255, 0) << bgr(255, 255, 255)
                             << bgr(255, 0, 0) << bgr(255, 0, 255);
    QTest::newRow("green 10") << int(GreenMode) << QStringLiteral("10") << bgr(255, 10, 0) << bgr(255, 10, 255)
                              << bgr(0, 10, 0) << bgr(0, 10, 255);
    QTest::newRow("blue 0") << int(BlueMode) << QStringLiteral("0") << bgr(0, 255, 0) << bgr(255, 255, 0)
                            << bgr(0, 0, 0) << bgr(255, 0, 0);
    QTest::newRow("above 255 counts as 255") << int(RedMode) << QStringLiteral("300") << bgr(255, 255, 0)
                                             << bgr(255, 255, 255) << bgr(255, 0, 0) << bgr(255, 0, 255);
    QTest::newRow("fraction rounds to even") << int(BlueMode) << QStringLiteral("2.5") << bgr(0, 255, 2)
                                             << bgr(255, 255, 2) << bgr(0, 0, 2) << bgr(255, 0, 2);
}

void TestColorField::channelFields()
{
    QFETCH(int, mode);
    QFETCH(QString, fixed);
    QFETCH(BgrColor, topLeft);
    QFETCH(BgrColor, topRight);
    QFETCH(BgrColor, bottomLeft);
    QFETCH(BgrColor, bottomRight);
    PickerControls controls;
    ColorPickerCore core(controls);
    controls.setNumValue(mode, fixed);
    controls.setCheckedOption(mode);
    core.setBigBoxReady(true);
    core.picBigBox_Colorize();
    const PixelCanvas &f = core.picBigBox();
    QCOMPARE(f.pixel(0, 0), topLeft);
    QCOMPARE(f.pixel(255, 0), topRight);
    QCOMPARE(f.pixel(0, 255), bottomLeft);
    QCOMPARE(f.pixel(255, 255), bottomRight);
}

void TestColorField::channelFieldNeedsANumber()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    core.picBigBox().fill(bgr(1, 2, 3));
    controls.setNumValue(3, QStringLiteral("abc"));
    QVERIFY(!core.opt3RedPaintPicBigBox());
    QCOMPARE(core.picBigBox().pixel(100, 100), bgr(1, 2, 3));
}

void TestColorField::firstPlacementFollowsTheColour_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("luminance");
    QTest::addColumn<QPoint>("centre");
    QTest::newRow("hue mode") << int(HueMode) << 300 << 128 << 255 << QPoint(128, 0);
    QTest::newRow("saturation mode, 127.5 to 128") << int(SaturationMode) << 765 << 200 << 100 << QPoint(128, 155);
    QTest::newRow("brightness mode") << int(BrightnessMode) << 1530 << 55 << 100 << QPoint(255, 200);
    QTest::newRow("brightness mode, 0.5 to 0") << int(BrightnessMode) << 3 << 255 << 255 << QPoint(0, 0);
}

void TestColorField::firstPlacementFollowsTheColour()
{
    QFETCH(int, mode);
    QFETCH(int, angle);
    QFETCH(int, saturation);
    QFETCH(int, luminance);
    QFETCH(QPoint, centre);
    Picker p(mode, angle, saturation, luminance);
    p.core.picBigBox_Colorize();
    QVERIFY(p.core.mBlnMarkerShown());
    QVERIFY(p.core.mBlnBigBoxReady());
    QCOMPARE(QPoint(p.core.mIntMarkerX(), p.core.mIntMarkerY()), centre);
    // The ring is drawn over what was sampled: white, or the complement of what lay there.
    int drawn = 0;
    for (const QPoint &d : ringOffsets()) {
        const BgrColor saved = p.core.mLngMarkerBackground()[d.x() + 5][d.y() + 5];
        const BgrColor now = p.core.picBigBox().pixel(centre.x() + d.x(), centre.y() + d.y());
        if (saved == kNoPixel)
            continue;
        QVERIFY(now == white || now == (saved ^ 0x00FFFFFFu));
        QVERIFY(now != saved);
        ++drawn;
    }
    QVERIFY(drawn > 0);
}

void TestColorField::ringFormFollowsTheColour_data()
{
    QTest::addColumn<int>("luminance");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<QString>("hueBox");
    QTest::addColumn<bool>("whiteRing");
    QTest::newRow("dark") << 120 << 255 << QStringLiteral("60") << true;
    QTest::newRow("light, red, saturated") << 250 << 255 << QStringLiteral("0") << true;
    QTest::newRow("light, magenta, saturated") << 250 << 255 << QStringLiteral("300") << true;
    QTest::newRow("light, yellow") << 250 << 255 << QStringLiteral("60") << false;
    QTest::newRow("light, red, pale") << 250 << 50 << QStringLiteral("0") << false;
    QTest::newRow("light, hue 26") << 200 << 255 << QStringLiteral("26") << false;
    QTest::newRow("light, hue 201") << 200 << 255 << QStringLiteral("201") << true;
}

void TestColorField::ringFormFollowsTheColour()
{
    QFETCH(int, luminance);
    QFETCH(int, saturation);
    QFETCH(QString, hueBox);
    QFETCH(bool, whiteRing);
    PickerControls controls;
    ColorPickerCore core(controls);
    core.setCurrentHsl(core.mIntSystemColorAngle(), saturation, luminance);
    controls.setNumValue(0, hueBox);
    const BgrColor ground = bgr(10, 200, 30);
    core.picBigBox().fill(ground);
    core.PaintMarker(100, 50);
    const BgrColor ring = whiteRing ? white : (ground ^ 0x00FFFFFFu);
    for (const QPoint &d : ringOffsets())
        QCOMPARE(core.picBigBox().pixel(100 + d.x(), 50 + d.y()), ring);
    // The centre and the rest of the 11 x 11 square stay as they were.
    QCOMPARE(core.picBigBox().pixel(100, 50), ground);
    QCOMPARE(core.picBigBox().pixel(95, 45), ground);
    QCOMPARE(core.picBigBox().pixel(103, 53), ground);
}

void TestColorField::sampleSaveAndEraseRestoreTheField_data()
{
    QTest::addColumn<QPoint>("centre");
    QTest::addColumn<int>("luminance");
    QTest::newRow("inside, white ring") << QPoint(100, 100) << 100;
    QTest::newRow("inside, inverted ring") << QPoint(30, 200) << 255;
    QTest::newRow("corner") << QPoint(0, 0) << 100;
    QTest::newRow("far corner") << QPoint(255, 255) << 255;
    QTest::newRow("edge") << QPoint(128, 3) << 100;
}

void TestColorField::sampleSaveAndEraseRestoreTheField()
{
    QFETCH(QPoint, centre);
    QFETCH(int, luminance);
    Picker p(SaturationMode, 900, 255, luminance);
    p.core.RainBowBigbox(false, true);
    const QImage before = p.core.picBigBox().image().copy();
    p.core.setMarker(QPoint((centre.x()), (centre.y())), true);
    p.controls.setNumValue(0, QStringLiteral("100"));
    p.core.SampleMarkerBackground();
    p.core.PaintMarker(centre.x(), centre.y());
    QVERIFY(p.core.picBigBox().image() != before);
    p.core.EraseMarker();
    QCOMPARE(p.core.picBigBox().image(), before);
}

void TestColorField::ringAtTheCornerSamplesOutsideAsNothing()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    core.setMarker(QPoint(core.mIntMarkerX(), core.mIntMarkerY()), true);
    core.SampleMarkerBackground();
    int outside = 0;
    for (int j = 0; j <= 10; ++j) {
        for (int i = 0; i <= 10; ++i)
            outside += core.mLngMarkerBackground()[i][j] == kNoPixel;
    }
    QCOMPARE(outside, 85);
    // Not sampling while no marker is shown.
    PickerControls other;
    ColorPickerCore hidden(other);
    hidden.SampleMarkerBackground();
    QCOMPARE(hidden.mLngMarkerBackground()[0][0], BgrColor(0));
}

void TestColorField::colorizeWithShownMarkerTakesTheSwatchFromTheField()
{
    Picker p(HueMode, 0, 255, 255);
    p.core.picBigBox_Colorize();
    // A mode switch moves the marker and repaints with the marker shown.
    p.core.setMarker(QPoint(200, 60), p.core.mBlnMarkerShown());
    p.controls.setCheckedOption(BlueMode);
    p.controls.setNumValue(5, QStringLiteral("40"));
    p.core.picBigBox_Colorize();
    QCOMPARE(p.controls.newColor(), bgr(200, 195, 40));
    QCOMPARE(QPoint(p.core.mIntMarkerX(), p.core.mIntMarkerY()), QPoint(200, 60));
}

void TestColorField::pickInChannelModeFollowsThePixel()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    controls.setCheckedOption(RedMode);
    controls.setNumValue(3, QStringLiteral("200"));
    core.setBigBoxReady(true);
    core.picBigBox_Colorize();
    core.BigBoxOpt3Reaction(100, 55);
    // x is blue, y is 255 - green.
    QCOMPARE(controls.newColor(), bgr(200, 200, 100));
    QCOMPARE(controls.numValue(3), QStringLiteral("200"));
    QCOMPARE(controls.numValue(4), QStringLiteral("200"));
    QCOMPARE(controls.numValue(5), QStringLiteral("100"));
    QCOMPARE(controls.hexColor(), QStringLiteral("C8C864"));
    QCOMPARE(core.mIntSystemColorAngle(), 255);
    // The strip now shows red for green 200 and blue 100.
    QCOMPARE(core.picThinBox().pixel(0, 0), bgr(255, 200, 100));
    QCOMPARE(core.picThinBox().pixel(18, 255), bgr(0, 200, 100));
}

QTEST_GUILESS_MAIN(TestColorField)
#include "tst_colorfield.moc"
