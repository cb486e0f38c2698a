// zimbrel-wayland-keeper: serves one password on a Wayland clipboard after the program that made
// it has ended.
//
// It reads the password as a frame from standard input (see clipboard/keeperprotocol.h) and then
// takes the clipboard in one of two ways:
//   - through the clipboard-control protocol (zwlr_data_control / ext_data_control), which sway and
//     the other wlroots compositors, KWin and Hyprland offer: no window and no focus needed, and
//     the compositor hands the text on to X programs through XWayland;
//   - with --focus, where that protocol is missing (GNOME, weston): a tiny window of its own that
//     takes the keyboard focus for a moment, which is what such compositors ask of a program that
//     sets the clipboard; the window goes as soon as the clipboard is set.
// Either way it counts the clipboard as its own only once the compositor says so: the selection
// that follows its request must be its own offer, which carries a type with a token of this keeper
// alone. (weston, for one, quietly ignores a request whose serial is older than the selection's.)
// It serves the text until anything else takes the clipboard or the compositor goes away, then
// ends at once. Plain libwayland-client: a keeper that may live for hours holds very little. Like
// the X11 keeper it is not dumpable, keeps its memory locked and wiped, and writes nothing
// anywhere but to the programs that paste.
//
//   zimbrel-wayland-keeper [--status-fd N] [--focus] [--clear-after SECONDS]
//
// Status characters (KeeperStatus): "u" when this compositor offers neither way, "w" while its
// focus window waits for the compositor, "1" once it owns the clipboard, "0" when it could not take
// it, "r" when a newer password of ours has it or will have it; later "r", "x" (anything else took
// it) or "c" (emptied after --clear-after). The pipe closes when the keeper ends.
//
// Keepers of the focus route that start together would fight over the focus; the newest one goes
// on and the others stand down. The newest writes its ticket (pid and start time) into
// $XDG_RUNTIME_DIR/zimbrel-keeper-<display>, which the others read.

#include "clipboard/keeper.h"
#include "clipboard/keeperprotocol.h"
#include "core/fdio.h"
#include "core/kernelrandom.h"
#include "core/secret.h"

#include "data-control-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
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

// Offered besides the text types: a keeper of ours that loses the clipboard tells a newer password
// of ours from anything else by the family, and its own offer by its token.
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
constexpr uint32_t kOfferReceive = ZWLR_DATA_CONTROL_OFFER_V1_RECEIVE;
constexpr uint32_t kOfferDestroy = ZWLR_DATA_CONTROL_OFFER_V1_DESTROY;

// What an offer says about itself, as its types come in.
struct OfferKind
{
    bool ours = false;   // this keeper's own
    bool family = false; // another keeper's of ours
    bool text = false;   // offers UTF-8 text
};

// The clipboard as the compositor last announced it on a data device.
struct Selection
{
    wl_proxy *pending = nullptr; // the offer announced last, whose selection event may follow
    OfferKind pendingKind;
    wl_proxy *current = nullptr; // the selection's offer (kept, so its text can be read); none: empty
    OfferKind kind;
    unsigned announced = 0; // selection events so far
    bool control = false;   // offers of the clipboard-control protocol (else wl_data_offer)

    void destroy(wl_proxy *offer) const
    {
        if (!offer)
            return;
        if (control)
            wl_proxy_marshal_flags(offer, kOfferDestroy, nullptr, wl_proxy_get_version(offer), WL_MARSHAL_FLAG_DESTROY);
        else
            wl_data_offer_destroy(reinterpret_cast<wl_data_offer *>(offer));
    }
};

