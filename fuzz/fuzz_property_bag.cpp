// The property bag's text form: any text reads into a bag, and a bag written as text reads back
// as the same bag.
#include "controls/xpbutton/propertybag.h"
#include "fuzzcheck.h"

using namespace zimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const PropertyBag bag = PropertyBag::fromText(QString::fromUtf8(fuzz::bytesOf(data, size)));
    const QString text = bag.toText();
    const PropertyBag again = PropertyBag::fromText(text);
    FUZZ_CHECK(again.keys() == bag.keys());
    FUZZ_CHECK(again.toText() == text);
    return 0;
}
