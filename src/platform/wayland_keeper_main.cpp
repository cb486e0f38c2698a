// zimbrel-wayland-keeper: serves one password on a Wayland clipboard after the program that made
// it has ended.
//
// It reads the password as a frame from standard input (see core/keeperhandoff.h) and then
// takes the clipboard in one of two ways:
//   - through the clipboard-control protocol (zwlr_data_control / ext_data_control), which sway and
//     the other wlroots compositors, KWin and Hyprland offer: no window and no focus needed, and
//     the compositor hands the text on to X programs through XWayland;
//   - with --focus, where that protocol is missing (GNOME): a tiny window of its own that takes
//     the keyboard focus for a moment, which is what such compositors ask of a program that sets
//     the clipboard; the window goes as soon as the clipboard is set.
// It serves the text until anything else takes the clipboard or the compositor goes away, then
// ends at once. Plain libwayland-client: a keeper that may live for hours holds very little. Like
// the X11 keeper it is not dumpable, keeps its memory locked and wiped, and writes nothing
// anywhere but to the programs that paste.
//
//   zimbrel-wayland-keeper [--status-fd N] [--focus] [--clear-after SECONDS]
//
// Status characters (KeeperStatus): "u" when this compositor offers neither way, "1" once it owns
// the clipboard, "0" when it could not take it; later "r" (a newer password of ours took it), "x"
// (anything else did) or "c" (given up after --clear-after). The pipe closes when the keeper ends.

#include "core/keeperhandoff.h"

#include "data-control-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace zimbrel;

namespace {

// Offered besides the text types: clipboard histories leave a secret out, and a keeper of ours
// that loses the clipboard tells a newer password of ours from anything else by this type.
constexpr char kKeeperMarkType[] = "application/x-zimbrel-keeper";
const char *const kTextTypes[] = {"text/plain;charset=utf-8", "text/plain", "UTF8_STRING", "STRING", "TEXT"};

// The two spellings of the clipboard-control protocol carry the same requests and events with the
// same numbers and arguments, so one set of listeners serves both; only the interfaces differ.
struct Family
{
    const wl_interface *manager, *device, *source;
};
const Family kWlr{&zwlr_data_control_manager_v1_interface, &zwlr_data_control_device_v1_interface,
                  &zwlr_data_control_source_v1_interface};
const Family kExt{&ext_data_control_manager_v1_interface, &ext_data_control_device_v1_interface,
                  &ext_data_control_source_v1_interface};
constexpr uint32_t kCreateSource = ZWLR_DATA_CONTROL_MANAGER_V1_CREATE_DATA_SOURCE;
constexpr uint32_t kGetDevice = ZWLR_DATA_CONTROL_MANAGER_V1_GET_DATA_DEVICE;
constexpr uint32_t kSetSelection = ZWLR_DATA_CONTROL_DEVICE_V1_SET_SELECTION;
constexpr uint32_t kOffer = ZWLR_DATA_CONTROL_SOURCE_V1_OFFER;

struct Keeper
{
    KeptPassword password;
    int statusFd = -1;

    wl_display *display = nullptr;
    wl_seat *seat = nullptr;
    wl_proxy *controlManager = nullptr;
    const Family *family = nullptr;
    wl_compositor *compositor = nullptr;
    wl_shm *shm = nullptr;
    xdg_wm_base *wmBase = nullptr;
    wl_data_device_manager *dataDeviceManager = nullptr;
    wl_proxy *controlDevice = nullptr;     // set by the clipboard-control route
    wl_data_source *focusSource = nullptr; // set by the focus route

    bool done = false; // the clipboard is no longer ours
    bool cancelled = false;
    // The newest selection another client made, as its offer object, and whether it is ours.
    void *pendingOffer = nullptr;
    bool pendingOfferIsOurs = false;
    bool selectionIsOurs = false;

    // The focus route: the serial of the keyboard focus, and the window that got it.
    uint32_t focusSerial = 0;
    bool focused = false;
    bool configured = false;

