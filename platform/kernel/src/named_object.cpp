#include "named_object.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "helm/kernel/error.h"
#include "helm/kernel/mapping.h"
#include "helm/kernel/station_path.h"

namespace helm::kernel {
namespace {

// Kernel objects are kept apart from the station's other files by this kind.
constexpr std::string_view kFileKind = "object";
// Above this, a mapping is refused as too large for any paging file.
constexpr uint64_t kMaxDataSize = uint64_t{1} << 40;
// A long name's file keeps this much of the name before its hash.
constexpr size_t kShortenedNameBytes = 64;

// Holds the station-wide creation lock for its lifetime.
class CreationLock {
public:
    CreationLock()
    {
        std::string dir = station_directory();
        if (dir.empty()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return;
        }
        std::string path = dir + "/.objects.lock";
        m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd < 0) {
            set_last_error_from_errno();
            return;
        }
        while (flock(m_fd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                set_last_error_from_errno();
                ::close(m_fd);
                m_fd = -1;
                return;
            }
        }
    }
    ~CreationLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);  // releases the flock
    }
    CreationLock(const CreationLock&) = delete;
    CreationLock& operator=(const CreationLock&) = delete;

    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

bool set_ofd_lock(int fd, short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

enum class Holders { none, some, unknown };

// Whether any open file description other than `fd`'s holds the object.
Holders other_holders(int fd)
{
    if (set_ofd_lock(fd, F_WRLCK))
        return Holders::none;
    return errno == EAGAIN || errno == EACCES ? Holders::some : Holders::unknown;
}

uint64_t fnv1a(std::string_view bytes)
{
    uint64_t hash = 0xcbf29ce484222325u;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001b3u;
    }
    return hash;
}

// The station file of a name. A name whose escaped spelling would not fit a
// file name is shortened and told apart by a hash; the header keeps the full
// name, compared on every join.
std::string object_path(std::string_view name)
{
    std::string path = station_object_path(kFileKind, name);
    size_t slash = path.rfind('/');
    if (path.empty() || path.size() - slash - 1 <= NAME_MAX)
        return path;
    static const char hex[] = "0123456789abcdef";
    std::string shortened(name.substr(0, kShortenedNameBytes));
    shortened += '~';
    uint64_t hash = fnv1a(name);
    for (int shift = 60; shift >= 0; shift -= 4)
        shortened += hex[(hash >> shift) & 15];
    return station_object_path(kFileKind, shortened);
}

ObjectHeader* map_header(int fd)
{
    int flags = fd >= 0 ? MAP_SHARED : MAP_SHARED | MAP_ANONYMOUS;
    void* page = mmap(nullptr, kObjectHeaderBytes, PROT_READ | PROT_WRITE, flags, fd, 0);
    if (page == MAP_FAILED) {
        set_last_error_from_errno();
        return nullptr;
    }
    return static_cast<ObjectHeader*>(page);
}

bool valid_protection(uint32_t protection)
{
    return protection == PAGE_READONLY || protection == PAGE_READWRITE || protection == PAGE_WRITECOPY;
}

uint64_t file_bytes(const ObjectSpec& spec)
{
    return spec.kind == ObjectKind::mapping ? kObjectDataOffset + spec.data_size : kObjectHeaderBytes;
}

// Writes a new object's first page: the common fields, then the kind's state.
void initialise(ObjectHeader& header, std::string_view name, const ObjectSpec& spec)
{
    new (&header) ObjectHeader{};
    header.kind = static_cast<uint32_t>(spec.kind);
    header.data_size = spec.data_size;
    header.protection = spec.protection;
    header.name_length = static_cast<uint32_t>(name.size());
    if (!name.empty())
        std::memcpy(header.name, name.data(), name.size());
    if (spec.init)
        spec.init(header);
    header.magic = kObjectMagic;
}

}  // namespace