// The ticket of the newest keeper of the focus route, shared by all of them for one display.
class Ticket
{
public:
    Ticket()
    {
        const char *runtime = std::getenv("XDG_RUNTIME_DIR");
        if (!runtime || runtime[0] != '/')
            return;
        std::string display = std::getenv("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : "wayland-0";
        std::replace(display.begin(), display.end(), '/', '_');
        m_path = std::string(runtime) + "/zimbrel-keeper-" + display;
        m_mine = std::to_string(getpid()) + ' ' + startTime(getpid()) + '\n';
    }

    // This keeper is the newest from now on.
    void take() const
    {
        if (m_path.empty())
            return;
        const std::string temp = m_path + '.' + std::to_string(getpid());
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return;
        const bool written = write(fd, m_mine.data(), m_mine.size()) == ssize_t(m_mine.size());
        close(fd);
        if (!written || rename(temp.c_str(), m_path.c_str()) != 0)
            unlink(temp.c_str());
    }

    // Whether a newer keeper that still lives has written its ticket since.
    bool newerLives() const
    {
        if (m_path.empty())
            return false;
        char text[64] = {};
        const int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            return false;
        const ssize_t n = read(fd, text, sizeof text - 1);
        close(fd);
        if (n <= 0 || std::string(text) == m_mine)
            return false;
        const pid_t pid = pid_t(std::atol(text));
        const char *space = std::strchr(text, ' ');
        return pid > 0 && space && startTime(pid) + '\n' == std::string(space + 1);
    }

private:
    // The process's start time, which tells it from a later process with the same number.
    static std::string startTime(pid_t pid)
    {
        char path[64];
        std::snprintf(path, sizeof path, "/proc/%d/stat", int(pid));
        char stat[1024] = {};
        const int fd = open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return "gone";
        const ssize_t n = read(fd, stat, sizeof stat - 1);
        close(fd);
        // Field 22, counted after the command's closing parenthesis (field 2 may hold blanks).
        const char *at = n > 0 ? std::strrchr(stat, ')') : nullptr;
        for (int field = 2; at && field < 22; ++field)
            at = std::strchr(at + 1, ' ');
        return at ? std::string(at + 1, std::strcspn(at + 1, " ")) : "gone";
    }

    std::string m_path;
    std::string m_mine;
};

struct Keeper
{
    KeptPassword password;
    bool emptied = false; // given up after --clear-after: it serves empty text from then on
    int statusFd = -1;
    std::string ownType; // kKeeperMarkType with this keeper's token
    Ticket ticket;

    wl_display *display = nullptr;
    wl_seat *seat = nullptr;
    wl_proxy *controlManager = nullptr;
    const Family *family = nullptr;
    wl_compositor *compositor = nullptr;
    wl_shm *shm = nullptr;
    xdg_wm_base *wmBase = nullptr;
    wl_data_device_manager *dataDeviceManager = nullptr;
    wl_proxy *controlDevice = nullptr; // set by the clipboard-control route
    wl_proxy *source = nullptr;        // what it offers now
    bool focusRoute = false;

    bool cancelled = false; // its source is no longer the clipboard's
    Selection selection;

    // The focus route: the serial of the keyboard focus, and the window that got it.
    uint32_t focusSerial = 0;
    bool focused = false;
    bool focusLost = false; // since the last request to set the clipboard
    bool configured = false;
    bool mapAnswered = false;