    // The bytes for a requested type; nullptr for a type not offered.
    const std::string *bytesFor(const char *type) const
    {
        static const std::string hint = kSecretHintValue;
        static const std::string none;
        if (std::strcmp(type, kSecretHintType) == 0)
            return &hint;
        if (std::strcmp(type, kKeeperMarkType) == 0)
            return &none;
        if ((std::strcmp(type, "STRING") == 0 || std::strcmp(type, "TEXT") == 0) && password.fitsLatin1)
            return &password.latin1;
        for (const char *text : kTextTypes) {
            if (std::strcmp(type, text) == 0)
                return &password.utf8;
        }
        return nullptr;
    }
};

// Writes the text to a program that pastes. A reader that stops reading is given up on after a
// second, so no paste can stall the keeper for the others.
void sendTo(const Keeper &keeper, const char *type, int fd)
{
    const std::string *bytes = keeper.bytesFor(type);
    if (bytes) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        const int64_t deadline = monotonicMs() + 1000;
        std::size_t written = 0;
        while (written < bytes->size()) {
            const ssize_t n = write(fd, bytes->data() + written, bytes->size() - written);
            if (n > 0) {
                written += std::size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            const int64_t left = deadline - monotonicMs();
            pollfd out{fd, POLLOUT, 0};
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || left <= 0 || poll(&out, 1, int(left)) <= 0)
                break;
        }
    }
    close(fd);
}

// -- the clipboard-control route --------------------------------------------------------------

void controlOfferType(void *data, zwlr_data_control_offer_v1 *, const char *type)
{
    if (std::strcmp(type, kKeeperMarkType) == 0)
        static_cast<Keeper *>(data)->pendingOfferIsOurs = true;
}
const zwlr_data_control_offer_v1_listener kControlOfferListener{controlOfferType};

void controlDataOffer(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    auto *keeper = static_cast<Keeper *>(data);
    keeper->pendingOffer = offer;
    keeper->pendingOfferIsOurs = false;
    wl_proxy_add_listener(
        reinterpret_cast<wl_proxy *>(offer),
        reinterpret_cast<void (**)(void)>(const_cast<zwlr_data_control_offer_v1_listener *>(&kControlOfferListener)),
        keeper);
}

void destroyOffer(void *offer)
{
    // The destroy request has the same number in both spellings.
    if (offer)
        wl_proxy_marshal_flags(static_cast<wl_proxy *>(offer), ZWLR_DATA_CONTROL_OFFER_V1_DESTROY, nullptr,
                               wl_proxy_get_version(static_cast<wl_proxy *>(offer)), WL_MARSHAL_FLAG_DESTROY);
}

void controlSelection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    auto *keeper = static_cast<Keeper *>(data);
    keeper->selectionIsOurs = offer && offer == keeper->pendingOffer && keeper->pendingOfferIsOurs;
    // Only the types matter, and they have been seen.
    destroyOffer(offer);
    keeper->pendingOffer = nullptr;
}

void controlFinished(void *data, zwlr_data_control_device_v1 *)
{
    static_cast<Keeper *>(data)->done = true;
}

void controlPrimary(void *, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    destroyOffer(offer);
}
const zwlr_data_control_device_v1_listener kControlDeviceListener{controlDataOffer, controlSelection, controlFinished,
                                                                  controlPrimary};

void controlSend(void *data, zwlr_data_control_source_v1 *, const char *type, int32_t fd)
{
    sendTo(*static_cast<Keeper *>(data), type, fd);
}

// Another source took the clipboard: the keeper's work is over.
void sourceReplaced(Keeper &keeper)
{
    keeper.cancelled = true;
    keeper.done = true;
}

void controlCancelled(void *data, zwlr_data_control_source_v1 *)
{
    sourceReplaced(*static_cast<Keeper *>(data));
}
const zwlr_data_control_source_v1_listener kControlSourceListener{controlSend, controlCancelled};

void addListener(wl_proxy *proxy, const void *listener, Keeper *keeper)
{
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<void *>(listener)), keeper);
}

void offerTypes(wl_proxy *source, uint32_t opcode)
{
    for (const char *type : kTextTypes)
        wl_proxy_marshal_flags(source, opcode, nullptr, wl_proxy_get_version(source), 0, type);
    wl_proxy_marshal_flags(source, opcode, nullptr, wl_proxy_get_version(source), 0, kSecretHintType);
    wl_proxy_marshal_flags(source, opcode, nullptr, wl_proxy_get_version(source), 0, kKeeperMarkType);
}

