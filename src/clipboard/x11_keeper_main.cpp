// zimbrel-clipboard-keeper: serves one password on the X11 clipboard after the program that made
// it has ended.
//
// It reads the password as a frame from standard input (see clipboard/keeperprotocol.h), takes the
// CLIPBOARD selection only once it has the whole of it, and answers requests for it until any
// other owner appears, "no owner" included, and then exits. It is plain libxcb, so a keeper that
// may live for hours holds a few hundred kilobytes, not a GUI toolkit. Nothing about it may show
// the password to anyone else: it is not dumpable (no core file, no debugger attach by another
// user), it keeps no copy once it ends, and it never logs.
//
//   zimbrel-clipboard-keeper [--status-fd N] [--display NAME] [--clear-after SECONDS]
//
// With --status-fd the program that starts it passes a pipe for the keeper's status characters
// (KeeperStatus): "1" once it owns the clipboard, "0" when it could not take it, then "r" when a
// newer keeper of ours took it, "x" when anything else did, "c" when it emptied it after
// --clear-after; the pipe closes when the keeper ends. --display names the X display (DISPLAY
// otherwise), which also shows in a process list which display a keeper serves.

#include "clipboard/keeper.h"
#include "clipboard/keeperprotocol.h"
#include "core/fdio.h"
#include "core/secret.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <optional>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace zimbrel;

namespace {

int statusFd = -1;

// Asks for all atoms at once and then collects the answers: one round trip instead of eight.
std::vector<xcb_atom_t> internAtoms(xcb_connection_t *c, const std::vector<std::string_view> &names)
{
    std::vector<xcb_intern_atom_cookie_t> cookies;
    cookies.reserve(names.size());
    for (std::string_view name : names)
        cookies.push_back(xcb_intern_atom(c, 0, uint16_t(name.size()), name.data()));
    std::vector<xcb_atom_t> values;
    for (xcb_intern_atom_cookie_t cookie : cookies) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(c, cookie, nullptr);
        values.push_back(reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE));
        free(reply);
    }
    return values;
}

struct Atoms
{
    xcb_atom_t clipboard, targets, timestamp, multiple, utf8String, textPlainUtf8, textPlain, text, hint, copyqHidden,
        keeperMark, scratch, paste;
};

// How long a program that keeps a copy of the clipboard (mutter) may take to put it back, and to
// answer a paste of it, once the keeper has emptied the clipboard.
constexpr int kCopyBackMs = 1000;

// libxcb copies a request into its output buffer when it fits there, and leaves it there after
// sending it; its size (XCB_QUEUE_BUFFER_SIZE, not public) is 16 KiB.
constexpr std::size_t kXcbOutputBuffer = 16384;

// Events the server made, not ones another client sent (SendEvent sets the top bit): only the
// server's word says who owns the clipboard, and only the server names a real paste.
bool fromServer(const xcb_generic_event_t *event)
{
    return (event->response_type & 0x80) == 0;
}