    // The bytes for a requested type; nullptr for a type not offered.
    const std::string *bytesFor(const char *type) const
    {
        static const std::string hint = kSecretHintValue;
        static const std::string hidden = kCopyqHiddenValue;
        static const std::string none;
        if (std::strcmp(type, kSecretHintType) == 0)
            return &hint;
        if (std::strcmp(type, kCopyqHiddenType) == 0)
            return &hidden;
        if (type == ownType)
            return &none;
        if (emptied)
            return std::any_of(std::begin(kTextTypes), std::end(kTextTypes),
                               [type](const char *text) { return std::strcmp(type, text) == 0; })
                ? &none
                : nullptr;
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
    if (const std::string *bytes = keeper.bytesFor(type))
        writeAll(fd, *bytes, 1000);
    close(fd);
}

void addListener(wl_proxy *proxy, const void *listener, void *data)
{
    wl_proxy_add_listener(proxy, reinterpret_cast<void (**)(void)>(const_cast<void *>(listener)), data);
}

// -- what the data device says (both routes) --------------------------------------------------

void offerType(Keeper &keeper, wl_proxy *offer, const char *type)
{
    if (offer != keeper.selection.pending)
        return;
    OfferKind &kind = keeper.selection.pendingKind;
    if (type == keeper.ownType)
        kind.ours = true;
    else if (std::strncmp(type, kKeeperMarkType, sizeof kKeeperMarkType - 1) == 0)
        kind.family = true;
    else if (std::strcmp(type, kTextTypes[0]) == 0 || std::strcmp(type, "text/plain") == 0)
        kind.text = true;
}

void newOffer(Keeper &keeper, wl_proxy *offer, const void *listener)
{
    // An offer announced but never made the selection (a drag, on the focus route) is dropped.
    if (keeper.selection.pending && keeper.selection.pending != keeper.selection.current)
        keeper.selection.destroy(keeper.selection.pending);
    keeper.selection.pending = offer;
    keeper.selection.pendingKind = {};
    addListener(offer, listener, &keeper);
}

void newSelection(Keeper &keeper, wl_proxy *offer)
{
    Selection &s = keeper.selection;
    if (s.current && s.current != offer)
        s.destroy(s.current);
    s.current = offer;
    s.kind = offer && offer == s.pending ? s.pendingKind : OfferKind{};
    s.pending = nullptr;
    ++s.announced;
}

void controlOfferType(void *data, zwlr_data_control_offer_v1 *offer, const char *type)
{
    offerType(*static_cast<Keeper *>(data), reinterpret_cast<wl_proxy *>(offer), type);
}
const zwlr_data_control_offer_v1_listener kControlOfferListener{controlOfferType};

void controlDataOffer(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    newOffer(*static_cast<Keeper *>(data), reinterpret_cast<wl_proxy *>(offer), &kControlOfferListener);
}

void controlSelection(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    newSelection(*static_cast<Keeper *>(data), reinterpret_cast<wl_proxy *>(offer));
}

void controlFinished(void *data, zwlr_data_control_device_v1 *)
{
    static_cast<Keeper *>(data)->cancelled = true;
}

void controlPrimary(void *data, zwlr_data_control_device_v1 *, zwlr_data_control_offer_v1 *offer)
{
    auto *keeper = static_cast<Keeper *>(data);
    if (reinterpret_cast<wl_proxy *>(offer) == keeper->selection.pending)
        keeper->selection.pending = nullptr;
    keeper->selection.destroy(reinterpret_cast<wl_proxy *>(offer));
}
const zwlr_data_control_device_v1_listener kControlDeviceListener{controlDataOffer, controlSelection, controlFinished,
                                                                  controlPrimary};

void dataOfferType(void *data, wl_data_offer *offer, const char *type)
{
    offerType(*static_cast<Keeper *>(data), reinterpret_cast<wl_proxy *>(offer), type);
}
void dataOfferActions(void *, wl_data_offer *, uint32_t) { }
const wl_data_offer_listener kDataOfferListener{dataOfferType, dataOfferActions, dataOfferActions};

void dataDeviceOffer(void *data, wl_data_device *, wl_data_offer *offer)
{
    newOffer(*static_cast<Keeper *>(data), reinterpret_cast<wl_proxy *>(offer), &kDataOfferListener);
}
void dataDeviceEnter(void *, wl_data_device *, uint32_t, wl_surface *, wl_fixed_t, wl_fixed_t, wl_data_offer *) { }
void dataDeviceLeave(void *, wl_data_device *) { }
void dataDeviceMotion(void *, wl_data_device *, uint32_t, wl_fixed_t, wl_fixed_t) { }
void dataDeviceDrop(void *, wl_data_device *) { }
void dataDeviceSelection(void *data, wl_data_device *, wl_data_offer *offer)
{
    newSelection(*static_cast<Keeper *>(data), reinterpret_cast<wl_proxy *>(offer));
}
const wl_data_device_listener kDataDeviceListener{dataDeviceOffer,  dataDeviceEnter, dataDeviceLeave,
                                                  dataDeviceMotion, dataDeviceDrop,  dataDeviceSelection};

// -- the source ---------------------------------------------------------------------------------

void controlSend(void *data, zwlr_data_control_source_v1 *, const char *type, int32_t fd)
{
    sendTo(*static_cast<Keeper *>(data), type, fd);
}
void controlCancelled(void *data, zwlr_data_control_source_v1 *source)
{
    auto *keeper = static_cast<Keeper *>(data);
    // A source replaced by the keeper itself (after --clear-after) is no loss.
    if (reinterpret_cast<wl_proxy *>(source) == keeper->source)
        keeper->cancelled = true;
}
const zwlr_data_control_source_v1_listener kControlSourceListener{controlSend, controlCancelled};

void sourceTarget(void *, wl_data_source *, const char *) { }
void sourceSend(void *data, wl_data_source *, const char *type, int32_t fd)
{
    sendTo(*static_cast<Keeper *>(data), type, fd);
}
void sourceCancelled(void *data, wl_data_source *)
{
    static_cast<Keeper *>(data)->cancelled = true;
}
void sourceDrag(void *, wl_data_source *) { }
void sourceAction(void *, wl_data_source *, uint32_t) { }
const wl_data_source_listener kSourceListener{sourceTarget, sourceSend, sourceCancelled,
                                              sourceDrag,   sourceDrag, sourceAction};

void offerTypes(const Keeper &keeper, wl_proxy *source, uint32_t opcode)
{
    const auto offer = [&](const char *type) {
        wl_proxy_marshal_flags(source, opcode, nullptr, wl_proxy_get_version(source), 0, type);
    };
    for (const char *type : kTextTypes)
        offer(type);
    offer(kSecretHintType);
    offer(kCopyqHiddenType);
    offer(keeper.ownType.c_str());
}

// A new source of the clipboard-control protocol, set as the selection.
void setControlSelection(Keeper &keeper)
{
    wl_proxy *source =
        wl_proxy_marshal_flags(keeper.controlManager, kCreateSource, keeper.family->source, 1, 0, nullptr);
    addListener(source, &kControlSourceListener, &keeper);
    offerTypes(keeper, source, kOffer);
    keeper.source = source;
    wl_proxy_marshal_flags(keeper.controlDevice, kSetSelection, nullptr, wl_proxy_get_version(keeper.controlDevice), 0,
                           source);
}

// Whether the selection the compositor announces after the request is this keeper's own. The
// announcement follows the request, usually within one round trip; a few more are allowed.
bool selectionIsOurs(Keeper &keeper, unsigned announcedBefore)
{
    for (int trip = 0; trip < 4 && !keeper.cancelled; ++trip) {
        if (wl_display_roundtrip(keeper.display) < 0)
            return false;
        if (keeper.selection.announced > announcedBefore && keeper.selection.kind.ours)
            return true;
        if (keeper.selection.announced > announcedBefore && trip > 0)
            return false;
    }
    return !keeper.cancelled && keeper.selection.kind.ours;
}

// -- the clipboard-control route ----------------------------------------------------------------

bool takeWithControl(Keeper &keeper)
{
    const uint32_t version = wl_proxy_get_version(keeper.controlManager);
    keeper.controlDevice = wl_proxy_marshal_flags(keeper.controlManager, kGetDevice, keeper.family->device, version, 0,
                                                  nullptr, keeper.seat);
    keeper.selection.control = true;
    addListener(keeper.controlDevice, &kControlDeviceListener, &keeper);
    const unsigned before = keeper.selection.announced;
    setControlSelection(keeper);
    return selectionIsOurs(keeper, before);
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
void keyboardLeave(void *data, wl_keyboard *, uint32_t, wl_surface *)
{
    auto *keeper = static_cast<Keeper *>(data);
    keeper->focused = false;
    keeper->focusLost = true;
}
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

void mapAnswered(void *data, wl_callback *callback, uint32_t)
{
    static_cast<Keeper *>(data)->mapAnswered = true;
    wl_callback_destroy(callback);
}
const wl_callback_listener kMapAnsweredListener{mapAnswered};

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

// How long the focus may take once the compositor has shown the window, and at most in all (a
// compositor that does not answer at all).
constexpr int64_t kFocusAfterMapMs = 5000;
constexpr int64_t kFocusAtMostMs = 20000;

enum class Taken { Owned, Failed, Replaced };

// Sets the clipboard from a window of its own that has the keyboard focus, the way compositors
// without the clipboard-control protocol allow; the window goes again once it is set. Another
// keeper of ours that started later makes this one stand down.
Taken takeWithFocus(Keeper &keeper)
{
    keeper.focusRoute = true;
    keeper.ticket.take();
    // The data device comes before the focus: mutter tells a client of selections only on the
    // devices it had when it got the focus.
    wl_data_device *device = wl_data_device_manager_get_data_device(keeper.dataDeviceManager, keeper.seat);
    wl_data_device_add_listener(device, &kDataDeviceListener, &keeper);
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
    // The program that started the keeper waits as long as the compositor takes to answer.
    sendStatus(keeper.statusFd, KeeperStatus::Waiting);

    wl_buffer *buffer = nullptr;
    const int64_t start = monotonicMs();
    int64_t deadline = start + kFocusAtMostMs;
    Taken taken = Taken::Failed;
    for (;;) {
        bool newer = false;
        while (!keeper.focused && monotonicMs() < deadline && !(newer = keeper.ticket.newerLives())) {
            if (keeper.configured && !buffer) {
                buffer = onePixel(keeper.shm);
                if (!buffer)
                    break;
                wl_surface_attach(surface, buffer, 0, 0);
                wl_surface_commit(surface);
                // Once the compositor has taken in the mapped window, the focus follows at once
                // or not at all: the deadline counts from its answer, however busy it is.
                wl_callback_add_listener(wl_display_sync(keeper.display), &kMapAnsweredListener, &keeper);
            }
            wl_display_flush(keeper.display);
            if (wl_display_dispatch_pending(keeper.display) < 0)
                break;
            if (keeper.mapAnswered && deadline == start + kFocusAtMostMs)
                deadline = std::min(deadline, monotonicMs() + kFocusAfterMapMs);
            if (keeper.focused)
                break;
            // Short waits: a newer keeper's ticket is looked at between them.
            pollfd fd{wl_display_get_fd(keeper.display), POLLIN, 0};
            const int64_t left = std::min<int64_t>(deadline - monotonicMs(), 50);
            if (left <= 0 || poll(&fd, 1, int(left)) <= 0)
                continue;
            if (wl_display_dispatch(keeper.display) < 0)
                break;
        }
        if (newer || (keeper.focused && keeper.ticket.newerLives())) {
            taken = Taken::Replaced;
            break;
        }
        if (!keeper.focused)
            break;
        wl_data_source *source = wl_data_device_manager_create_data_source(keeper.dataDeviceManager);
        wl_data_source_add_listener(source, &kSourceListener, &keeper);
        keeper.source = reinterpret_cast<wl_proxy *>(source);
        keeper.cancelled = false;
        keeper.focusLost = false;
        offerTypes(keeper, keeper.source, WL_DATA_SOURCE_OFFER);
        const unsigned before = keeper.selection.announced;
        wl_data_device_set_selection(device, source, keeper.focusSerial);
        if (selectionIsOurs(keeper, before)) {
            taken = Taken::Owned;
            break;
        }
        if (keeper.selection.kind.family || keeper.ticket.newerLives()) {
            taken = Taken::Replaced;
            break;
        }
        wl_data_source_destroy(source);
        keeper.source = nullptr;
        // Another program took the focus for a moment before the compositor took the request (as
        // a paste does on such a compositor): once the focus comes back, the keeper asks again.
        if (!keeper.focusLost || monotonicMs() >= deadline)
            break;
    }
    // Only a focused client hears of the selection: the device is of no more use.
    newSelection(keeper, nullptr);
    wl_data_device_destroy(device);
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
    return taken;
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
        // Version 1: weston cancels a source of version 3 whose selection offer a client destroys
        // (a rule meant for drag and drop), and the keeper destroys the offers it has looked at.
        keeper->dataDeviceManager = static_cast<wl_data_device_manager *>(bind(&wl_data_device_manager_interface, 1));
    }
}
void registryRemove(void *, wl_registry *, uint32_t) { }
const wl_registry_listener kRegistryListener{registryGlobal, registryRemove};

// -- giving up after --clear-after ----------------------------------------------------------------

// The text the current selection offers, as a program that pastes reads it; empty when it offers
// none or does not answer within a second.
std::string pasteOfCurrent(Keeper &keeper)
{
    std::string text;
    int fds[2];
    if (!keeper.selection.current || !keeper.selection.kind.text || pipe2(fds, O_CLOEXEC) != 0)
        return text;
    wl_proxy_marshal_flags(keeper.selection.current, kOfferReceive, nullptr,
                           wl_proxy_get_version(keeper.selection.current), 0, kTextTypes[0], fds[1]);
    close(fds[1]);
    wl_display_flush(keeper.display);
    const int64_t deadline = monotonicMs() + 1000;
    char buffer[4096];
    for (;;) {
        pollfd in{fds[0], POLLIN, 0};
        const int64_t left = deadline - monotonicMs();
        if (left <= 0 || poll(&in, 1, int(left)) <= 0)
            break;
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || text.size() > kMaxKeptBytes)
            break;
        text.append(buffer, std::size_t(n));
    }
    wipeBytes(buffer, sizeof buffer);
    close(fds[0]);
    return text;
}

// Leaves nothing of the password to paste, while it is still the clipboard's. Compositors that
// keep a copy of the selection themselves (weston, mutter) put that copy back when the selection
// is emptied or its source goes: there the keeper's own offer stays and serves empty text until
// anything else takes the clipboard. Where the clipboard-control protocol lets it, the keeper
// first asks for an empty clipboard and then looks at what a paste would give.
// Whether the keeper serves on (empty text).
bool giveUp(Keeper &keeper)
{
    if (keeper.controlDevice) {
        const unsigned before = keeper.selection.announced;
        wl_proxy_marshal_flags(keeper.controlDevice, kSetSelection, nullptr, wl_proxy_get_version(keeper.controlDevice),
                               0, nullptr);
        wl_display_roundtrip(keeper.display);
        if (keeper.selection.announced > before && !keeper.selection.current)
            return false;
        // Something came back: a copy of the password (which counts as still ours), or a new
        // text copied in the same instant, which is left alone.
        std::string pasted = pasteOfCurrent(keeper);
        const bool copy = !keeper.selection.current || keeper.selection.kind.ours || pasted == keeper.password.utf8;
        wipeString(pasted);
        if (!copy)
            return false;
        keeper.password.wipe();
        keeper.emptied = true;
        wl_proxy *old = keeper.source;
        setControlSelection(keeper);
        wl_proxy_marshal_flags(old, ZWLR_DATA_CONTROL_SOURCE_V1_DESTROY, nullptr, wl_proxy_get_version(old),
                               WL_MARSHAL_FLAG_DESTROY);
        wl_display_roundtrip(keeper.display);
        return true;
    }
    // The focus route cannot set the clipboard again without the focus; its offer stays.
    keeper.password.wipe();
    keeper.emptied = true;
    return true;
}

// Serves until the clipboard is no longer ours, the compositor goes, or the time given runs out
// (then it serves empty text where a copy would come back). Says why it stopped.
void serve(Keeper &keeper, int clearAfterSeconds)
{
    int64_t clearAt = clearAfterSeconds > 0 ? monotonicMs() + int64_t(clearAfterSeconds) * 1000 : -1;
    while (!keeper.cancelled) {
        while (wl_display_prepare_read(keeper.display) != 0) {
            if (wl_display_dispatch_pending(keeper.display) < 0)
                return;
        }
        if (keeper.cancelled) {
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
                clearAt = -1;
                const bool servesOn = giveUp(keeper);
                sendStatus(keeper.statusFd, KeeperStatus::Cleared);
                if (!servesOn)
                    return;
                continue;
            }
            if (errno == EINTR)
                continue;
            return;
        }
        if (wl_display_read_events(keeper.display) < 0 || wl_display_dispatch_pending(keeper.display) < 0)
            return; // the compositor has gone
    }
    if (keeper.emptied)
        return;
    // Who took it: on the clipboard-control route the selection event that goes with the new
    // owner says whether it is a password of ours; the focus route hears of no selection, and a
    // newer keeper's ticket says it instead.
    if (keeper.controlDevice)
        wl_display_roundtrip(keeper.display);
    const bool ours = keeper.controlDevice ? keeper.selection.kind.family : keeper.ticket.newerLives();
    sendStatus(keeper.statusFd, ours ? KeeperStatus::Replaced : KeeperStatus::Lost);
}