// Sets the clipboard through the clipboard-control protocol; whether it is ours afterwards.
bool takeWithControl(Keeper &keeper)
{
    wl_proxy *manager = keeper.controlManager;
    const uint32_t version = wl_proxy_get_version(manager);
    auto *device = wl_proxy_marshal_flags(manager, kGetDevice, keeper.family->device, version, 0, nullptr, keeper.seat);
    addListener(device, &kControlDeviceListener, &keeper);
    keeper.controlDevice = device;
    auto *source = wl_proxy_marshal_flags(manager, kCreateSource, keeper.family->source, 1, 0, nullptr);
    addListener(source, &kControlSourceListener, &keeper);
    offerTypes(source, kOffer);
    wl_proxy_marshal_flags(device, kSetSelection, nullptr, wl_proxy_get_version(device), 0, source);
    // The compositor answers in order: once this round trip is back, the selection is ours unless
    // something replaced it in the same instant.
    return wl_display_roundtrip(keeper.display) >= 0 && !keeper.done;
}

// -- the focus route ----------------------------------------------------------------------------

void keyboardKeymap(void *, wl_keyboard *, uint32_t, int32_t fd, uint32_t)
{
    close(fd);
}
void keyboardEnter(void *data, wl_keyboard *, uint32_t serial, wl_surface *, wl_array *)
{
    auto *keeper = static_cast<Keeper *>(data);
    keeper->focusSerial = serial;
    keeper->focused = true;
}
void keyboardLeave(void *, wl_keyboard *, uint32_t, wl_surface *) { }
void keyboardKey(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t, uint32_t) { }
void keyboardModifiers(void *, wl_keyboard *, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) { }
void keyboardRepeat(void *, wl_keyboard *, int32_t, int32_t) { }
const wl_keyboard_listener kKeyboardListener{keyboardKeymap, keyboardEnter,     keyboardLeave,
                                             keyboardKey,    keyboardModifiers, keyboardRepeat};

void wmPing(void *, xdg_wm_base *base, uint32_t serial)
{
    xdg_wm_base_pong(base, serial);
}
const xdg_wm_base_listener kWmBaseListener{wmPing};

void surfaceConfigure(void *data, xdg_surface *surface, uint32_t serial)
{
    xdg_surface_ack_configure(surface, serial);
    static_cast<Keeper *>(data)->configured = true;
}
const xdg_surface_listener kSurfaceListener{surfaceConfigure};

void toplevelConfigure(void *, xdg_toplevel *, int32_t, int32_t, wl_array *) { }
void toplevelClose(void *, xdg_toplevel *) { }
const xdg_toplevel_listener kToplevelListener{toplevelConfigure, toplevelClose, nullptr, nullptr};

void sourceTarget(void *, wl_data_source *, const char *) { }
void sourceSend(void *data, wl_data_source *, const char *type, int32_t fd)
{
    sendTo(*static_cast<Keeper *>(data), type, fd);
}
void sourceCancelled(void *data, wl_data_source *)
{
    sourceReplaced(*static_cast<Keeper *>(data));
}
const wl_data_source_listener kSourceListener{sourceTarget, sourceSend, sourceCancelled, nullptr, nullptr, nullptr};

// One transparent pixel, which a compositor needs before it maps the window.
wl_buffer *onePixel(wl_shm *shm)
{
    const int fd = memfd_create("zimbrel-keeper", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, 4) != 0) {
        if (fd >= 0)
            close(fd);
        return nullptr;
    }
    wl_shm_pool *pool = wl_shm_create_pool(shm, fd, 4);
    wl_buffer *buffer = wl_shm_pool_create_buffer(pool, 0, 1, 1, 4, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    close(fd);
    return buffer;
}

