// The colour picker's state file: any text reads without a fault of its own, and what the writer
// makes of a state reads back as that state.
#include "fuzzcheck.h"
#include "platform/cp1252.h"
#include "settings/colorpicker/pickerstate.h"

using namespace zimbrel;
using namespace zimbrel::picker;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const PickerStateRead read = parsePickerState(fromAnsi(fuzz::bytesOf(data, size)));
    const PickerState &state = read.state;
    FUZZ_CHECK(state.mode >= 0 && state.mode <= 5);
    if (state.oldColor)
        FUZZ_CHECK(*state.oldColor <= 0x00FFFFFFu);
    for (const QString &path : state.paths)
        FUZZ_CHECK(!path.contains(u'\n'));

    // Paths the file can carry: no line break inside, and none ending in CR (the reader takes a
    // CR before the line feed as part of the line end).
    QStringList paths;
    for (const QString &path : state.paths) {
        if (!path.contains(u'\r'))
            paths << path;
    }
    const BgrColor color = state.oldColor.value_or(0x00123456u);
    const PickerStateRead back = parsePickerState(pickerStateText(color, state.mode, paths) + QStringLiteral("\r\n"));
    FUZZ_CHECK(back.message.isEmpty());
    FUZZ_CHECK(back.state.oldColor == color);
    FUZZ_CHECK(back.state.mode == state.mode);
    FUZZ_CHECK(back.state.paths == paths);
    return 0;
}
