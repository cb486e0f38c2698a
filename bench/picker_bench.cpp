#include "benchutil.h"
#include "picker_bench.h"

#include "platform/messagebox.h"
#include "settings/colorpicker/frmcolorpicker.h"
#include "settings/colorpicker/pickercore.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QWindow>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>

#include <algorithm>
#include <functional>
#include <vector>

using namespace zimbrel::bench;

using namespace zimbrel::picker;

namespace {

const char *const kModeNames[] = {"hue", "saturation", "brightness", "red", "green", "blue"};

QString us(double value)
{
    return QString::number(value, 'f', 1) + QStringLiteral("us");
}

// A picker showing a mid-range colour in `mode`, as after a mode switch.
struct Picker
{
    PickerControls controls;
    ColorPickerCore core{controls};

    explicit Picker(int mode)
    {
        core.HSLToRGB(300, 180, 200, true);
        controls.setCheckedOption(mode);
    }

    void paintField() { core.picBigBox_Colorize(); }

    void paintStrip()
    {
        const int mode = controls.checkedOption();
        switch (mode) {
        case RedMode:
            core.opt3RedPaintPicThinBox(core.mSngGreen(), core.mSngBlue());
            break;
        case GreenMode:
            core.opt4GreenPaintPicThinBox(core.mSngRed(), core.mSngBlue());
            break;
        case BlueMode:
            core.opt5BluePaintPicThinBox(core.mSngRed(), core.mSngGreen());
            break;
        default:
            core.PaintPicThinBox(mode);
        }
    }

    // One step of a drag in the field: the colour under the pointer becomes current, the boxes
    // follow, and the strip where it shows a coordinate of the field.
    void dragStep(int x, int y)
    {
        switch (controls.checkedOption()) {
        case HueMode:
            core.HSLToRGB(core.mIntSystemColorAngle(), x, 255 - y, true);
            break;
        case SaturationMode:
            core.HSLToRGB(wholeNumber(x * 6.0), core.mBteSaturation(), 255 - y, true);
            core.PaintPicThinBox(SaturationMode);
            break;
        case BrightnessMode:
            core.HSLToRGB(wholeNumber(x * 6.0), 255 - y, core.mBteLuminance(), true);
            core.PaintPicThinBox(BrightnessMode);
            break;
        case RedMode:
            core.BigBoxOpt3Reaction(x, y);
            break;
        case GreenMode:
            core.BigBoxOpt4Reaction(x, y);
            break;
        case BlueMode:
            core.BigBoxOpt5Reaction(x, y);
            break;
        }
    }
};

} // namespace

void benchColorPicker(void (*print)(const char *, const QString &))
{
    double fieldMax = 0;
    double stripMax = 0;
    double dragMax = 0;
    for (int mode = 0; mode < 6; ++mode) {
        Picker picker(mode);
        picker.paintField();
        const double field = medianMicroseconds(31, [&] { picker.paintField(); });
        const double strip = medianMicroseconds(101, [&] { picker.paintStrip(); });
        int step = 0;
        const double drag = medianMicroseconds(201, [&] {
            ++step;
            picker.dragStep((step * 37) % 256, (step * 91) % 256);
        });
        print(qPrintable(QStringLiteral("field_repaint_us_%1").arg(QLatin1String(kModeNames[mode]))), us(field));
        print(qPrintable(QStringLiteral("strip_repaint_us_%1").arg(QLatin1String(kModeNames[mode]))), us(strip));
        print(qPrintable(QStringLiteral("drag_step_us_%1").arg(QLatin1String(kModeNames[mode]))), us(drag));
        fieldMax = std::max(fieldMax, field);
        stripMax = std::max(stripMax, strip);
        dragMax = std::max(dragMax, drag);
    }
    // The floor: filling the same 256 x 256 image once.
    PixelCanvas canvas(kFieldSize, kFieldSize);
    int shade = 0;
    const double fill = medianMicroseconds(201, [&] { canvas.fill(bgr(++shade & 0xFF, 0, 0)); });
    print("field_repaint_us_max", us(fieldMax));
    print("strip_repaint_us_max", us(stripMax));
    print("drag_step_us_max", us(dragMax));
    print("field_fill_us", us(fill));
    print("field_repaint_fill_ratio", QString::number(fieldMax / fill, 'f', 2) + u'x');
}

void benchPickerOpen(void (*print)(const char *, const QString &))
{
    // The state file in place, as after the first use, so no message box opens.
    const QString name = QStringLiteral("bench-colorpicker.ini");
    const QString path = QCoreApplication::applicationDirPath() + u'/' + name;
    QFile::remove(path);
    const auto previous = zimbrel::setMessageHandler([](const zimbrel::Message &) {});
    auto openPicker = [&] {
        zimbrel::picker::frmColorPicker dialog;
        dialog.setINIFileName(name);
        dialog.Form_Load();
        dialog.setHexColor(QStringLiteral("3366CC"));
        dialog.txtHexColor_LostFocus();
        dialog.show();
        waitUntilExposed(&dialog);
        dialog.Form_QueryUnload();
    };
    auto openQt = [] {
        QColorDialog dialog(QColor(0x33, 0x66, 0xCC));
        dialog.show();
        waitUntilExposed(&dialog);
    };
    openPicker();
    openQt();
    std::vector<double> picker;
    std::vector<double> qt;
    for (int i = 0; i < 15; ++i) {
        picker.push_back(medianMicroseconds(1, openPicker));
        qt.push_back(medianMicroseconds(1, openQt));
    }
    std::sort(picker.begin(), picker.end());
    std::sort(qt.begin(), qt.end());
    const double p = picker[picker.size() / 2];
    const double q = qt[qt.size() / 2];
    print("picker_open_us", us(p));
    print("qcolordialog_open_us", us(q));
    print("picker_open_ratio", QString::number(p / q, 'f', 2) + u'x');
    zimbrel::setMessageHandler(previous);
    QFile::remove(path);
}

bool writePickerImages(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    bool ok = true;
    for (int mode = 0; mode < 6; ++mode) {
        Picker picker(mode);
        picker.paintStrip();
        picker.paintField();
        const QString name = QLatin1String(kModeNames[mode]);
        ok &= picker.core.picBigBox().image().save(folder + QStringLiteral("/field-%1.png").arg(name));
        ok &= picker.core.picThinBox().image().save(folder + QStringLiteral("/strip-%1.png").arg(name));
    }
    return ok;
}
