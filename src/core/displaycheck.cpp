#include "displaycheck.h"

#include <wayland-client.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace zimbrel {

std::string windowSystemProblem(const std::string &platform, const std::string &display,
                                const std::string &waylandDisplay)
{
    // A list such as "wayland;xcb" is tried in order by Qt; the first decides here.
    const std::string first = platform.substr(0, platform.find_first_of(";:"));
    if (first.empty())
        return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    if (first == "xcb") {
        if (display.empty())
            return "no display: DISPLAY is not set";
        // libxcb writes a refusing server's reason ("Authorization required, ...") straight to
        // standard error; the one line below says it instead.
        const int savedError = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (savedError >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        int screen = 0;
        xcb_connection_t *c = xcb_connect(display.c_str(), &screen);
        const int error = xcb_connection_has_error(c);
        xcb_disconnect(c);
        if (savedError >= 0) {
            dup2(savedError, STDERR_FILENO);
            close(savedError);
        }
        if (null >= 0)
            close(null);
        // ":0.7" names a screen the server of :0 does not have; Qt would abort on it.
        if (error == XCB_CONN_CLOSED_INVALID_SCREEN)
            return "display " + display + " has no screen " + std::to_string(screen);
        return error ? "cannot open display " + display : std::string();
    }
    if (first.rfind("wayland", 0) == 0) {
        // Without WAYLAND_DISPLAY a Wayland client tries wayland-0, as Qt would. A relative name
        // lies in XDG_RUNTIME_DIR; libwayland would say so itself, on a line of its own.
        const std::string name = waylandDisplay.empty() ? std::string("wayland-0") : waylandDisplay;
        const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        if (name.front() != '/' && (!runtime || !*runtime))
            return "cannot connect to the Wayland display " + name + ": XDG_RUNTIME_DIR is not set";
        wl_display *connection = wl_display_connect(waylandDisplay.empty() ? nullptr : waylandDisplay.c_str());
        if (connection) {
            wl_display_disconnect(connection);
            return {};
        }
        return "cannot connect to the Wayland display " + name;
    }
    return {};
}

bool windowSystemReachable(const char *program, const std::string &platform)
{
    const auto variable = [](const char *name) {
        const char *value = std::getenv(name);
        return std::string(value ? value : "");
    };
    const std::string problem = windowSystemProblem(platform, variable("DISPLAY"), variable("WAYLAND_DISPLAY"));
    if (problem.empty())
        return true;
    std::fprintf(stderr, "%s: %s\n", program, problem.c_str());
    return false;
}

} // namespace zimbrel
