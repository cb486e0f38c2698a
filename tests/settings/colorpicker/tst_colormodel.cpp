#include "platform/messagebox.h"
#include "settings/colorpicker/colorargument.h"
#include "settings/colorpicker/pickercore.h"
#include "testsupport.h"

#include <QTest>

using namespace zimbrel;
using namespace zimbrel::testing;
using namespace zimbrel::picker;

Q_DECLARE_METATYPE(zimbrel::picker::Rgb)

class TestColorModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void hslToRgb_data();
    void hslToRgb();
    void everyAngleAtFullSaturationReachesFullChannel();
    void greyAndBlackForEveryAngle();
    void angleOutsideTheCircleIsReportedAndBlack_data();
    void angleOutsideTheCircleIsReportedAndBlack();
    void hslToRgbWithUpdateFillsTheDialog();
    void hslToRgbWithoutUpdateOnlyKeepsChannels();

    void rgbToHsl_data();
    void rgbToHsl();
    void rgbToHslOfBlackKeepsTheSaturationBox();
    void rgbToHslWithoutUpdateSetsOnlyTheAngle();
    void rgbToHslToRgbRoundTrips();

    void hexTextIsSixDigits_data();
    void hexTextIsSixDigits();
    void splitSwatchIntoBoxes();
    void commandLineColor_data();
    void commandLineColor();

private:
    std::unique_ptr<MessageCapture> m_capture;
};

void TestColorModel::init()
{
    m_capture = std::make_unique<MessageCapture>();
}

void TestColorModel::cleanup()
{
    m_capture.reset();
}

void TestColorModel::hslToRgb_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("luminance");
    QTest::addColumn<Rgb>("rgb");
    QTest::newRow("red at 0") << 0 << 255 << 255 << Rgb{255, 0, 0};
    QTest::newRow("red at 1530") << 1530 << 255 << 255 << Rgb{255, 0, 0};
    QTest::newRow("yellow") << 255 << 255 << 255 << Rgb{255, 255, 0};
    QTest::newRow("green") << 510 << 255 << 255 << Rgb{0, 255, 0};
    QTest::newRow("cyan") << 765 << 255 << 255 << Rgb{0, 255, 255};
    QTest::newRow("blue") << 1020 << 255 << 255 << Rgb{0, 0, 255};
    QTest::newRow("magenta") << 1275 << 255 << 255 << Rgb{255, 0, 255};
    QTest::newRow("muted cyan") << 765 << 128 << 200 << Rgb{100, 200, 200};
    QTest::newRow("chartreuse") << 383 << 255 << 255 << Rgb{127, 255, 0};
    QTest::newRow("just below red") << 1529 << 255 << 255 << Rgb{255, 0, 1};
    QTest::newRow("first sector end") << 256 << 255 << 255 << Rgb{254, 255, 0};
    QTest::newRow("dark orange") << 128 << 255 << 128 << Rgb{128, 64, 0};
}

void TestColorModel::hslToRgb()
{
    QFETCH(int, angle);
    QFETCH(int, saturation);
    QFETCH(int, luminance);
    QFETCH(Rgb, rgb);
    QCOMPARE(picker::hslToRgb(angle, saturation, luminance), rgb);
    PickerControls controls;
    ColorPickerCore core(controls);
    QCOMPARE(core.HSLToRGB(angle, saturation, luminance, false), rgb.value());
    QVERIFY(m_capture->texts().isEmpty());
}

void TestColorModel::everyAngleAtFullSaturationReachesFullChannel()
{
    for (int angle = 0; angle <= kHueSteps; ++angle) {
        const Rgb rgb = picker::hslToRgb(angle, 255, 255);
        QVERIFY2(std::max({rgb.red, rgb.green, rgb.blue}) == 255, qPrintable(QString::number(angle)));
        QVERIFY2(std::min({rgb.red, rgb.green, rgb.blue}) == 0, qPrintable(QString::number(angle)));
    }
}

void TestColorModel::greyAndBlackForEveryAngle()
{
    for (int angle = 0; angle <= kHueSteps; angle += 17) {
        for (int level : {0, 1, 100, 254, 255}) {
            QCOMPARE(picker::hslToRgb(angle, 0, level), (Rgb{level, level, level}));
            QCOMPARE(picker::hslToRgb(angle, level, 0), (Rgb{0, 0, 0}));
        }
    }
}

