#include "settingslocation.h"

#include "environment.h"
#include "installation.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zimbrel {

namespace {

constexpr char kFileName[] = "settings.ini";

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
    const std::string config = environmentVariable("XDG_CONFIG_HOME");
    if (absolute(config))
        return withoutTrailingSlashes(config);
    std::string home = environmentVariable("HOME");
    if (!absolute(home)) {
        // A program started without HOME (a service, env -i) still belongs to a user, whose home
        // the password database knows; never "/", where ".config" would be everybody's.
        const passwd *entry = getpwuid(geteuid());
        home = entry && entry->pw_dir ? entry->pw_dir : "";
        if (!absolute(home) || withoutTrailingSlashes(home) == "/")
            return {};
    }
    return withoutTrailingSlashes(home) + "/.config";
}

namespace {

// The user's name for a uid, or the number.
std::string userName(uid_t uid)
{
    const passwd *entry = getpwuid(uid);
    return entry && entry->pw_name ? std::string(entry->pw_name) : "user " + std::to_string(uid);
}

bool trustedOwner(uid_t owner)
{
    return owner == geteuid() || owner == 0;
}

} // namespace

std::string foreignOwner(const std::string &path)
{
    struct stat link;
    if (lstat(path.c_str(), &link) != 0)
        return {};
    if (!trustedOwner(link.st_uid))
        return (S_ISLNK(link.st_mode) ? "it is a link that belongs to " : "it belongs to ") + userName(link.st_uid);
    struct stat target;
    if (S_ISLNK(link.st_mode) && stat(path.c_str(), &target) == 0 && !trustedOwner(target.st_uid))
        return "it links to a file that belongs to " + userName(target.st_uid);
    return {};
}

void reportPassedOver(const char *program, const SettingsLocation &location)
{
    if (location.passedOver.empty())
        return;
    char *folder = getcwd(nullptr, 0);
    std::fprintf(stderr, "%s: passing over %s/%s: %s\n", program, folder ? folder : ".", kFileName,
                 location.passedOver.c_str());
    std::free(folder);
}

std::vector<std::string> systemConfigDirs()
{
    std::vector<std::string> dirs;
    const std::string list = environmentVariable("XDG_CONFIG_DIRS");
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
    SettingsLocation found;
    if (holdsSettings(kFileName, true)) {
        found.passedOver = foreignOwner(kFileName);
        if (found.passedOver.empty()) {
            found.place = SettingsPlace::CurrentFolder;
            found.path = kFileName;
            return found;
        }
    }
    const std::string home = userConfigHome();
    if (!home.empty()) {
        const std::string path = home + "/zimbrel/" + kFileName;
        if (holdsSettings(path, true)) {
            found.place = SettingsPlace::UserConfig;
            found.path = path;
            return found;
        }
    }
    for (const std::string &dir : systemConfigDirs()) {
        const std::string path = dir + "/zimbrel/" + kFileName;
        if (holdsSettings(path, false)) {
            found.place = SettingsPlace::SystemConfig;
            found.path = path;
            return found;
        }
    }
    return found;
}

std::string settingsSavePath(const SettingsLocation &read)
{
    if (read.place == SettingsPlace::UserConfig)
        return read.path;
    if (read.place == SettingsPlace::CurrentFolder) {
        // Only a file of the user's own (root's own when root runs it) is written: root's file in
        // a shared folder is read by everyone but written by root alone.
        struct stat link;
        struct stat target;
        const bool own = lstat(read.path.c_str(), &link) == 0 && link.st_uid == geteuid()
            && (!S_ISLNK(link.st_mode) || (stat(read.path.c_str(), &target) == 0 && target.st_uid == geteuid()));
        if (own)
            return read.path;
    }
    const std::string home = userConfigHome();
    return home.empty() ? std::string() : home + "/zimbrel/" + kFileName;
}

std::string makePrivateFolders(const std::string &folder)
{
    // Each missing folder from the top down; one that exists is left as it is.
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = slash == std::string::npos ? folder : folder.substr(0, slash);
        if (!part.empty() && mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return part + ": " + std::strerror(errno);
        if (slash == std::string::npos)
            return {};
    }
}

std::string settingsPlacesLookedIn()
{
    std::string places = std::string("./") + kFileName;
    const std::string home = userConfigHome();
    if (!home.empty())
        places += ", " + home + "/zimbrel/" + kFileName;
    for (const std::string &dir : systemConfigDirs())
        places += ", " + dir + "/zimbrel/" + kFileName;
    return places;
}

} // namespace zimbrel