bool normalise_object_name(LPCSTR name, std::string_view* out)
{
    std::string_view view = name ? std::string_view(name) : std::string_view();
    for (std::string_view prefix : {std::string_view("Global\\"), std::string_view("Local\\")}) {
        if (view.starts_with(prefix)) {
            view.remove_prefix(prefix.size());
            break;
        }
    }
    if (view.size() > MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    *out = view;
    return true;
}

std::shared_ptr<ObjectFile> ObjectFile::create_unnamed(const ObjectSpec& spec)
{
    std::shared_ptr<ObjectFile> object(new ObjectFile);
    object->m_data_size = spec.data_size;
    object->m_protection = spec.protection;
    if (spec.kind == ObjectKind::mapping) {
        object->m_fd = memfd_create("helm-mapping", MFD_CLOEXEC);
        if (object->m_fd < 0 || ftruncate(object->m_fd, static_cast<off_t>(file_bytes(spec))) != 0) {
            set_last_error_from_errno();
            return nullptr;
        }
    }
    object->m_header = map_header(object->m_fd);
    if (!object->m_header)
        return nullptr;
    initialise(*object->m_header, {}, spec);
    return object;
}

std::shared_ptr<ObjectFile> ObjectFile::create(std::string_view name, const ObjectSpec& spec, bool* existed)
{
    *existed = false;
    if (spec.kind == ObjectKind::mapping &&
        (spec.data_size == 0 || spec.data_size > kMaxDataSize || !valid_protection(spec.protection))) {
        SetLastError(spec.data_size > kMaxDataSize ? ERROR_NOT_ENOUGH_MEMORY : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (name.empty())
        return create_unnamed(spec);

    CreationLock lock;
    if (!lock)
        return nullptr;
    std::string path = object_path(name);
    if (path.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (auto live = join_locked(path, name, spec.kind)) {
        *existed = true;
        return live;
    }
    if (GetLastError() != ERROR_FILE_NOT_FOUND)
        return nullptr;

    // A dead object's file is replaced, never reused: a view or a robust
    // list left in some process may still point into the old one.
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        set_last_error_from_errno();
        return nullptr;
    }
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        set_last_error_from_errno();
        return nullptr;
    }
    std::shared_ptr<ObjectFile> object(new ObjectFile);
    object->m_fd = fd;
    object->m_data_size = spec.data_size;
    object->m_protection = spec.protection;
    bool made = ftruncate(fd, static_cast<off_t>(file_bytes(spec))) == 0 && set_ofd_lock(fd, F_RDLCK);
    if (!made)
        set_last_error_from_errno();
    else
        object->m_header = map_header(fd);
    if (!object->m_header) {
        ::unlink(path.c_str());  // ours alone: we hold the creation lock
        return nullptr;
    }
    initialise(*object->m_header, name, spec);
    object->m_path = std::move(path);
    return object;
}

std::shared_ptr<ObjectFile> ObjectFile::open(std::string_view name, ObjectKind kind)
{
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    CreationLock lock;
    if (!lock)
        return nullptr;
    std::string path = object_path(name);
    if (path.empty()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    return join_locked(path, name, kind);
}

// Under the creation lock. The object under construction has no path until
// it is complete, so that a failure here closes it without taking the lock
// again.
std::shared_ptr<ObjectFile> ObjectFile::join_locked(const std::string& path, std::string_view name, ObjectKind kind)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ELOOP)
            SetLastError(ERROR_FILE_NOT_FOUND);
        else
            set_last_error_from_errno();
        return nullptr;
    }
    std::shared_ptr<ObjectFile> object(new ObjectFile);
    object->m_fd = fd;
    switch (other_holders(fd)) {
    case Holders::none:
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    case Holders::unknown:
        set_last_error_from_errno();
        return nullptr;
    case Holders::some:
        break;
    }
    if (!set_ofd_lock(fd, F_RDLCK)) {
        set_last_error_from_errno();
        return nullptr;
    }

    // The file is written by other processes: everything is checked before use.
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() ||
        static_cast<uint64_t>(st.st_size) < kObjectHeaderBytes) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    object->m_header = map_header(fd);
    if (!object->m_header)
        return nullptr;
    const ObjectHeader& header = *object->m_header;
    bool same_name = header.name_length == name.size() && std::memcmp(header.name, name.data(), name.size()) == 0;
    if (header.magic != kObjectMagic || !same_name || header.kind != static_cast<uint32_t>(kind)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (kind == ObjectKind::mapping) {
        uint64_t size = header.data_size;
        uint32_t protection = header.protection;
        if (size == 0 || size > kMaxDataSize || static_cast<uint64_t>(st.st_size) < kObjectDataOffset + size ||
            !valid_protection(protection)) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        object->m_data_size = size;
        object->m_protection = protection;
    }
    object->m_path = path;
    return object;
}

ObjectFile::~ObjectFile()
{
    if (m_header && !m_keep_header)
        munmap(m_header, kObjectHeaderBytes);
    if (m_fd < 0)
        return;
    if (!m_path.empty()) {
        // The last holder anywhere removes the file, so the station does not
        // fill with dead objects; the creation lock keeps joiners out meanwhile.
        CreationLock lock;
        if (lock && other_holders(m_fd) == Holders::none) {
            struct stat ours {}, named {};
            if (fstat(m_fd, &ours) == 0 && stat(m_path.c_str(), &named) == 0 && ours.st_dev == named.st_dev &&
                ours.st_ino == named.st_ino)
                ::unlink(m_path.c_str());
        }
        ::close(m_fd);
        return;
    }
    ::close(m_fd);
}

}  // namespace helm::kernel
