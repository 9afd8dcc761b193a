#include "helm/kernel/mapping.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <map>
#include <mutex>

#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "named_object.h"

namespace helm::kernel {
namespace {

class MappingObject : public KernelObject {
public:
    MappingObject(std::shared_ptr<ObjectFile> file, DWORD access) : m_file(std::move(file)), m_access(access) {}

    const std::shared_ptr<ObjectFile>& file() const { return m_file; }
    DWORD access() const { return m_access; }

private:
    std::shared_ptr<ObjectFile> m_file;
    DWORD m_access;  // what views through this handle may do
};

// Every view of this process, by its address, with its length. A view holds
// the memory (the mmap does) but not the name, as on Windows: once the last
// handle is closed the name is free, while the views keep working.
class ViewTable {
public:
    void add(void* address, size_t bytes)
    {
        std::lock_guard lock(m_mutex);
        m_views[address] = bytes;
    }

    bool remove(const void* address)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_views.find(address);
        if (it == m_views.end())
            return false;
        munmap(const_cast<void*>(address), it->second);
        m_views.erase(it);
        return true;
    }

private:
    std::mutex m_mutex;
    std::map<const void*, size_t> m_views;
};

ViewTable& views()
{
    static auto* table = new ViewTable;  // views may outlive static destruction
    return *table;
}

// What a handle to a mapping of that protection may map.
DWORD access_of_protection(uint32_t protection)
{
    switch (protection) {
    case PAGE_READWRITE: return FILE_MAP_READ | FILE_MAP_WRITE | FILE_MAP_COPY;
    case PAGE_WRITECOPY: return FILE_MAP_READ | FILE_MAP_COPY;
    default: return FILE_MAP_READ;
    }
}

HANDLE hand_out(std::shared_ptr<ObjectFile> file, DWORD access, DWORD last_error)
{
    HANDLE handle = insert_handle(std::make_shared<MappingObject>(std::move(file), access));
    if (handle)
        SetLastError(last_error);
    return handle;
}

}  // namespace

uint64_t mapping_size(HANDLE mapping)
{
    auto object = lookup_handle_as<MappingObject>(mapping);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return object->file()->data_size();
}

}  // namespace helm::kernel

using helm::kernel::MappingObject;
using helm::kernel::ObjectFile;
using helm::kernel::ObjectKind;
using helm::kernel::ObjectSpec;

HANDLE CreateFileMapping(HANDLE file, LPSECURITY_ATTRIBUTES, DWORD protect, DWORD maximumSizeHigh,
                         DWORD maximumSizeLow, LPCSTR name)
{
    if (file != INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::string_view object_name;
    if (!helm::kernel::normalise_object_name(name, &object_name))
        return nullptr;
    ObjectSpec spec(ObjectKind::mapping);
    spec.data_size = (uint64_t{maximumSizeHigh} << 32) | maximumSizeLow;
    spec.protection = protect & 0xFFu;  // the SEC_ flags above change nothing here
    bool existed = false;
    auto object = ObjectFile::create(object_name, spec, &existed);
    if (!object)
        return nullptr;
    DWORD access = helm::kernel::access_of_protection(spec.protection) & helm::kernel::access_of_protection(object->protection());
    return helm::kernel::hand_out(std::move(object), access, existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
}

HANDLE OpenFileMapping(DWORD access, BOOL, LPCSTR name)
{
    std::string_view object_name;
    if (!helm::kernel::normalise_object_name(name, &object_name))
        return nullptr;
    auto object = ObjectFile::open(object_name, ObjectKind::mapping);
    if (!object)
        return nullptr;
    // FILE_MAP_WRITE brings reading with it, as FILE_MAP_ALL_ACCESS does.
    DWORD granted = access & (FILE_MAP_READ | FILE_MAP_WRITE);
    if (granted & FILE_MAP_WRITE)
        granted |= FILE_MAP_READ;
    return helm::kernel::hand_out(std::move(object), granted, ERROR_SUCCESS);
}

LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes)
{
    auto handle = helm::kernel::lookup_handle_as<MappingObject>(mapping);
    if (!handle) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const auto& object = handle->file();

    // FILE_MAP_COPY alone asks for a private, copy-on-write view.
    bool copy = access == FILE_MAP_COPY;
    bool write = !copy && (access & FILE_MAP_WRITE);
    bool read = copy || write || (access & FILE_MAP_READ);
    if (!read) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    // A copy-on-write view only reads the mapping, but needs a protection that allows it.
    DWORD handle_needs = write ? FILE_MAP_WRITE : FILE_MAP_READ;
    DWORD object_needs = copy ? FILE_MAP_COPY : handle_needs;
    if (!(handle->access() & handle_needs) ||
        !(helm::kernel::access_of_protection(object->protection()) & object_needs)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }

    uint64_t offset = (uint64_t{offsetHigh} << 32) | offsetLow;
    uint64_t size = object->data_size();
    if (offset % HELM_ALLOCATION_GRANULARITY != 0) {
        SetLastError(ERROR_MAPPED_ALIGNMENT);
        return nullptr;
    }
    if (offset >= size || bytes > size - offset) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    size_t length = bytes ? bytes : static_cast<size_t>(size - offset);

    // The file is shared with other processes: a view must not reach past its
    // end, where a touch would be a SIGBUS.
    struct stat st {};
    if (fstat(object->fd(), &st) != 0 ||
        static_cast<uint64_t>(st.st_size) < helm::kernel::kObjectDataOffset + offset + length) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    int protection = write || copy ? PROT_READ | PROT_WRITE : PROT_READ;
    void* view = mmap(nullptr, length, protection, copy ? MAP_PRIVATE : MAP_SHARED, object->fd(),
                      static_cast<off_t>(helm::kernel::kObjectDataOffset + offset));
    if (view == MAP_FAILED) {
        helm::kernel::set_last_error_from_errno();
        return nullptr;
    }
    helm::kernel::views().add(view, length);
    return view;
}

BOOL UnmapViewOfFile(LPCVOID address)
{
    if (!address || !helm::kernel::views().remove(address)) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    return TRUE;
}
