// zimbrel-generator: shows a fresh password for five seconds and leaves it on the clipboard.
//
// This program is small on purpose: it loads no GUI toolkit. It decides the window system, makes
// the password with the engine (core/engine.h) and hands it to a clipboard keeper, all within a
// few milliseconds of its start, so a password is ready to paste long before a window could be.
// Then it becomes zimbrel-generator-window (same process), which shows the password and ends
// itself after five seconds. --print needs no window at all: the passwords go to standard output.

#include "core/commandline.h"
#include "core/cp1252table.h"
#include "core/displaycheck.h"
#include "core/fdio.h"
#include "clipboard/keeperstart.h"
#include "core/installation.h"
#include "core/kernelrandom.h"
#include "core/platformchoice.h"
#include "core/secret.h"
#include "core/settingspassword.h"
#include "core/settingslocation.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace zimbrel;

namespace {

// A descriptor, open across exec, from which the window program reads `bytes` to their end
// without anyone writing any more; -1 when none could be made. A pipe, sized for the password:
// its pages are never swapped out. A user who holds many pipes (past the system's soft budget)
// gets pipes of a few kilobytes that may not grow, and a write into one that nobody reads yet
// would wait for ever; there the bytes go into a sealed memory file instead, which has no size
// limit, is no file on any disk and cannot be changed once sealed.
int passwordChannel(const std::string &bytes)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) == 0) {
        if (fcntl(fds[1], F_GETPIPE_SZ) < int(bytes.size()))
            fcntl(fds[1], F_SETPIPE_SZ, int(bytes.size()));
        const bool fits = fcntl(fds[1], F_GETPIPE_SZ) >= int(bytes.size());
        // Non-blocking as well: whatever the kernel says, this write never waits.
        const bool written = fits && writeAll(fds[1], bytes, 0);
        close(fds[1]);
        if (written) {
            fcntl(fds[0], F_SETFD, 0);
            return fds[0];
        }
        close(fds[0]);
    }
    const int memory = memfd_create("zimbrel-password", MFD_ALLOW_SEALING);
    if (memory < 0)
        return -1;
    if (!writeAll(memory, bytes) || lseek(memory, 0, SEEK_SET) != 0
        || fcntl(memory, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0) {
        close(memory);
        return -1;
    }
    return memory;
}

// --print: the passwords on standard output, one a line, in UTF-8; no window system is touched.
int printPasswords(const SettingsLocation &file, int count)
{
    // No stdio buffer that could linger: each line is written as it is made.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const SettingsBytes settings = readSettingsBytes(file.path.c_str());
    int status = 0;
    for (int i = 0; i < count; ++i) {
        std::string password = passwordFromSettings(settings, kernelRandomWord);
        if (password.empty()) {
            if (status == 0)
                std::fprintf(stderr, "zimbrel-generator: no password: %s%s%s%s\n",
                             whyNoPassword(file, settings).c_str(), file.path.empty() ? "" : " (", file.path.c_str(),
                             file.path.empty() ? "" : ")");
            status = 1;
            continue;
        }
        std::string line = cp1252ToUtf8(password) + '\n';
        wipeString(password);
        const bool written = std::fwrite(line.data(), 1, line.size(), stdout) == line.size();
        wipeString(line);
        if (!written)
            return 1;
    }
    return status;
}

constexpr char kHelp[] =
    "Makes a password from the characters and the length in settings.ini, shows it for five seconds\n"
    "and leaves it on the clipboard. settings.ini is read from the current folder, then from\n"
    "$XDG_CONFIG_HOME/zimbrel/ (~/.config/zimbrel/), then from zimbrel/ in $XDG_CONFIG_DIRS\n"
    "(/etc/xdg); zimbrel-settings edits it. See zimbrel-generator(1).\n"
    "\n"
    "  --print               write the password to standard output, one a line, instead: no\n"
    "                        window, no clipboard, no display needed\n"
    "  --count N             with --print: N passwords (1 to 1000, default 1)\n"
    "  --clear-after SECONDS empty the clipboard after SECONDS (1 to 86400) if it still holds\n"
    "                        this password; what anyone copied later is left alone\n";

constexpr char kUsage[] = "[--print [--count N]] [--clear-after SECONDS]";

} // namespace