// Sets the clipboard from a window of its own that has the keyboard focus, the way compositors
// without the clipboard-control protocol allow; the window goes again once it is set.
bool takeWithFocus(Keeper &keeper)
{
    if (!keeper.compositor || !keeper.shm || !keeper.wmBase || !keeper.dataDeviceManager || !keeper.seat)
        return false;
    xdg_wm_base_add_listener(keeper.wmBase, &kWmBaseListener, &keeper);
    wl_keyboard *keyboard = wl_seat_get_keyboard(keeper.seat);
    wl_keyboard_add_listener(keyboard, &kKeyboardListener, &keeper);
    wl_surface *surface = wl_compositor_create_surface(keeper.compositor);
    xdg_surface *shellSurface = xdg_wm_base_get_xdg_surface(keeper.wmBase, surface);
    xdg_surface_add_listener(shellSurface, &kSurfaceListener, &keeper);
    xdg_toplevel *toplevel = xdg_surface_get_toplevel(shellSurface);
    xdg_toplevel_add_listener(toplevel, &kToplevelListener, &keeper);
    xdg_toplevel_set_app_id(toplevel, "zimbrel-generator");
    xdg_toplevel_set_title(toplevel, "zimbrel-generator");
    wl_surface_commit(surface);

    wl_buffer *buffer = nullptr;
    const int64_t deadline = monotonicMs() + 2000;
    while (!keeper.focused && monotonicMs() < deadline) {
        if (keeper.configured && !buffer) {
            buffer = onePixel(keeper.shm);
            if (!buffer)
                break;
            wl_surface_attach(surface, buffer, 0, 0);
            wl_surface_commit(surface);
        }
        wl_display_flush(keeper.display);
        pollfd fd{wl_display_get_fd(keeper.display), POLLIN, 0};
        if (wl_display_dispatch_pending(keeper.display) < 0)
            break;
        if (keeper.focused)
            break;
        const int64_t left = deadline - monotonicMs();
        if (left <= 0 || poll(&fd, 1, int(left)) <= 0)
            continue;
        if (wl_display_dispatch(keeper.display) < 0)
            break;
    }

    bool owned = false;
    if (keeper.focused) {
        wl_data_device *device = wl_data_device_manager_get_data_device(keeper.dataDeviceManager, keeper.seat);
        wl_data_source *source = wl_data_device_manager_create_data_source(keeper.dataDeviceManager);
        wl_data_source_add_listener(source, &kSourceListener, &keeper);
        keeper.focusSource = source;
        offerTypes(reinterpret_cast<wl_proxy *>(source), WL_DATA_SOURCE_OFFER);
        wl_data_device_set_selection(device, source, keeper.focusSerial);
        owned = wl_display_roundtrip(keeper.display) >= 0 && !keeper.done;
    }
    // The window was needed only to set the clipboard; the source serves on without it.
    if (wl_proxy_get_version(reinterpret_cast<wl_proxy *>(keyboard)) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
        wl_keyboard_release(keyboard);
    else
        wl_keyboard_destroy(keyboard);
    xdg_toplevel_destroy(toplevel);
    xdg_surface_destroy(shellSurface);
    wl_surface_destroy(surface);
    if (buffer)
        wl_buffer_destroy(buffer);
    wl_display_flush(keeper.display);
    return owned;
}

// -- the registry ---------------------------------------------------------------------------------

void registryGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t version)
{
    auto *keeper = static_cast<Keeper *>(data);
    const auto bind = [&](const wl_interface *type, uint32_t highest) {
        return wl_registry_bind(registry, name, type, version < highest ? version : highest);
    };
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !keeper->seat) {
        keeper->seat = static_cast<wl_seat *>(bind(&wl_seat_interface, 5));
    } else if (std::strcmp(interface, ext_data_control_manager_v1_interface.name) == 0) {
        // The standard spelling is preferred where both are offered.
        if (keeper->controlManager && keeper->family == &kWlr)
            wl_proxy_destroy(keeper->controlManager);
        if (keeper->family != &kExt) {
            keeper->controlManager = static_cast<wl_proxy *>(bind(&ext_data_control_manager_v1_interface, 1));
            keeper->family = &kExt;
        }
    } else if (std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0 && !keeper->controlManager) {
        keeper->controlManager = static_cast<wl_proxy *>(bind(&zwlr_data_control_manager_v1_interface, 2));
        keeper->family = &kWlr;
    } else if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        keeper->compositor = static_cast<wl_compositor *>(bind(&wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0) {
        keeper->shm = static_cast<wl_shm *>(bind(&wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0) {
        keeper->wmBase = static_cast<xdg_wm_base *>(bind(&xdg_wm_base_interface, 1));
    } else if (std::strcmp(interface, wl_data_device_manager_interface.name) == 0) {
        keeper->dataDeviceManager = static_cast<wl_data_device_manager *>(bind(&wl_data_device_manager_interface, 1));
    }
}
void registryRemove(void *, wl_registry *, uint32_t) { }
const wl_registry_listener kRegistryListener{registryGlobal, registryRemove};

// Empties the clipboard, which still holds our password (or the source would have been cancelled).
void giveUp(Keeper &keeper)
{
    if (keeper.controlDevice)
        wl_proxy_marshal_flags(keeper.controlDevice, kSetSelection, nullptr, wl_proxy_get_version(keeper.controlDevice),
                               0, nullptr);
    else if (keeper.focusSource)
        wl_data_source_destroy(keeper.focusSource); // the compositor empties a selection whose source goes
    wl_display_roundtrip(keeper.display);
}

// Serves until the clipboard is no longer ours, the compositor goes, or the time given runs out.
void serve(Keeper &keeper, int clearAfterSeconds)
{
    const int64_t clearAt = clearAfterSeconds > 0 ? monotonicMs() + int64_t(clearAfterSeconds) * 1000 : -1;
    while (!keeper.done) {
        while (wl_display_prepare_read(keeper.display) != 0) {
            if (wl_display_dispatch_pending(keeper.display) < 0)
                return;
        }
        if (keeper.done) {
            wl_display_cancel_read(keeper.display);
            break;
        }
        wl_display_flush(keeper.display);
        pollfd fd{wl_display_get_fd(keeper.display), POLLIN, 0};
        const int timeout = clearAt < 0 ? -1 : int(std::max<int64_t>(0, clearAt - monotonicMs()));
        const int ready = poll(&fd, 1, timeout);
        if (ready <= 0) {
            wl_display_cancel_read(keeper.display);
            if (ready == 0) {
                giveUp(keeper);
                sendStatus(keeper.statusFd, KeeperStatus::Cleared);
                return;
            }
            if (errno == EINTR)
                continue;
            return;
        }
        if (wl_display_read_events(keeper.display) < 0 || wl_display_dispatch_pending(keeper.display) < 0)
            return; // the compositor has gone
    }
    if (keeper.cancelled) {
        // The selection event that goes with the new owner says whether it is a password of ours.
        wl_display_roundtrip(keeper.display);
        sendStatus(keeper.statusFd,
                   keeper.controlManager && keeper.selectionIsOurs ? KeeperStatus::Replaced : KeeperStatus::Lost);
    }
}

} // namespace

int main(int argc, char **argv)
{
    protectProcess();
    bool allowFocus = false;
    int clearAfter = 0;
    int statusFd = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--focus") == 0)
            allowFocus = true;
        else if (std::strcmp(argv[i], "--status-fd") == 0 && i + 1 < argc)
            statusFd = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--clear-after") == 0 && i + 1 < argc)
            clearAfter = std::atoi(argv[++i]);
    }
    Keeper keeper;
    keeper.statusFd = statusFd > STDERR_FILENO ? statusFd : -1;

    // The connection and what the compositor offers first, while the program that started the
    // keeper is still making the password: a compositor without a way for it is said at once, so
    // the next route can start. The password's pipe is kept apart from the standard streams.
    const int input = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    detachFromCaller({keeper.statusFd, input});
    keeper.display = wl_display_connect(nullptr);
    if (!keeper.display) {
        sendStatus(keeper.statusFd, KeeperStatus::Unsupported);
        return 1;
    }
    wl_registry *registry = wl_display_get_registry(keeper.display);
    wl_registry_add_listener(registry, &kRegistryListener, &keeper);
    if (wl_display_roundtrip(keeper.display) < 0 || !keeper.seat || (!keeper.controlManager && !allowFocus)) {
        sendStatus(keeper.statusFd, KeeperStatus::Unsupported);
        wl_display_disconnect(keeper.display);
        return 1;
    }

    // Only a whole password is served: an input cut short leaves the clipboard alone.
    const bool whole = keeper.password.readFrom(input);
    close(input);
    if (!whole) {
        sendStatus(keeper.statusFd, KeeperStatus::Failed);
        wl_display_disconnect(keeper.display);
        return 1;
    }

    const bool owned = keeper.controlManager ? takeWithControl(keeper) : takeWithFocus(keeper);

    if (!owned) {
        // Lost in the same instant to a newer password of ours, or not taken at all.
        if (keeper.cancelled)
            wl_display_roundtrip(keeper.display);
        sendStatus(keeper.statusFd,
                   keeper.cancelled && keeper.selectionIsOurs ? KeeperStatus::Replaced : KeeperStatus::Failed);
        wl_display_disconnect(keeper.display);
        return 1;
    }
    sendStatus(keeper.statusFd, KeeperStatus::Owned);
    serve(keeper, clearAfter);
    wl_display_disconnect(keeper.display);
    return 0;
}
