// zimbrel-clipboard-keeper: serves one password on the X11 clipboard after the program that made
// it has ended.
//
// It reads the password from standard input, takes the CLIPBOARD selection and answers requests
// for it until any other owner appears, "no owner" included, and then exits at once. It is plain
// libxcb, so a keeper that may live for hours holds a few hundred kilobytes, not a GUI toolkit.
// Nothing about it may show the password to anyone else: it is not dumpable (no core file, no
// debugger attach by another user), it keeps no copy once it ends, and it never logs.
//
//   zimbrel-clipboard-keeper [--status-fd N] [--display NAME]
//
// With --status-fd the program that starts it passes a pipe: the keeper writes "1" there once it
// owns the clipboard ("0" when it could not take it) and closes it. --display names the X display
// (DISPLAY otherwise), which also shows in a process list which display a keeper serves.

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

// Passwords are at most 32767 characters, three bytes each in UTF-8; anything past this is not
// ours to serve.
constexpr std::size_t kMaxInput = std::size_t{128} * 1024;
int statusFd = -1;

// The password and what is made of it, wiped however the keeper ends.
struct Secret
{
    std::string utf8;
    std::string latin1; // empty unless every character fits Latin-1
    bool fitsLatin1 = true;

    ~Secret() { wipe(); }
    void wipe()
    {
        explicit_bzero(utf8.data(), utf8.size());
        explicit_bzero(latin1.data(), latin1.size());
        utf8.clear();
        latin1.clear();
    }
};

std::string readAll(int fd)
{
    std::string input;
    input.reserve(4096);
    std::array<char, 4096> buffer{};
    while (input.size() < kMaxInput) {
        const ssize_t n = read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        // Grown by hand, so no reallocation leaves a copy behind in freed memory.
        if (input.size() + std::size_t(n) > input.capacity()) {
            std::string bigger;
            bigger.reserve(std::min(kMaxInput, 2 * (input.size() + std::size_t(n))));
            bigger.append(input);
            explicit_bzero(input.data(), input.size());
            input.swap(bigger);
        }
        input.append(buffer.data(), std::min<std::size_t>(std::size_t(n), kMaxInput - input.size()));
    }
    explicit_bzero(buffer.data(), buffer.size());
    return input;
}

// Latin-1 bytes for UTF-8 text, when every character has one.
bool toLatin1(const std::string &utf8, std::string &latin1)
{
    latin1.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            latin1 += char(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()
                   && (static_cast<unsigned char>(utf8[i + 1]) & 0xC0) == 0x80) {
            latin1 += char(((c & 0x03) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
            ++i;
        } else {
            explicit_bzero(latin1.data(), latin1.size());
            latin1.clear();
            return false;
        }
    }
    return true;
}

void reportStatus(bool owned)
{
    if (statusFd < 0)
        return;
    const char status = owned ? '1' : '0';
    if (write(statusFd, &status, 1) < 0) {
        // The program that asked has gone; nothing to tell.
    }
    close(statusFd);
    statusFd = -1;
}

// A background helper: its own session (the spawner gives it one), no terminal, nothing open that
// it inherited, and a working folder that keeps no file system busy.
void detach()
{
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        if (null > STDERR_FILENO)
            close(null);
    }
    // Everything else it inherited goes; the status pipe goes once it has been answered.
    const long highest = sysconf(_SC_OPEN_MAX);
    for (int fd = STDERR_FILENO + 1; fd < (highest > 0 ? highest : 1024) && fd < 65536; ++fd) {
        if (fd != statusFd)
            close(fd);
    }
    if (chdir("/") != 0) {
        // Staying where it was started only keeps that folder busy.
    }
}

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
    xcb_atom_t clipboard, targets, timestamp, multiple, utf8String, textPlainUtf8, text, hint;
};

