#include "routes.h"

#include "core/environment.h"

namespace zimbrel {

namespace { } // namespace

std::vector<ClipboardRoute> clipboardRoutesFor(const std::string &platform, const std::string &display,
                                               const std::string &waylandDisplay)
{
    // A list such as "wayland;xcb" is tried in order; the first names the window system.
    std::string first = platform.substr(0, platform.find_first_of(";:"));
    while (!first.empty() && first.front() == ' ')
        first.erase(0, 1);
    while (!first.empty() && first.back() == ' ')
        first.pop_back();
    const bool wayland = first.rfind("wayland", 0) == 0;
    if (first != "xcb" && !wayland)
        return {ClipboardRoute::Qt};
    std::vector<ClipboardRoute> routes;
    if (!waylandDisplay.empty() || wayland)
        routes.push_back(ClipboardRoute::WaylandControl);
    if (!display.empty() || (waylandDisplay.empty() && !wayland))
        routes.push_back(ClipboardRoute::X11Keeper);
    if (display.empty() && (!waylandDisplay.empty() || wayland)) {
        routes.push_back(ClipboardRoute::WaylandFocus);
        routes.push_back(ClipboardRoute::WlCopy);
    }
    return routes;
}

std::vector<ClipboardRoute> clipboardRoutes(const std::string &platform)
{
    return clipboardRoutesFor(platform, environmentVariable("DISPLAY"), environmentVariable("WAYLAND_DISPLAY"));
}

} // namespace zimbrel
