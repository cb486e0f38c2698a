#include "platformchoice.h"

#include "environment.h"

#include <cstdlib>

namespace zimbrel {

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
    const std::string user = environmentVariable("QT_QPA_PLATFORM");
    std::string chosen =
        choosePlatformName(user, environmentVariable("DISPLAY"), environmentVariable("WAYLAND_DISPLAY"));
    if (user.empty() && !chosen.empty())
        setenv("QT_QPA_PLATFORM", chosen.c_str(), 1);
    return chosen;
}

} // namespace zimbrel
