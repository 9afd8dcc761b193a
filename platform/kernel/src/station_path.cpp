#include "helm/kernel/station_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "helm/kernel/trace.h"

namespace helm::kernel {
namespace {

// Makes `path` a private directory of ours, or says why it cannot be one.
bool make_private_directory(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    if (st.st_uid != geteuid()) {
        trace("station: %s belongs to another user\n", path.c_str());
        return false;
    }
    if ((st.st_mode & 0077) != 0 && chmod(path.c_str(), 0700) != 0)
        return false;
    return true;
}

}  // namespace

std::string station_directory()
{
    std::string path;
    if (const char* chosen = std::getenv("HELM_STATION"); chosen && *chosen)
        path = chosen;
    else if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        path = std::string(runtime) + "/helm-station";
    else
        path = "/tmp/helm-station-" + std::to_string(geteuid());
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (!make_private_directory(path))
        return {};
    return path;
}

std::string station_object_path(std::string_view kind, std::string_view name)
{
    std::string dir = station_directory();
    if (dir.empty())
        return {};
    static const char hex[] = "0123456789abcdef";
    std::string file = dir + "/" + std::string(kind) + ".";
    for (unsigned char c : name) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
        if (plain) {
            file += static_cast<char>(c);
        } else {
            file += '%';
            file += hex[c >> 4];
            file += hex[c & 15];
        }
    }
    return file;
}

std::string native_path(std::string_view path)
{
    std::string out(path);
    for (char& c : out)
        if (c == '\\')
            c = '/';
    return out;
}

}  // namespace helm::kernel
