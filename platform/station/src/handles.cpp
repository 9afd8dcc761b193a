#include "helm/station/handles.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "helm/kernel/error.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/trace.h"
#include "unique_fd.h"

namespace helm::station {

// The station file "handles" holds the next value to hand out, as 8 bytes;
// an empty file means none was handed out yet. Anything else is damage,
// and handing out values again could repeat one, so allocation stops.
uint32_t allocate_handle()
{
    static const std::string path = [] {
        std::string dir = kernel::station_directory();
        return dir.empty() ? std::string() : dir + "/handles";
    }();
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd) {
        kernel::set_last_error_from_errno();
        return 0;
    }
    FileLock lock(fd.get(), LOCK_EX);
    char bytes[sizeof(uint64_t) + 1];
    ssize_t got = pread_all(fd.get(), bytes, sizeof bytes, 0);
    uint64_t next = first_station_handle;
    if (got == static_cast<ssize_t>(sizeof(uint64_t)))
        std::memcpy(&next, bytes, sizeof next);
    else if (got != 0)
        next = 0;
    if (next < first_station_handle || next > last_station_handle) {
        kernel::trace("station: handle counter %s is used up or damaged\n", path.c_str());
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    uint64_t after = next + 1;
    std::memcpy(bytes, &after, sizeof after);
    if (::pwrite(fd.get(), bytes, sizeof after, 0) != static_cast<ssize_t>(sizeof after)) {
        kernel::set_last_error_from_errno();
        return 0;
    }
    return static_cast<uint32_t>(next);
}

}  // namespace helm::station
