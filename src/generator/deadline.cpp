#include "deadline.h"

#include "core/secret.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstring>
#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

namespace zimbrel {

namespace {

std::atomic<void *> g_secret{nullptr};
std::atomic<std::size_t> g_secretSize{0};

extern "C" void deadlineReached(int)
{
    // Only what a signal handler may do: wipe, write, end.
    if (void *secret = g_secret.load())
        wipeBytes(secret, g_secretSize.load());
    constexpr char kSaid[] = "zimbrel-generator: the window did not end in time; ended it\n";
    ssize_t ignored = write(STDERR_FILENO, kSaid, sizeof kSaid - 1);
    (void)ignored;
    _exit(1);
}

extern "C" void *doNothing(void *)
{
    return nullptr;
}

} // namespace

void armDeadline(unsigned seconds)
{
    struct sigaction action
    { };
    action.sa_handler = deadlineReached;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    alarm(seconds);
}

void guardSecret(const void *bytes, std::size_t size)
{
    g_secret.store(nullptr);
    g_secretSize.store(size);
    g_secret.store(const_cast<void *>(bytes));
}

void releaseSecret()
{
    g_secret.store(nullptr);
}

const char *whyNoToolkit()
{
    // What the window program holds at most at once, with room to spare: the window system's
    // connection, the event loop's wake-ups, fonts and plug-ins being opened.
    constexpr rlim_t kDescriptorsNeeded = 64;
    rlimit files{};
    if (getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur < kDescriptorsNeeded) {
        files.rlim_cur = std::min<rlim_t>(files.rlim_max, kDescriptorsNeeded);
        setrlimit(RLIMIT_NOFILE, &files);
        if (files.rlim_cur < kDescriptorsNeeded)
            return "too few file descriptors are allowed";
    }
    pthread_t thread;
    if (pthread_create(&thread, nullptr, doNothing, nullptr) != 0)
        return "no thread can be started (too many processes)";
    pthread_join(thread, nullptr);
    return nullptr;
}

} // namespace zimbrel
