#include "settingslocation.h"

#include "helperspawn.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zimbrel {

namespace {

constexpr char kFileName[] = "settings.ini";

std::string environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

bool absolute(const std::string &path)
{
    return !path.empty() && path.front() == '/';
}

std::string withoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// A regular file, or a name that cannot be looked at for another reason than its absence.
bool holdsSettings(const std::string &path, bool acceptUnknown)
{
    struct stat info;
    if (stat(path.c_str(), &info) == 0)
        return S_ISREG(info.st_mode);
    return acceptUnknown && errno != ENOENT && errno != ENOTDIR;
}

// The configuration folder of the installation the program belongs to: /etc/xdg for /usr (as
// the packaging rules have it), <prefix>/etc/xdg for any other prefix; empty when the program
// runs from its build folder.
std::string installedConfigDir()
{
    const std::string prefix = installationPrefix();
    if (prefix.empty())
        return {};
    return (prefix == "/usr" ? std::string("/etc") : prefix + "/etc") + "/xdg";
}

} // namespace

std::string userConfigHome()
{
    const std::string config = environment("XDG_CONFIG_HOME");
    if (absolute(config))
        return withoutTrailingSlashes(config);
    const std::string home = environment("HOME");
    if (absolute(home))
        return withoutTrailingSlashes(home) + "/.config";
    return {};
}

std::vector<std::string> systemConfigDirs()
{
    std::vector<std::string> dirs;
    const std::string list = environment("XDG_CONFIG_DIRS");
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(':', start), list.size());
        const std::string dir = list.substr(start, end - start);
        if (absolute(dir))
            dirs.push_back(withoutTrailingSlashes(dir));
        start = end + 1;
    }
    if (dirs.empty())
        dirs.push_back("/etc/xdg");
    const std::string installed = installedConfigDir();
    if (!installed.empty() && std::find(dirs.begin(), dirs.end(), installed) == dirs.end())
        dirs.push_back(installed);
    return dirs;
}

SettingsLocation findSettingsFile()
{
    if (holdsSettings(kFileName, true))
        return {SettingsPlace::CurrentFolder, kFileName};
    const std::string home = userConfigHome();
    if (!home.empty()) {
        const std::string path = home + "/zimbrel/" + kFileName;
        if (holdsSettings(path, true))
            return {SettingsPlace::UserConfig, path};
    }
    for (const std::string &dir : systemConfigDirs()) {
        const std::string path = dir + "/zimbrel/" + kFileName;
        if (holdsSettings(path, false))
            return {SettingsPlace::SystemConfig, path};
    }
    return {};
}

std::string settingsSavePath(const SettingsLocation &read)
{
    if (read.place == SettingsPlace::CurrentFolder || read.place == SettingsPlace::UserConfig)
        return read.path;
    const std::string home = userConfigHome();
    return home.empty() ? std::string() : home + "/zimbrel/" + kFileName;
}

} // namespace zimbrel
