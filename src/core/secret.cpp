#include "secret.h"

#include <cstring>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace zimbrel {

void wipeBytes(void *bytes, std::size_t size)
{
    if (bytes && size > 0)
        explicit_bzero(bytes, size);
}

void wipeString(std::string &text)
{
    wipeBytes(text.data(), text.size());
    text.clear();
}

void makeUndumpable()
{
    prctl(PR_SET_DUMPABLE, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
}

} // namespace zimbrel