int main(int argc, char **argv)
{
    // Started with a standard descriptor closed, the pipes below would get its number.
    ensureStandardDescriptors();
    // Looked at first: asking for help must not replace the clipboard.
    const CommandLine commandLine =
        readCommandLine(argc, argv,
                        {"zimbrel-generator",
                         kUsage,
                         kHelp,
                         0,
                         {{"--print"}, {"--count", true, 1, 1000}, {"--clear-after", true, 1, 86400}}});
    if (commandLine.exitCode >= 0)
        return commandLine.exitCode;
    if (commandLine.has("--count") && !commandLine.has("--print")) {
        std::fprintf(stderr,
                     "zimbrel-generator: --count goes with --print\nusage: zimbrel-generator [--help] "
                     "[--version] %s\n",
                     kUsage);
        return 2;
    }
    // Nothing that holds the password may leave a core file or be read by another process.
    makeUndumpable();
    const SettingsLocation settingsFile = findSettingsFile();
    if (commandLine.has("--print")) {
        reportPassedOver("zimbrel-generator", settingsFile);
        return printPasswords(settingsFile, int(commandLine.value("--count", 1)));
    }
    const std::string window = helperPath("zimbrel-generator-window");
    KeeperOptions keeperOptions;
    keeperOptions.clearAfterSeconds = int(commandLine.value("--clear-after", 0));

    const std::string platform = applyPlatformChoiceToEnvironment();
    const std::vector<ClipboardRoute> routes = clipboardRoutes(platform);
    // The keeper connects to the window system while the display is checked and the password is
    // made; without a display it is never handed a password, and ends. On X the check comes
    // first and keeps its connection until the window program takes over (exec closes it): an X
    // server with no other client resets when its last one leaves, and would drop the keeper's
    // connection made in that instant.
    std::optional<KeeperStart> keeperStart;
    const bool keeperNeeded = routes != std::vector<ClipboardRoute>{ClipboardRoute::Qt};
    const bool onX = platform.rfind("xcb", 0) == 0;
    if (keeperNeeded && !onX)
        keeperStart.emplace(routes, keeperOptions);
    // Before a password exists: without a display there is nothing to show.
    if (!windowSystemReachable("zimbrel-generator", platform, onX))
        return 1;
    if (keeperNeeded && onX)
        keeperStart.emplace(routes, keeperOptions);
    reportPassedOver("zimbrel-generator", settingsFile);

    std::vector<std::string> arguments;
    if (keeperStart) {
        std::string password = passwordFromSettings(readSettingsBytes(settingsFile.path.c_str()), kernelRandomWord);
        // The window's copy goes first: a keeper is handed the password only when the window can
        // show that same one. (Without it, the window program makes a password of its own and
        // starts its own keeper; the one started here then ends unused.)
        const int passwordFd = passwordChannel(password);
        if (passwordFd >= 0) {
            std::string utf8 = cp1252ToUtf8(password);
            // The keeper's first answer is awaited here, before the window program loads:
            // taking the clipboard is then not slowed by the loading, and the window knows what
            // to say.
            const StartedHelper keeper = keeperStart->handOver(utf8);
            wipeString(utf8);
            arguments = {"--password-fd", std::to_string(passwordFd), "--copied", std::string(1, char(keeper.answer))};
            if (keeper.statusFd >= 0) {
                // The window follows the keeper: whether its password is still the clipboard's.
                fcntl(keeper.statusFd, F_SETFD, 0);
                arguments.insert(arguments.end(),
                                 {"--keeper-pid", std::to_string(keeper.pid), "--keeper-status-fd",
                                  std::to_string(keeper.statusFd)});
            }
        }
        wipeString(password);
    }

    if (keeperOptions.clearAfterSeconds > 0)
        arguments.insert(arguments.end(), {"--clear-after", std::to_string(keeperOptions.clearAfterSeconds)});
    std::string windowProgram = window;
    std::vector<char *> windowArguments{windowProgram.data()};
    for (std::string &argument : arguments)
        windowArguments.push_back(argument.data());
    windowArguments.push_back(nullptr);
    execv(windowProgram.c_str(), windowArguments.data());
    std::fprintf(stderr, "zimbrel-generator: cannot start %s: %s\n", window.c_str(), std::strerror(errno));
    return 1;
}
