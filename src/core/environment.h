#pragma once

#include <cstdlib>
#include <string>

namespace zimbrel {

// The value of an environment variable, or "" when it is unset: every caller here treats an unset
// variable and an empty one alike.
inline std::string environmentVariable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace zimbrel
