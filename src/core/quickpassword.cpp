#include "quickpassword.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zimbrel {

namespace {

constexpr size_t kReadLimit = size_t{16} * 1024 * 1024;
constexpr int kRound = 255;
constexpr int kLongest = 32767;

// Split on CR LF, or on LF in a text without any CR LF (a file written on Linux), as the full
// engine splits; the empty text has no lines.
std::vector<std::string> splitSettingsLines(const std::string &text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    const std::string end = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(end, start);
        if (at == std::string::npos) {
            lines.push_back(text.substr(start));
            return lines;
        }
        lines.push_back(text.substr(start, at - start));
        start = at + end.size();
    }
}

std::string round(const std::function<uint32_t()> &word)
{
    std::string candidates(kRound, '\0');
    for (char &c : candidates)
        c = char(word() & 0xFF);
    return candidates;
}

// "q" by "e", "i" by "s", "l" by "t", "I" by "J": single letters whose replacements are none of
// the later searched letters, so one pass over the bytes gives the four passes' result.
void replaceConfusable(std::string &password)
{
    for (char &c : password) {
        switch (c) {
        case 'q':
            c = 'e';
            break;
        case 'i':
            c = 's';
            break;
        case 'l':
            c = 't';
            break;
        case 'I':
            c = 'J';
            break;
        default:
            break;
        }
    }
}

} // namespace

std::optional<SettingsBytes> readSettingsQuickly(const char *path)
{
    SettingsBytes settings;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? std::optional<SettingsBytes>(settings) : std::nullopt;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        close(fd);
        return std::nullopt;
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
            return std::nullopt;
        }
        if (n == 0)
            break;
        settings.bytes.append(buffer, size_t(std::min<size_t>(size_t(n), kReadLimit - settings.bytes.size())));
        const size_t first = settings.bytes.find("\r\n");
        const size_t second = first == std::string::npos ? first : settings.bytes.find("\r\n", first + 2);
        if (second != std::string::npos) {
            settings.bytes.resize(second + 2);
            break;
        }
        if (settings.bytes.size() >= kReadLimit)
            break;
    }
    close(fd);
    return settings;
}

std::optional<std::string> quickPassword(const SettingsBytes &settings, const std::function<uint32_t()> &word)
{
    const std::vector<std::string> lines = splitSettingsLines(settings.present ? settings.bytes : std::string());
    std::string candidates = round(word);
    std::string password;
    if (lines.empty()) {
        // No file: the first candidate, untested.
        password = candidates.substr(0, 1);
    } else if (lines.size() == 1 || lines[1].empty()) {
        // No length to compare with: the first candidate decides, and the selection stops.
        if (lines[0].find(candidates[0]) != std::string::npos)
            password = candidates.substr(0, 1);
    } else {
        const std::string &length = lines[1];
        if (length.size() > 9
            || !std::all_of(length.begin(), length.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const long wanted = std::strtol(length.c_str(), nullptr, 10);
        const std::string &set = lines[0];
        // Looked up in a table of the 256 codes, so a large set costs no more than a small one.
        std::array<bool, 256> allowed{};
        for (char c : set)
            allowed[static_cast<unsigned char>(c)] = true;
        // A whole length of 1 or more with a set is always reached, in further rounds if need be.
        const bool guaranteed = wanted >= 1 && !set.empty();
        const size_t target = size_t(guaranteed ? std::min<long>(wanted, kLongest) : wanted);
        for (;;) {
            bool reached = false;
            for (char candidate : candidates) {
                if (allowed[static_cast<unsigned char>(candidate)])
                    password += candidate;
                if (password.size() == target) {
                    reached = true;
                    break;
                }
            }
            if (reached || !guaranteed)
                break;
            candidates = round(word);
        }
    }
    explicit_bzero(candidates.data(), candidates.size());
    replaceConfusable(password);
    return password;
}

} // namespace zimbrel
