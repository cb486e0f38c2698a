// zimbrel-generator: shows a fresh password for five seconds and leaves it on the clipboard.
//
// This program is small on purpose: it loads no GUI toolkit. It decides the window system, makes
// the password with the engine (core/engine.h) wherever a plain whole-number length line allows
// it, and hands it to a clipboard keeper, all within a few milliseconds of its start, so a password is ready to paste long before a window
// could be. Then it becomes zimbrel-generator-window (same process), which shows the password and
// ends itself after five seconds.

#include "core/commandline.h"
#include "core/cp1252table.h"
#include "core/displaycheck.h"
#include "core/helperspawn.h"
#include "core/keeperhandoff.h"
#include "core/platformchoice.h"
#include "core/quickpassword.h"
#include "core/settingslocation.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

using namespace zimbrel;

namespace {

// The read end of a pipe that already holds `bytes`, open across exec; -1 when none could be made.
int pipeHolding(std::string &bytes)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return -1;
    // A password is at most 32767 bytes, well within a pipe's buffer: this never waits.
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = write(fds[1], bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += size_t(n);
    }
    close(fds[1]);
    if (written != bytes.size()) {
        close(fds[0]);
        return -1;
    }
    fcntl(fds[0], F_SETFD, 0);
    return fds[0];
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
    const std::string window = helperPath("zimbrel-generator-window");
    if (commandLine.has("--print")) {
        // The passwords come from the window program's engine, which decides every kind of length
        // line; it prints them without loading a window system, so no display is needed.
        std::string count = std::to_string(commandLine.value("--count", 1));
        std::string program = window;
        char print[] = "--print";
        char countOption[] = "--count";
        char *printArguments[] = {program.data(), print, countOption, count.data(), nullptr};
        execv(program.c_str(), printArguments);
        std::fprintf(stderr, "zimbrel-generator: cannot start %s: %s\n", program.c_str(), std::strerror(errno));
        return 1;
    }
    KeeperOptions keeperOptions;
    keeperOptions.clearAfterSeconds = int(commandLine.value("--clear-after", 0));

    // Nothing that holds the password may leave a core file or be read by another process.
    makeUndumpable();
    const std::string platform = applyPlatformChoiceToEnvironment();
    // Before a password exists or a keeper starts: without a display there is nothing to show.
    if (!windowSystemReachable("zimbrel-generator", platform))
        return 1;
    const std::vector<ClipboardRoute> routes = clipboardRoutes(platform);

    std::vector<std::string> arguments;
    if (routes != std::vector<ClipboardRoute>{ClipboardRoute::Qt}) {
        // The keeper starts first and connects to the window system while the password is made.
        KeeperStart keeperStart(routes, keeperOptions);
        const std::optional<SettingsBytes> settings = readSettingsQuickly(findSettingsFile().path.c_str());
        std::optional<std::string> password = settings ? quickPassword(*settings, kernelRandomWord) : std::nullopt;
        if (password) {
            std::string utf8 = cp1252ToUtf8(*password);
            // The keeper's first answer is awaited here, before the window program loads: taking
            // the clipboard is then not slowed by the loading, and the window knows what to say.
            const StartedHelper keeper = keeperStart.handOver(utf8);
            wipeString(utf8);
            const int passwordFd = pipeHolding(*password);
            wipeString(*password);
            if (passwordFd >= 0) {
                arguments = {"--password-fd", std::to_string(passwordFd), "--copied",
                             std::string(1, char(keeper.answer))};
                if (keeper.statusFd >= 0) {
                    // The window follows the keeper: whether its password is still the clipboard's.
                    fcntl(keeper.statusFd, F_SETFD, 0);
                    arguments.insert(arguments.end(),
                                     {"--keeper-pid", std::to_string(keeper.pid), "--keeper-status-fd",
                                      std::to_string(keeper.statusFd)});
                }
            } else if (keeper.statusFd >= 0) {
                close(keeper.statusFd);
            }
        }
        // Otherwise the length line is the user's locale's to read: the keeper started here ends
        // unused, and the window program starts its own once it has the password.
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