class Keeper
{
public:
    Keeper(xcb_connection_t *c, xcb_screen_t *screen, KeptPassword &secret)
        : m_c(c)
        , m_secret(secret)
    {
        // Everything that needs no answer goes out first; the atoms and XFixes are asked for
        // together, so their answers come in one round trip.
        m_window = xcb_generate_id(c);
        const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          screen->root_visual, XCB_CW_EVENT_MASK, &mask);
        m_root = screen->root;
        xcb_prefetch_extension_data(c, &xcb_xfixes_id);
        xcb_prefetch_maximum_request_length(c);
        const std::vector<xcb_atom_t> a = internAtoms(
            c,
            {"CLIPBOARD", "TARGETS", "TIMESTAMP", "MULTIPLE", "UTF8_STRING", "text/plain;charset=utf-8", "text/plain",
             "TEXT", kSecretHintType, kCopyqHiddenType, "_ZIMBREL_KEEPER", "_ZIMBREL_SCRATCH", "_ZIMBREL_PASTE"});
        m_atoms = {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11], a[12]};
        // Marks the window as a keeper's: a keeper that loses the clipboard tells a newer password
        // of ours from anything else by it.
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, m_window, m_atoms.keeperMark, XCB_ATOM_STRING, 8, 1, "1");
        // Requests larger than this cannot be answered in one piece.
        m_maxBytes = std::size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
    }

    // Takes the clipboard: Owned, Replaced when a newer keeper of ours took it in the same
    // instant, Failed otherwise.
    KeeperStatus take()
    {
        m_time = serverTime();
        xcb_set_selection_owner(m_c, m_window, m_atoms.clipboard, m_time);
        const xcb_window_t owner = currentOwner();
        if (owner == m_window) {
            watchOwner();
            return KeeperStatus::Owned;
        }
        // Another owner came in the same instant; for that moment the clipboard may have been
        // ours, and a paste asked for then waits for our answer.
        drain();
        return isKeepersWindow(owner) ? KeeperStatus::Replaced : KeeperStatus::Failed;
    }

    // Serves requests until another owner (or none) takes over, the X server goes away, or
    // `clearAt` (a monotonic time in ms, -1 for never) comes; then it empties the clipboard and
    // says "c" itself. Says why it stopped, or nothing once it has emptied the clipboard.
    std::optional<KeeperStatus> serve(int64_t clearAt)
    {
        const int fd = xcb_get_file_descriptor(m_c);
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_c)) {
                std::optional<xcb_window_t> newOwner = fromServer(event) ? handle(event) : std::nullopt;
                free(event);
                if (newOwner) {
                    // Requests the server sent before the change are still answered.
                    drain();
                    if (m_emptied)
                        return std::nullopt;
                    return *newOwner != XCB_WINDOW_NONE && isKeepersWindow(*newOwner) ? KeeperStatus::Replaced
                                                                                      : KeeperStatus::Lost;
                }
            }
            if (xcb_connection_has_error(m_c))
                return m_emptied ? std::nullopt : std::optional(KeeperStatus::Lost);
            pollfd ready{fd, POLLIN, 0};
            const int timeout = clearAt < 0 ? -1 : int(std::max<int64_t>(0, clearAt - monotonicMs()));
            const int n = poll(&ready, 1, timeout);
            if (n == 0) {
                // Still ours (no notice came): time to empty it.
                clearAt = -1;
                const bool servesOn = giveUp();
                sendStatus(statusFd, KeeperStatus::Cleared);
                if (!servesOn)
                    return std::nullopt;
            }
            if (n < 0 && errno != EINTR)
                return m_emptied ? std::nullopt : std::optional(KeeperStatus::Lost);
        }
    }

