#include "helm/kernel/station_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <set>

#include "helm/kernel/trace.h"

namespace helm::kernel {
namespace {

enum class Directory { ours, not_ours, failed };

// Makes `path` a private directory of ours, or says why it cannot be one:
// a name another user (or a link, or a file) already holds is not ours.
Directory make_private_directory(const std::string& path)
{
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return Directory::failed;
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        return Directory::failed;
    if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return Directory::not_ours;
    if ((st.st_mode & 0077) != 0 && chmod(path.c_str(), 0700) != 0)
        return Directory::failed;
    return Directory::ours;
}

// Said once per path on standard error, since a program without its
// station cannot meet the others and would otherwise fail without a word.
void complain(const std::string& path, const char* text, const std::string& instead = {})
{
    static std::mutex mutex;
    static std::set<std::string> told;
    std::lock_guard lock(mutex);
    if (!told.insert(path).second)
        return;
    std::fprintf(stderr, "helm: station %s %s%s%s\n", path.c_str(), text, instead.empty() ? "" : "; using ",
                 instead.c_str());
    trace("station: %s %s\n", path.c_str(), text);
}

std::string temporary_directory()
{
    const char* chosen = std::getenv("TMPDIR");
    std::string dir = chosen && chosen[0] == '/' ? chosen : "/tmp";
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

std::string without_trailing_slashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

}  // namespace

std::string station_directory()
{
    if (const char* chosen = std::getenv("HELM_STATION"); chosen && *chosen) {
        std::string path = without_trailing_slashes(chosen);
        if (make_private_directory(path) != Directory::ours) {
            complain(path, "(HELM_STATION) is not a private directory of this user");
            return {};
        }
        return path;
    }
    std::string path;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        path = without_trailing_slashes(std::string(runtime) + "/helm-station");
    else
        path = temporary_directory() + "/helm-station-" + std::to_string(geteuid());
    switch (make_private_directory(path)) {
    case Directory::ours: return path;
    case Directory::failed: complain(path, "cannot be made"); return {};
    case Directory::not_ours: break;
    }
    // Someone else took the usual name first, perhaps to stop the suite or
    // to listen in: a private directory with a name nobody can guess, which
    // the programs this one starts inherit.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (const char* made = std::getenv("HELM_STATION"); made && *made)
        return made;  // made meanwhile by another thread
    std::string own = path + "-XXXXXX";
    if (!mkdtemp(own.data())) {
        complain(path, "belongs to someone else, and no private station could be made");
        return {};
    }
    setenv("HELM_STATION", own.c_str(), 1);
    complain(path, "belongs to someone else", own + " (HELM_STATION) for this program and those it starts");
    return own;
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
