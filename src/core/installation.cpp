#include "installation.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zimbrel {

namespace {

bool isFolder(const std::string &path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool endsWith(const std::string &text, const std::string &end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool executable(const std::string &path)
{
    return access(path.c_str(), X_OK) == 0;
}

} // namespace

std::string programFolder()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return ".";
    const std::string exe(path, size_t(n));
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

std::string installationPrefix()
{
    return installationPrefixOf(programFolder());
}

std::string installationPrefixOf(const std::string &folder)
{
    if (endsWith(folder, "/libexec/zimbrel"))
        return folder.substr(0, folder.size() - std::string("/libexec/zimbrel").size());
    if (endsWith(folder, "/bin")) {
        std::string prefix = folder.substr(0, folder.size() - 4);
        if (isFolder(prefix + "/libexec/zimbrel"))
            return prefix;
    }
    return {};
}

std::string helperPath(const std::string &name)
{
    const std::string folder = programFolder();
    const std::string beside = folder + '/' + name;
    const std::string libexec = folder + "/../libexec/zimbrel/" + name;
    // Without either, the name beside the program: the error then names where it was expected.
    return executable(beside) || !executable(libexec) ? beside : libexec;
}

std::string findOnPath(const char *name)
{
    const char *path = std::getenv("PATH");
    std::string folders;
    if (path) {
        folders = path;
    } else {
        // What execvp would use: the system's default path, never the current folder.
        const size_t size = confstr(_CS_PATH, nullptr, 0);
        folders.resize(size > 0 ? size - 1 : 0);
        if (size > 0)
            confstr(_CS_PATH, folders.data(), size);
    }
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = folders.find(':', start);
        const std::string folder = folders.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!folder.empty() && folder.front() == '/') {
            std::string candidate = folder + '/' + name;
            if (executable(candidate))
                return candidate;
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return {};
}

} // namespace zimbrel
