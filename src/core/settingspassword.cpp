#include "settingspassword.h"

#include "engine.h"
#include "fdio.h"
#include "secret.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zimbrel {

TextFile readTextFile(const char *path, int linesNeeded)
{
    TextFile file;
    // Looked at before it is opened: opening a FIFO or a device can wait or have effects of its own.
    struct stat info;
    if (stat(path, &info) != 0) {
        file.error = errno == ENOENT || errno == ENOTDIR ? 0 : errno;
        return file;
    }
    if (!S_ISREG(info.st_mode))
        return file;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        file.error = errno == ENOENT ? 0 : errno;
        return file;
    }
    // The name may have been swapped for something else between the two looks.
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return file;
    }
    char buffer[65536];
    int linesFound = 0;
    size_t scanFrom = 0;
    for (;;) {
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, kSettingsReadLimit - file.bytes.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            file.error = errno;
            break;
        }
        if (n == 0)
            break;
        file.bytes.append(buffer, size_t(n));
        if (linesNeeded > 0) {
            for (size_t at;
                 linesFound < linesNeeded && (at = file.bytes.find("\r\n", scanFrom)) != std::string::npos;) {
                scanFrom = at + 2;
                if (++linesFound == linesNeeded)
                    file.bytes.resize(scanFrom);
            }
            if (linesFound == linesNeeded)
                break;
            // A CR at the very end may pair with the first byte of the next read.
            scanFrom = file.bytes.empty() ? 0 : file.bytes.size() - 1;
        }
        if (file.bytes.size() >= kSettingsReadLimit)
            break;
    }
    wipeBytes(buffer, sizeof buffer);
    close(fd);
    file.present = file.error == 0;
    if (!file.present)
        wipeString(file.bytes);
    return file;
}

SettingsBytes readSettingsBytes(const char *path)
{
    TextFile file = readTextFile(path, 2);
    SettingsBytes settings;
    settings.present = file.present;
    settings.bytes = std::move(file.bytes);
    return settings;
}

namespace {

engine::Lines linesOf(const SettingsBytes &settings)
{
    engine::Lines lines;
    if (settings.present)
        lines = engine::splitSettingsLines(settings.bytes);
    return lines;
}

} // namespace

std::string passwordFromSettings(const SettingsBytes &settings, const std::function<uint32_t()> &word)
{
    const engine::Lines lines = linesOf(settings);
    std::string candidates = engine::candidateRound(word);
    std::string password = engine::selectPassword(candidates, lines, [&word] { return engine::candidateRound(word); });
    wipeString(candidates);
    engine::applyReplacements(password);
    return password;
}

std::string whyNoPassword(const SettingsLocation &file, const SettingsBytes &settings)
{
    if (file.place == SettingsPlace::None)
        return "no settings.ini in " + settingsPlacesLookedIn() + "; zimbrel-settings makes one";
    return engine::whyNoPassword(linesOf(settings));
}

} // namespace zimbrel
