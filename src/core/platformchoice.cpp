#include "platformchoice.h"

#include <cstdlib>

namespace zimbrel {

namespace {

std::string variable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string choosePlatformName(const std::string &qpaPlatform, const std::string &display,
                               const std::string &waylandDisplay)
{
    if (!qpaPlatform.empty())
        return qpaPlatform;
    if (!display.empty())
        return "xcb";
    if (!waylandDisplay.empty())
        return "wayland";
    return {};
}

std::string applyPlatformChoiceToEnvironment()
{
    const std::string user = variable("QT_QPA_PLATFORM");
    std::string chosen = choosePlatformName(user, variable("DISPLAY"), variable("WAYLAND_DISPLAY"));
    if (user.empty() && !chosen.empty())
        setenv("QT_QPA_PLATFORM", chosen.c_str(), 1);
    return chosen;
}

} // namespace zimbrel
