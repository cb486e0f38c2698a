#include "settingspassword.h"

#include "engine.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zimbrel {

SettingsBytes readSettingsBytes(const char *path)
{
    SettingsBytes settings;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return settings;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        close(fd);
        return settings;
    }
    // A folder, FIFO or device of that name counts as absent.
    if (!S_ISREG(info.st_mode)) {
        close(fd);
        return settings;
    }
    settings.present = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            close(fd);
            return {};
        }
        if (n == 0)
            break;
        settings.bytes.append(buffer, size_t(std::min<size_t>(size_t(n), kSettingsReadLimit - settings.bytes.size())));
        const size_t first = settings.bytes.find("\r\n");
        const size_t second = first == std::string::npos ? first : settings.bytes.find("\r\n", first + 2);
        if (second != std::string::npos) {
            settings.bytes.resize(second + 2);
            break;
        }
        if (settings.bytes.size() >= kSettingsReadLimit)
            break;
    }
    close(fd);
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
    explicit_bzero(candidates.data(), candidates.size());
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