void TestColorModel::angleOutsideTheCircleIsReportedAndBlack_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<QString>("message");
    QTest::newRow("1531") << 1531 << QStringLiteral("Error occured in HSLToRGB. intSystemColorAngleMax1530=  1531");
    QTest::newRow("-1") << -1 << QStringLiteral("Error occured in HSLToRGB. intSystemColorAngleMax1530= -1");
    QTest::newRow("32767") << 32767 << QStringLiteral("Error occured in HSLToRGB. intSystemColorAngleMax1530=  32767");
}

void TestColorModel::angleOutsideTheCircleIsReportedAndBlack()
{
    QFETCH(int, angle);
    QFETCH(QString, message);
    PickerControls controls;
    ColorPickerCore core(controls);
    QCOMPARE(core.HSLToRGB(angle, 255, 255, true), BgrColor(0));
    QCOMPARE(m_capture->texts(), QStringList{message});
    // The boxes still follow, and the angle is kept as given.
    QCOMPARE(controls.hexColor(), QStringLiteral("000000"));
    QCOMPARE(controls.newColor(), BgrColor(0));
    QCOMPARE(core.mIntSystemColorAngle(), angle);
}

void TestColorModel::hslToRgbWithUpdateFillsTheDialog()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    QCOMPARE(core.HSLToRGB(765, 128, 200, true), bgr(100, 200, 200));
    const QStringList boxes{QStringLiteral("180"), QStringLiteral("50"),  QStringLiteral("78"),
                            QStringLiteral("100"), QStringLiteral("200"), QStringLiteral("200")};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(controls.numValue(i), boxes[i]);
    QCOMPARE(controls.hexColor(), QStringLiteral("64C8C8"));
    QCOMPARE(controls.newColor(), bgr(100, 200, 200));
    QCOMPARE(core.mIntSystemColorAngle(), 765);
    QCOMPARE(core.mBteSaturation(), 128);
    QCOMPARE(core.mBteLuminance(), 200);
    QCOMPARE(core.mSngRed(), 100.0f);
    QCOMPARE(core.mSngBlue(), 200.0f);
}

void TestColorModel::hslToRgbWithoutUpdateOnlyKeepsChannels()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    core.HSLToRGB(383, 255, 255, false);
    QCOMPARE(core.mSngRed(), 127.0f);
    QCOMPARE(core.mSngGreen(), 255.0f);
    QCOMPARE(core.mSngBlue(), 0.0f);
    QCOMPARE(core.mIntSystemColorAngle(), 0);
    QCOMPARE(controls.newColor(), kDesignNewColor);
    QVERIFY(controls.numValue(0).isEmpty());
    QVERIFY(controls.hexColor().isEmpty());
}

void TestColorModel::rgbToHsl_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<int>("degrees");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("saturationPercent");
    QTest::addColumn<int>("saturation");
    QTest::addColumn<int>("luminancePercent");
    QTest::addColumn<QString>("hueBox");
    QTest::addColumn<QString>("hex");
    QTest::newRow("steel blue") << 18 << 52 << 86 << 210 << 892 << 79 << 202 << 34 << QStringLiteral("210")
                                << QStringLiteral("123456");
    QTest::newRow("tan") << 200 << 150 << 100 << 30 << 128 << 50 << 128 << 78 << QStringLiteral("30")
                         << QStringLiteral("C89664");
    QTest::newRow("yellow: red wins the tie")
        << 255 << 255 << 0 << 60 << 255 << 100 << 255 << 100 << QStringLiteral("60") << QStringLiteral("FFFF00");
    QTest::newRow("240.5 degrees rounds to even")
        << 1 << 0 << 120 << 240 << 1022 << 100 << 255 << 47 << QStringLiteral("240") << QStringLiteral("010078");
    QTest::newRow("white") << 255 << 255 << 255 << 0 << 0 << 0 << 0 << 100 << QStringLiteral("0")
                           << QStringLiteral("FFFFFF");
    QTest::newRow("magenta side, below zero")
        << 255 << 0 << 10 << 358 << 1520 << 100 << 255 << 100 << QStringLiteral("358") << QStringLiteral("FF000A");
    QTest::newRow("green ties blue: green wins")
        << 0 << 200 << 200 << 180 << 765 << 100 << 255 << 78 << QStringLiteral("180") << QStringLiteral("00C8C8");
    QTest::newRow("leading zeros") << 10 << 11 << 12 << 210 << 892 << 17 << 42 << 5 << QStringLiteral("210")
                                   << QStringLiteral("0A0B0C");
}

