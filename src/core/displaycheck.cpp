#include "displaycheck.h"

#include "environment.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace zimbrel {

namespace {

// libxcb's and libwayland-client's few calls the check makes, loaded when a display is checked:
// a program that links them loads them at every start, --print and --help included, which need
// neither. (Their headers are not needed for four calls.)
struct XcbCalls
{
    void *(*connect)(const char *, int *);
    int (*hasError)(void *);
    void (*disconnect)(void *);
};
struct WaylandCalls
{
    void *(*connect)(const char *);
    void (*disconnect)(void *);
};

// The library's calls, or the loader's reason why not.
template <typename Calls>
bool load(const char *library, std::initializer_list<const char *> names, Calls &calls, std::string &why)
{
    void *handle = dlopen(library, RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
        const char *error = dlerror();
        why = std::string("cannot load ") + library + (error ? std::string(": ") + error : std::string());
        return false;
    }
    void **slot = reinterpret_cast<void **>(&calls);
    for (const char *name : names) {
        *slot = dlsym(handle, name);
        if (!*slot) {
            why = std::string("cannot load ") + library + ": no " + name;
            return false;
        }
        ++slot;
    }
    return true;
}

// libxcb's errors: the socket failed or was closed (XCB_CONN_ERROR), a screen number the server
// does not have (XCB_CONN_CLOSED_INVALID_SCREEN).
constexpr int kXcbConnectionError = 1;
constexpr int kXcbInvalidScreen = 6;

} // namespace

std::string windowSystemProblem(const std::string &platform, const std::string &display,
                                const std::string &waylandDisplay, bool keepOpen)
{
    // A list such as "wayland;xcb" is tried in order by Qt; the first decides here.
    const std::string first = platform.substr(0, platform.find_first_of(";:"));
    if (first.empty())
        return "no display: neither DISPLAY nor WAYLAND_DISPLAY is set";
    std::string why;
    if (first == "xcb") {
        if (display.empty())
            return "no display: DISPLAY is not set";
        XcbCalls xcb{};
        if (!load("libxcb.so.1", {"xcb_connect", "xcb_connection_has_error", "xcb_disconnect"}, xcb, why))
            return why;
        // libxcb writes a refusing server's reason ("Authorization required, ...") straight to
        // standard error; the one line below says it instead.
        const int savedError = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (savedError >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        int screen = 0;
        void *c = xcb.connect(display.c_str(), &screen);
        // A server that resets as its last other client leaves drops a connection made in that
        // instant (XCB_CONN_ERROR); the next one is taken.
        for (int attempt = 1; xcb.hasError(c) == kXcbConnectionError && attempt < 3; ++attempt) {
            xcb.disconnect(c);
            usleep(10000);
            c = xcb.connect(display.c_str(), &screen);
        }
        const int error = xcb.hasError(c);
        // A kept connection is never used again; libxcb made its descriptor close on exec.
        if (error || !keepOpen)
            xcb.disconnect(c);
        if (savedError >= 0) {
            dup2(savedError, STDERR_FILENO);
            close(savedError);
        }
        if (null >= 0)
            close(null);
        // ":0.7" names a screen the server of :0 does not have; Qt would abort on it.
        if (error == kXcbInvalidScreen)
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
        WaylandCalls wayland{};
        if (!load("libwayland-client.so.0", {"wl_display_connect", "wl_display_disconnect"}, wayland, why))
            return why;
        if (void *connection = wayland.connect(waylandDisplay.empty() ? nullptr : waylandDisplay.c_str())) {
            wayland.disconnect(connection);
            return {};
        }
        return "cannot connect to the Wayland display " + name;
    }
    return {};
}

bool windowSystemReachable(const char *program, const std::string &platform, bool keepOpen)
{
    const std::string problem =
        windowSystemProblem(platform, environmentVariable("DISPLAY"), environmentVariable("WAYLAND_DISPLAY"), keepOpen);
    if (problem.empty())
        return true;
    std::fprintf(stderr, "%s: %s\n", program, problem.c_str());
    return false;
}

} // namespace zimbrel
