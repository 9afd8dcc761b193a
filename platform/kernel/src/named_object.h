// The memory behind mutexes, events and file mappings, named or not, and
// the station-wide name space of the named ones.
//
// A named object is a station file. Every holder (a handle) keeps an open
// file description of it with an OFD read lock on byte 0, so the name lives
// exactly as long as some live process holds it: a file whose holders
// have all gone (even by a crash) is a dead object, re-made from scratch by
// the next creator. Creating, opening and the last close run under one
// station-wide creation lock, which makes "is anybody holding it?" and "make
// it anew" a single step.
//
// Mutexes, events and mappings share one name space, as on Windows: the
// object's kind is written in its first page, and asking for a name that is
// held as another kind fails with ERROR_INVALID_HANDLE.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "helm/kernel/types.h"

namespace helm::kernel {

enum class ObjectKind : uint32_t { mutex = 1, event = 2, mapping = 3 };

// The first page of every object. The kind's own state (a robust mutex, an
// event's futex words) lives in `state`; a mapping's data starts at
// kObjectDataOffset, so that views are page aligned.
struct ObjectHeader {
    uint32_t magic;
    uint32_t kind;
    uint64_t data_size;   // mappings: bytes of data
    uint32_t protection;  // mappings: PAGE_READONLY, PAGE_READWRITE or PAGE_WRITECOPY
    uint32_t name_length;
    char name[MAX_PATH];  // the full name, which long names' files do not spell out
    alignas(64) unsigned char state[256];
};

inline constexpr uint32_t kObjectMagic = 0x424F4B48;  // "HKOB"
inline constexpr size_t kObjectHeaderBytes = 4096;
inline constexpr uint64_t kObjectDataOffset = 65536;
static_assert(sizeof(ObjectHeader) <= kObjectHeaderBytes);

// What a creator asks for. `init` fills the kind's state of a new object
// (the header's own fields are already set).
struct ObjectSpec {
    explicit ObjectSpec(ObjectKind k) : kind(k) {}
    ObjectKind kind;
    uint64_t data_size = 0;
    uint32_t protection = 0;
    std::function<void(ObjectHeader&)> init;
};

// One holder of an object: the locked file description (or, for an unnamed
// object, a memfd or nothing) and the first page mapped.
class ObjectFile {
public:
    // Creates the object, or joins the live one of that name (then *existed
    // is set and the given size and protection are not used). An empty name
    // makes an unnamed object. Null with the last error set on failure.
    static std::shared_ptr<ObjectFile> create(std::string_view name, const ObjectSpec& spec, bool* existed);
    // Joins the live object of that name: null with ERROR_FILE_NOT_FOUND
    // when there is none, ERROR_INVALID_HANDLE when it is of another kind.
    static std::shared_ptr<ObjectFile> open(std::string_view name, ObjectKind kind);

    ~ObjectFile();
    ObjectFile(const ObjectFile&) = delete;
    ObjectFile& operator=(const ObjectFile&) = delete;

    bool named() const { return !m_path.empty(); }
    // The file to map a mapping's data from (-1 for unnamed mutexes and events).
    int fd() const { return m_fd; }
    // Size and protection as checked when the object was joined; never read
    // again from the shared page, which other processes can write.
    uint64_t data_size() const { return m_data_size; }
    uint32_t protection() const { return m_protection; }

    template <class State>
    State* state() const
    {
        static_assert(sizeof(State) <= sizeof(ObjectHeader::state));
        return reinterpret_cast<State*>(m_header->state);
    }

    // Leaves the first page mapped after this holder goes: a robust mutex
    // that a thread of this process still owns sits on that thread's robust
    // list, which the kernel walks when the thread ends.
    void keep_header_mapped() { m_keep_header = true; }

private:
    ObjectFile() = default;
    static std::shared_ptr<ObjectFile> create_unnamed(const ObjectSpec& spec);
    static std::shared_ptr<ObjectFile> join_locked(const std::string& path, std::string_view name, ObjectKind kind);

    std::string m_path;  // empty for an unnamed object
    int m_fd = -1;
    ObjectHeader* m_header = nullptr;
    uint64_t m_data_size = 0;
    uint32_t m_protection = 0;
    bool m_keep_header = false;
};

// The object name a caller gave, with the "Global\" and "Local\" prefixes
// taken off (one station is one name space). Sets ERROR_FILENAME_EXCED_RANGE
// and returns false for a name longer than MAX_PATH.
bool normalise_object_name(LPCSTR name, std::string_view* out);

}  // namespace helm::kernel