void TestColorModel::rgbToHsl()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(int, degrees);
    QFETCH(int, angle);
    QFETCH(int, saturationPercent);
    QFETCH(int, saturation);
    QFETCH(int, luminancePercent);
    QFETCH(QString, hueBox);
    QFETCH(QString, hex);
    PickerControls controls;
    ColorPickerCore core(controls);
    for (int i = 3; i < 6; ++i)
        controls.setNumValue(i, QStringLiteral("keep"));
    const HSLColor hsl = core.RGBToHSL(bgr(red, green, blue), true);
    QCOMPARE(hsl.intHueDegrees, qint16(degrees));
    QCOMPARE(hsl.bteSaturationPercent, quint8(saturationPercent));
    QCOMPARE(hsl.bteLuminancePercent, quint8(luminancePercent));
    QCOMPARE(core.mIntSystemColorAngle(), angle);
    QCOMPARE(core.mBteSaturation(), saturation);
    QCOMPARE(core.mBteLuminance(), std::max({red, green, blue}));
    QCOMPARE(controls.numValue(0), hueBox);
    QCOMPARE(controls.numValue(1), QString::number(saturationPercent));
    QCOMPARE(controls.numValue(2), QString::number(luminancePercent));
    QCOMPARE(controls.hexColor(), hex);
    // Red, green, blue boxes and the swatch are left to the caller.
    QCOMPARE(controls.numValue(3), QStringLiteral("keep"));
    QCOMPARE(controls.newColor(), kDesignNewColor);
}

void TestColorModel::rgbToHslOfBlackKeepsTheSaturationBox()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    core.RGBToHSL(bgr(200, 150, 100), true);
    const HSLColor hsl = core.RGBToHSL(0, true);
    QCOMPARE(hsl, (HSLColor{0, 0, 0}));
    QCOMPARE(core.mBteSaturation(), 0);
    QCOMPARE(core.mBteLuminance(), 0);
    QCOMPARE(controls.numValue(1), QStringLiteral("50"));
    QCOMPARE(controls.numValue(2), QStringLiteral("0"));
    QCOMPARE(controls.hexColor(), QStringLiteral("000000"));
}

void TestColorModel::rgbToHslWithoutUpdateSetsOnlyTheAngle()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    core.setCurrentHsl(core.mIntSystemColorAngle(), 7, 9);
    core.RGBToHSL(bgr(18, 52, 86), false);
    QCOMPARE(core.mIntSystemColorAngle(), 892);
    QCOMPARE(core.mBteSaturation(), 7);
    QCOMPARE(core.mBteLuminance(), 9);
    QVERIFY(controls.hexColor().isEmpty());
}

void TestColorModel::rgbToHslToRgbRoundTrips()
{
    // From a colour to hue, saturation, luminance and back lands within one step of each channel.
    for (int r = 0; r < 256; r += 15) {
        for (int g = 0; g < 256; g += 15) {
            for (int b = 0; b < 256; b += 15) {
                const HslFromRgb hsl = picker::rgbToHsl(bgr(r, g, b));
                const Rgb back = picker::hslToRgb(hsl.angle, hsl.saturation, hsl.luminance);
                const QString where = QStringLiteral("%1,%2,%3 -> %4,%5,%6")
                                          .arg(r)
                                          .arg(g)
                                          .arg(b)
                                          .arg(back.red)
                                          .arg(back.green)
                                          .arg(back.blue);
                QVERIFY2(std::abs(back.red - r) <= 1 && std::abs(back.green - g) <= 1 && std::abs(back.blue - b) <= 1,
                         qPrintable(where));
            }
        }
    }
}

void TestColorModel::hexTextIsSixDigits_data()
{
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");
    QTest::addColumn<QString>("hex");
    QTest::newRow("black") << 0 << 0 << 0 << QStringLiteral("000000");
    QTest::newRow("blue only") << 0 << 0 << 1 << QStringLiteral("000001");
    QTest::newRow("small red") << 10 << 11 << 12 << QStringLiteral("0A0B0C");
    QTest::newRow("red 16") << 16 << 0 << 0 << QStringLiteral("100000");
    QTest::newRow("white") << 255 << 255 << 255 << QStringLiteral("FFFFFF");
}

void TestColorModel::hexTextIsSixDigits()
{
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    QFETCH(QString, hex);
    QCOMPARE(hexText(red, green, blue), hex);
}

