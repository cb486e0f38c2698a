// The colour picker's typed values: whatever text a box holds when it is left (typed, pasted or
// dropped), the correction leaves every box with a number in its range and a colour of 24 bits.
#include "fuzzcheck.h"
#include "platform/messagebox.h"
#include "settings/colorpicker/frmcolorpicker.h"

#include <QApplication>

using namespace zimbrel;
using namespace zimbrel::picker;

namespace {

frmColorPicker *dialog()
{
    static frmColorPicker *picker = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "fuzz_picker_boxes";
        static char *argv[] = {name, nullptr};
        new QApplication(argc, argv);
        setMessageHandler([](const Message &) {});
        auto *d = new frmColorPicker;
        d->setINIFileName(QStringLiteral("fuzz-picker-boxes-%1.ini").arg(QCoreApplication::applicationPid()));
        d->Form_Load();
        return d;
    }();
    return picker;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    frmColorPicker *d = dialog();
    const int box = data[0] % 7; // 0..5 the number boxes, 6 the hex box
    const QString text =
        (data[0] & 0x80) ? fuzz::utf16Of(data + 1, size - 1) : QString::fromLatin1(fuzz::bytesOf(data + 1, size - 1));
    if (box == 6) {
        d->setHexColor(text);
        d->txtHexColor_LostFocus();
    } else {
        d->setNumValue(box, text);
        d->txtNumValue_LostFocus(box);
    }
    static const double highest[6] = {360, 100, 100, 32767, 32767, 32767};
    for (int i = 0; i < 6; ++i) {
        const std::optional<double> value = d->core().boxNumber(i);
        if (!value || *value < 0 || *value > highest[i]) {
            std::fprintf(stderr, "box %d holds \"%s\"\n", i, qPrintable(d->txtNumValue(i)->text()));
            FUZZ_CHECK(false);
        }
    }
    FUZZ_CHECK(d->newColor() <= 0x00FFFFFFu);
    return 0;
}
