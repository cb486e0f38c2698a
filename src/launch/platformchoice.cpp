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

ClipboardRoute clipboardRouteFor(const std::string &platform)
{
    // A list such as "wayland;xcb" is tried in order; the first names the route.
    std::string first = platform.substr(0, platform.find_first_of(";:"));
    while (!first.empty() && first.front() == ' ')
        first.erase(0, 1);
    while (!first.empty() && first.back() == ' ')
        first.pop_back();
    if (first == "xcb")
        return ClipboardRoute::Keeper;
    if (first.rfind("wayland", 0) == 0)
        return ClipboardRoute::WlCopy;
    return ClipboardRoute::Qt;
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