class Keeper
{
public:
    Keeper(xcb_connection_t *c, xcb_screen_t *screen, Secret &secret)
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
        const std::vector<xcb_atom_t> a =
            internAtoms(c,
                        {"CLIPBOARD", "TARGETS", "TIMESTAMP", "MULTIPLE", "UTF8_STRING", "text/plain;charset=utf-8",
                         "TEXT", "x-kde-passwordManagerHint"});
        m_atoms = {a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7]};
        // Requests larger than this cannot be answered in one piece.
        m_maxBytes = std::size_t(xcb_get_maximum_request_length(c)) * 4 - 64;
    }

    // Takes the clipboard; whether this window owns it now.
    bool take()
    {
        m_time = serverTime();
        xcb_set_selection_owner(m_c, m_window, m_atoms.clipboard, m_time);
        xcb_get_selection_owner_reply_t *owner =
            xcb_get_selection_owner_reply(m_c, xcb_get_selection_owner(m_c, m_atoms.clipboard), nullptr);
        const bool owned = owner && owner->owner == m_window;
        free(owner);
        if (owned)
            watchOwner();
        return owned;
    }

    // Serves requests until another owner (or none) takes over, or the X server goes away.
    void serve()
    {
        while (xcb_generic_event_t *event = xcb_wait_for_event(m_c)) {
            const uint8_t type = event->response_type & 0x7F;
            bool done = false;
            if (type == XCB_SELECTION_REQUEST) {
                answer(*reinterpret_cast<xcb_selection_request_event_t *>(event));
            } else if (type == XCB_SELECTION_CLEAR) {
                done = true;
            } else if (m_fixesEvent && type == m_fixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
                const auto *notice = reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event);
                done = notice->selection == m_atoms.clipboard && notice->owner != m_window;
            }
            free(event);
            if (done)
                return;
        }
    }

private:
    // The server's time now: a property change on our own window reports it. The window's name
    // (an atom every server has) is the property, so no atom has to be asked for first.
    xcb_timestamp_t serverTime()
    {
        xcb_change_property(m_c, XCB_PROP_MODE_APPEND, m_window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 0, nullptr);
        xcb_flush(m_c);
        while (xcb_generic_event_t *event = xcb_wait_for_event(m_c)) {
            const bool found = (event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY;
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
            std::vector<xcb_atom_t> offered{a.targets, a.timestamp, a.utf8String, a.textPlainUtf8, a.hint};
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
        if (target == a.hint) {
            put(XCB_ATOM_STRING, 8, 6, "secret");
            return true;
        }
        const std::string *bytes = nullptr;
        xcb_atom_t type = XCB_ATOM_NONE;
        if (target == a.utf8String || target == a.textPlainUtf8) {
            bytes = &m_secret.utf8;
            type = target;
        } else if ((target == XCB_ATOM_STRING || target == a.text) && m_secret.fitsLatin1) {
            bytes = &m_secret.latin1;
            type = XCB_ATOM_STRING;
        }
        // Anything larger than one request could carry is refused rather than half sent; a
        // password never comes near it.
        if (!bytes || bytes->size() > m_maxBytes)
            return false;
        put(type, 8, uint32_t(bytes->size()), bytes->data());
        return true;
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
    }

    xcb_connection_t *m_c;
    Secret &m_secret;
    Atoms m_atoms{};
    xcb_window_t m_window = 0;
    xcb_window_t m_root = 0;
    xcb_timestamp_t m_time = XCB_CURRENT_TIME;
    std::size_t m_maxBytes = 0;
    uint8_t m_fixesEvent = 0;
};

} // namespace

int main(int argc, char **argv)
{
    // First of all: no core file and no debugger attach by another user can show the password.
    prctl(PR_SET_DUMPABLE, 0);
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);

    const char *displayName = nullptr;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--status-fd") == 0)
            statusFd = std::atoi(argv[i + 1]) > STDERR_FILENO ? std::atoi(argv[i + 1]) : -1;
        else if (std::strcmp(argv[i], "--display") == 0)
            displayName = argv[i + 1];
    }

    Secret secret;
    // The pipe is read before any window-system work, so the writer is never kept waiting.
    secret.utf8 = readAll(STDIN_FILENO);
    // Kept out of swap where the system allows it; a keeper works without it too.
    mlock(secret.utf8.data(), secret.utf8.capacity());
    secret.fitsLatin1 = toLatin1(secret.utf8, secret.latin1);
    detach();

    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(displayName, &screenNumber);
    if (xcb_connection_has_error(c)) {
        reportStatus(false);
        xcb_disconnect(c);
        return 1;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    if (!screens.rem) {
        reportStatus(false);
        xcb_disconnect(c);
        return 1;
    }

    Keeper keeper(c, screens.data, secret);
    const bool owned = keeper.take();
    reportStatus(owned);
    if (owned)
        keeper.serve();
    secret.wipe();
    xcb_disconnect(c);
    return owned ? 0 : 1;
}