private:
    // The new owner when the event says the clipboard is no longer ours; answers requests.
    std::optional<xcb_window_t> handle(xcb_generic_event_t *event)
    {
        const uint8_t type = event->response_type & 0x7F;
        if (type == XCB_SELECTION_REQUEST) {
            answer(*reinterpret_cast<xcb_selection_request_event_t *>(event));
        } else if (type == XCB_SELECTION_CLEAR) {
            const auto *clear = reinterpret_cast<xcb_selection_clear_event_t *>(event);
            if (clear->selection == m_atoms.clipboard)
                return currentOwner();
        } else if (m_fixesEvent && type == m_fixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            const auto *notice = reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event);
            if (notice->selection == m_atoms.clipboard && notice->owner != m_window)
                return notice->owner;
        }
        return std::nullopt;
    }

    // After the clipboard has gone to another owner: a paste that the server handed to us before
    // the change came before the notice, and its program waits for the answer. The server hands
    // us no request after the change, so what has arrived is all there is.
    void drain()
    {
        xcb_flush(m_c);
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_c)) {
            if (fromServer(event) && (event->response_type & 0x7F) == XCB_SELECTION_REQUEST)
                answer(*reinterpret_cast<xcb_selection_request_event_t *>(event));
            free(event);
        }
        xcb_flush(m_c);
    }

    // Leaves the clipboard without an owner. mutter (GNOME with XWayland) keeps a copy of what it
    // bridges and puts it back once the X clipboard has no owner: when what then pastes is the
    // password, the keeper takes the clipboard back and serves empty text from then on, until
    // anything else takes it. Whether it serves on.
    bool giveUp()
    {
        xcb_set_selection_owner(m_c, XCB_WINDOW_NONE, m_atoms.clipboard, m_time);
        xcb_flush(m_c);
        const std::optional<xcb_window_t> owner = nextOwner(kCopyBackMs);
        if (!owner)
            return false;
        std::string pasted = pasteOf();
        const bool copy = pasted == m_secret.utf8;
        wipeString(pasted);
        if (!copy)
            return false;
        m_secret.wipe();
        m_emptied = true;
        m_time = serverTime();
        xcb_set_selection_owner(m_c, m_window, m_atoms.clipboard, m_time);
        return currentOwner() == m_window;
    }

    // The next owner of the clipboard that is someone (a notice of no owner is passed over), if
    // one comes within `timeoutMs`. Pastes asked for while the clipboard was still ours are
    // answered meanwhile.
    std::optional<xcb_window_t> nextOwner(int timeoutMs)
    {
        const int64_t deadline = monotonicMs() + timeoutMs;
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_c)) {
                if (fromServer(event) && (event->response_type & 0x7F) == XCB_SELECTION_REQUEST)
                    answer(*reinterpret_cast<xcb_selection_request_event_t *>(event));
                const auto *notice = reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event);
                const bool owned = fromServer(event) && m_fixesEvent
                    && (event->response_type & 0x7F) == m_fixesEvent + XCB_XFIXES_SELECTION_NOTIFY
                    && notice->selection == m_atoms.clipboard && notice->owner != XCB_WINDOW_NONE;
                const xcb_window_t owner = owned ? notice->owner : xcb_window_t(XCB_WINDOW_NONE);
                free(event);
                if (owned)
                    return owner;
            }
            const int64_t left = deadline - monotonicMs();
            pollfd ready{xcb_get_file_descriptor(m_c), POLLIN, 0};
            if (xcb_connection_has_error(m_c) || left <= 0 || poll(&ready, 1, int(left)) <= 0)
                return std::nullopt;
        }
    }

    // What a program that pastes gets from the clipboard now, as UTF-8; empty when nothing comes
    // within a second.
    std::string pasteOf()
    {
        xcb_convert_selection(m_c, m_window, m_atoms.clipboard, m_atoms.utf8String, m_atoms.paste, XCB_CURRENT_TIME);
        xcb_flush(m_c);
        const int64_t deadline = monotonicMs() + kCopyBackMs;
        for (;;) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_c)) {
                const auto *notify = reinterpret_cast<xcb_selection_notify_event_t *>(event);
                const bool answered = fromServer(event) && (event->response_type & 0x7F) == XCB_SELECTION_NOTIFY
                    && notify->requestor == m_window && notify->selection == m_atoms.clipboard;
                const bool stored = answered && notify->property != XCB_ATOM_NONE;
                free(event);
                if (answered)
                    return stored ? takeProperty(m_atoms.paste) : std::string();
            }
            const int64_t left = deadline - monotonicMs();
            pollfd ready{xcb_get_file_descriptor(m_c), POLLIN, 0};
            if (xcb_connection_has_error(m_c) || left <= 0 || poll(&ready, 1, int(left)) <= 0)
                return {};
        }
    }

    // A property of the keeper's window, read and deleted.
    std::string takeProperty(xcb_atom_t property)
    {
        xcb_get_property_reply_t *reply = xcb_get_property_reply(
            m_c, xcb_get_property(m_c, 1, m_window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxKeptBytes / 4 + 1),
            nullptr);
        std::string value;
        if (reply && reply->format == 8) {
            const auto *bytes = static_cast<const char *>(xcb_get_property_value(reply));
            value.assign(bytes, std::size_t(xcb_get_property_value_length(reply)));
            wipeBytes(xcb_get_property_value(reply), std::size_t(xcb_get_property_value_length(reply)));
        }
        free(reply);
        return value;
    }

    xcb_window_t currentOwner()
    {
        xcb_get_selection_owner_reply_t *reply =
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_atoms.clipboard), nullptr);
        const xcb_window_t owner = reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
        free(reply);
        return owner;
    }

    // Whether `window` is another keeper's. A keeper that has lost in turn may already have taken
    // its window away; the owner after it then decides.
    bool isKeepersWindow(xcb_window_t window)
    {
        for (int hop = 0; hop < 8 && window != XCB_WINDOW_NONE && window != m_window; ++hop) {
            xcb_generic_error_t *error = nullptr;
            xcb_get_property_reply_t *reply = xcb_get_property_reply(
                m_c, xcb_get_property(m_c, 0, window, m_atoms.keeperMark, XCB_ATOM_STRING, 0, 1), &error);
            const bool marked = reply && reply->type != XCB_ATOM_NONE;
            const bool gone = error != nullptr;
            free(reply);
            free(error);
            if (marked)
                return true;
            if (!gone)
                return false;
            window = currentOwner();
        }
        return false;
    }

    // The server's time now: a property change on our own window reports it. The window's name
    // (an atom every server has) is the property, so no atom has to be asked for first.
    xcb_timestamp_t serverTime()
    {
        xcb_change_property(m_c, XCB_PROP_MODE_APPEND, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(m_c);
        while (xcb_generic_event_t *event = xcb_wait_for_event(m_c)) {
            const bool found = fromServer(event) && (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
            const xcb_timestamp_t time = found ? reinterpret_cast<xcb_property_notify_event_t *>(event)->time : 0;
            free(event);
            if (found)
                return time;
        }
        return XCB_CURRENT_TIME;
    }

    // Selection-owner notices from the server for every change of owner, "no owner" included: a
    // plain selection-clear event does not come when a client sets the owner to None.
    void watchOwner()
    {
        const xcb_query_extension_reply_t *fixes = xcb_get_extension_data(m_c, &xcb_xfixes_id);
        if (!fixes || !fixes->present)
            return;
        // The version must be asked before XFixes is used; its answer is not needed, and requests
        // are handled in order, so nothing waits for it.
        xcb_discard_reply(m_c,
                          xcb_xfixes_query_version(m_c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION).sequence);
        m_fixesEvent = fixes->first_event;
        xcb_xfixes_select_selection_input(m_c, m_window, m_atoms.clipboard,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
                                              | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(m_c);
    }

    // Stores the answer in the requestor's property; false when it cannot be given.
    bool store(const xcb_selection_request_event_t &request, xcb_atom_t property, xcb_atom_t target)
    {
        const auto put = [&](xcb_atom_t type, uint8_t format, uint32_t count, const void *data) {
            xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, request.requestor, property, type, format, count, data);
        };
        const Atoms &a = m_atoms;
        if (target == a.targets) {
            // text/plain carries UTF-8 too, as on Wayland and as wl-copy and GTK serve it.
            std::vector<xcb_atom_t> offered{a.targets,   a.timestamp, a.utf8String, a.textPlainUtf8,
                                            a.textPlain, a.hint,      a.copyqHidden};
            if (m_secret.fitsLatin1) {
                offered.push_back(XCB_ATOM_STRING);
                offered.push_back(a.text);
            }
            put(XCB_ATOM_ATOM, 32, uint32_t(offered.size()), offered.data());
            return true;
        }
        if (target == a.timestamp) {
            put(XCB_ATOM_INTEGER, 32, 1, &m_time);
            return true;
        }
        if (target == a.hint || target == a.copyqHidden) {
            const char *value = target == a.hint ? kSecretHintValue : kCopyqHiddenValue;
            put(XCB_ATOM_STRING, 8, uint32_t(std::strlen(value)), value);
            return true;
        }
        static const std::string none;
        const std::string *bytes = nullptr;
        xcb_atom_t type = XCB_ATOM_NONE;
        if (target == a.utf8String || target == a.textPlainUtf8 || target == a.textPlain) {
            bytes = m_emptied ? &none : &m_secret.utf8;
            type = target;
        } else if ((target == XCB_ATOM_STRING || target == a.text) && (m_secret.fitsLatin1 || m_emptied)) {
            bytes = m_emptied ? &none : &m_secret.latin1;
            type = XCB_ATOM_STRING;
        }
        // Anything larger than one request could carry is refused rather than half sent; a
        // password never comes near it.
        if (!bytes || bytes->size() > m_maxBytes)
            return false;
        put(type, 8, uint32_t(bytes->size()), bytes->data());
        m_copiedToBuffer = bytes->size() < kXcbOutputBuffer;
        return true;
    }

    // Overwrites libxcb's output buffer, which still holds the password it has just sent, with a
    // request of zeros as long as the buffer (on a property of the keeper's own window, deleted
    // at once). The password then lives only in the locked, wiped memory of KeptPassword.
    void clearOutputBuffer()
    {
        static const std::vector<char> zeros(kXcbOutputBuffer - 64, '\0');
        xcb_change_property(m_c, XCB_PROP_MODE_REPLACE, m_window, m_atoms.scratch, XCB_ATOM_STRING, 8,
                            uint32_t(zeros.size()), zeros.data());
        xcb_delete_property(m_c, m_window, m_atoms.scratch);
        xcb_flush(m_c);
        m_copiedToBuffer = false;
    }

    void answer(const xcb_selection_request_event_t &request)
    {
        // Clients from before ICCCM 2 name no property: the target is used instead.
        const xcb_atom_t property = request.property == XCB_ATOM_NONE ? request.target : request.property;
        const bool ours = request.selection == m_atoms.clipboard && request.owner == m_window
            && (request.time == XCB_CURRENT_TIME || request.time >= m_time);
        const bool stored = ours && request.target != m_atoms.multiple && store(request, property, request.target);

        xcb_selection_notify_event_t notify{};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = stored ? property : xcb_atom_t(XCB_ATOM_NONE);
        xcb_send_event(m_c, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char *>(&notify));
        xcb_flush(m_c);
        if (m_copiedToBuffer)
            clearOutputBuffer();
    }

    xcb_connection_t *m_c;
    KeptPassword &m_secret;
    Atoms m_atoms{};
    xcb_window_t m_window = 0;
    xcb_window_t m_root = 0;
    xcb_timestamp_t m_time = XCB_CURRENT_TIME;
    std::size_t m_maxBytes = 0;
    uint8_t m_fixesEvent = 0;
    bool m_copiedToBuffer = false;
    bool m_emptied = false; // given up after --clear-after, it serves empty text
};

} // namespace