void TestColorModel::splitSwatchIntoBoxes()
{
    PickerControls controls;
    ColorPickerCore core(controls);
    controls.setNewColor(bgr(1, 2, 3));
    core.SplitlblNewColorToRGBboxes();
    QCOMPARE(controls.numValue(3), QStringLiteral("1"));
    QCOMPARE(controls.numValue(4), QStringLiteral("2"));
    QCOMPARE(controls.numValue(5), QStringLiteral("3"));
    QCOMPARE(core.mSngRed(), 1.0f);
    QCOMPARE(core.mSngGreen(), 2.0f);
    QCOMPARE(core.mSngBlue(), 3.0f);
}

void TestColorModel::commandLineColor_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("color"); // empty: refused
    QTest::newRow("six digits") << QStringLiteral("3366cc") << QStringLiteral("3366CC");
    QTest::newRow("hash and six") << QStringLiteral("#3366CC") << QStringLiteral("3366CC");
    QTest::newRow("hash and three") << QStringLiteral("#2aE") << QStringLiteral("22AAEE");
    QTest::newRow("three without hash") << QStringLiteral("2AE") << QString();
    QTest::newRow("final line feed") << QStringLiteral("#2AE\n") << QString();
    QTest::newRow("six and a line feed") << QStringLiteral("3366cc\n") << QString();
    QTest::newRow("trailing blank") << QStringLiteral("3366cc ") << QString();
    QTest::newRow("leading blank") << QStringLiteral(" 3366cc") << QString();
    QTest::newRow("seven digits") << QStringLiteral("3366cc0") << QString();
    QTest::newRow("two hashes") << QStringLiteral("##3366cc") << QString();
    QTest::newRow("not hex") << QStringLiteral("#33g6cc") << QString();
    QTest::newRow("full-width digits") << QStringLiteral("\uFF13\uFF13\uFF16\uFF16cc") << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("hash alone") << QStringLiteral("#") << QString();
    QTest::newRow("name") << QStringLiteral("red") << QStringLiteral("FF0000");
    QTest::newRow("name in any case") << QStringLiteral("SteelBlue") << QStringLiteral("4682B4");
    QTest::newRow("unknown name") << QStringLiteral("reddish") << QString();
    QTest::newRow("name and a blank") << QStringLiteral("red ") << QString();
    QTest::newRow("twelve digits") << QStringLiteral("#33336666CCCC") << QStringLiteral("3366CC");
    QTest::newRow("nine digits") << QStringLiteral("#333666CCC") << QStringLiteral("3366CC");
    QTest::newRow("alpha digits") << QStringLiteral("#FF3366CC") << QString();
    QTest::newRow("transparent") << QStringLiteral("transparent") << QString();
    QTest::newRow("rgb()") << QStringLiteral("rgb(51,102,204)") << QStringLiteral("3366CC");
    QTest::newRow("rgb() with blanks") << QStringLiteral("RGB( 51, 102 ,204 )") << QStringLiteral("3366CC");
    QTest::newRow("rgb() above 255") << QStringLiteral("rgb(256,0,0)") << QString();
    QTest::newRow("rgb() two numbers") << QStringLiteral("rgb(1,2)") << QString();
    QTest::newRow("rgb() four numbers") << QStringLiteral("rgb(1,2,3,4)") << QString();
    QTest::newRow("rgb() percent") << QStringLiteral("rgb(20%,0,0)") << QString();
    QTest::newRow("rgb() negative") << QStringLiteral("rgb(-1,0,0)") << QString();
    QTest::newRow("rgb() empty slot") << QStringLiteral("rgb(1,,3)") << QString();
    QTest::newRow("rgba()") << QStringLiteral("rgba(51,102,204,1)") << QString();
    QTest::newRow("rgb() and a line feed") << QStringLiteral("rgb(51,102,204)\n") << QString();
}

void TestColorModel::commandLineColor()
{
    QFETCH(QString, argument);
    QFETCH(QString, color);
    const ColorArgument parsed = readColorArgument(argument);
    QCOMPARE(parsed.color.value_or(QString()), color);
    QCOMPARE(parsed.color.has_value(), !color.isEmpty());
    // A refusal says why; alpha is named as the reason.
    QCOMPARE(parsed.why.isEmpty(), parsed.color.has_value());
    const QByteArray tag(QTest::currentDataTag());
    if (tag == "alpha digits" || tag == "rgba()")
        QVERIFY2(parsed.why.contains(QStringLiteral("alpha")), qPrintable(parsed.why));
}

QTEST_GUILESS_MAIN(TestColorModel)
#include "tst_colormodel.moc"