// The keeper's own marker type: the family's, with a token no other keeper has.
std::string ownMarkType()
{
    char token[32];
    std::snprintf(token, sizeof token, "%08x%08x", kernelRandomWord(), kernelRandomWord());
    return std::string(kKeeperMarkType) + ";token=" + token;
}

} // namespace

int main(int argc, char **argv)
{
    protectProcess();
    const KeeperArguments arguments = readKeeperArguments(argc, argv);
    const bool allowFocus = arguments.focus;
    const int clearAfter = arguments.clearAfterSeconds;
    Keeper keeper;
    keeper.statusFd = arguments.statusFd;
    keeper.ownType = ownMarkType();

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
    if (wl_display_roundtrip(keeper.display) < 0 || !keeper.seat
        || (!keeper.controlManager
            && !(allowFocus && keeper.compositor && keeper.shm && keeper.wmBase && keeper.dataDeviceManager))) {
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

    Taken taken = Taken::Failed;
    if (keeper.controlManager)
        taken = takeWithControl(keeper) ? Taken::Owned : keeper.selection.kind.family ? Taken::Replaced : Taken::Failed;
    else
        taken = takeWithFocus(keeper);

    if (taken != Taken::Owned) {
        sendStatus(keeper.statusFd, taken == Taken::Replaced ? KeeperStatus::Replaced : KeeperStatus::Failed);
        wl_display_disconnect(keeper.display);
        return 1;
    }
    sendStatus(keeper.statusFd, KeeperStatus::Owned);
    serve(keeper, clearAfter);
    wl_display_disconnect(keeper.display);
    return 0;
}