int main(int argc, char **argv)
{
    // First of all: no core file and no debugger attach by another user can show the password.
    protectProcess();

    const KeeperArguments arguments = readKeeperArguments(argc, argv);
    statusFd = arguments.statusFd;
    const char *displayName = arguments.display.empty() ? nullptr : arguments.display.c_str();
    const int clearAfter = arguments.clearAfterSeconds;

    // The window-system work that needs no password is done while the program that started the
    // keeper is still making it; the password's own pipe is kept apart from the standard streams,
    // which go to /dev/null with everything else inherited.
    const int input = fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    detachFromCaller({statusFd, input});

    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(c)) {
        sendStatus(statusFd, KeeperStatus::Failed);
        xcb_disconnect(c);
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        sendStatus(statusFd, KeeperStatus::Failed);
        xcb_disconnect(c);
        return 1;
    }

    KeptPassword secret;
    // The window and the atoms first: they need no password.
    Keeper keeper(c, screens.data, secret);
    // Only a whole password is served: an input cut short leaves the clipboard as it was.
    const bool whole = secret.readFrom(input);
    close(input);
    if (!whole) {
        sendStatus(statusFd, KeeperStatus::Failed);
        xcb_disconnect(c);
        return 1;
    }

    const KeeperStatus taken = keeper.take();
    sendStatus(statusFd, taken);
    if (taken == KeeperStatus::Owned) {
        if (const std::optional<KeeperStatus> ended =
                keeper.serve(clearAfter > 0 ? monotonicMs() + int64_t(clearAfter) * 1000 : -1))
            sendStatus(statusFd, *ended);
    }
    secret.wipe();
    xcb_disconnect(c);
    return taken == KeeperStatus::Owned ? 0 : 1;
}
