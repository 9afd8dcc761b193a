#include "helm/kernel/mapping.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>

#include "../src/named_object.h"
#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/station_path.h"
#include "helm/kernel/sync.h"

namespace {

constexpr DWORD kBlock = 0x10000;

std::string unique_name(const char* stem)
{
    static std::atomic<int> counter{0};
    return std::string(stem) + std::to_string(counter++);
}

HANDLE create_mapping(const char* name, uint64_t size, DWORD protect = PAGE_READWRITE)
{
    return CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, protect, static_cast<DWORD>(size >> 32),
                             static_cast<DWORD>(size), name);
}

bool all_zero(const void* bytes, size_t size)
{
    const auto* p = static_cast<const unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i)
        if (p[i])
            return false;
    return true;
}

class Mappings : public testing::TestWithParam<bool> {
protected:
    const char* name()
    {
        m_name = unique_name("mapping");
        return GetParam() ? m_name.c_str() : nullptr;
    }

private:
    std::string m_name;
};

INSTANTIATE_TEST_SUITE_P(NamedAndUnnamed, Mappings, testing::Bool(),
                         [](const auto& info) { return info.param ? "Named" : "Unnamed"; });

TEST_P(Mappings, NewMappingIsZeroedAndViewsShareIt)
{
    SetLastError(ERROR_INVALID_FUNCTION);
    HANDLE mapping = create_mapping(name(), 3 * kBlock);
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(helm::kernel::mapping_size(mapping), 3u * kBlock);

    auto* whole = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    auto* tail = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 2 * kBlock, 0));
    ASSERT_TRUE(whole && tail);
    EXPECT_TRUE(all_zero(whole, 3 * kBlock));
    whole[0] = 1;
    whole[2 * kBlock + 5] = 0x5A;
    whole[3 * kBlock - 1] = 0xA5;
    EXPECT_EQ(tail[5], 0x5A);
    EXPECT_EQ(tail[kBlock - 1], 0xA5);
    EXPECT_TRUE(UnmapViewOfFile(whole));
    EXPECT_TRUE(UnmapViewOfFile(tail));
    CloseHandle(mapping);
}

TEST_P(Mappings, ViewOutlivesTheHandle)
{
    HANDLE mapping = create_mapping(name(), kBlock);
    ASSERT_NE(mapping, nullptr);
    auto* first = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, kBlock));
    auto* second = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 16));
    ASSERT_TRUE(first && second);
    ASSERT_TRUE(CloseHandle(mapping));
    std::strcpy(first, "after close");
    EXPECT_STREQ(second, "after close");
    EXPECT_TRUE(UnmapViewOfFile(first));
    EXPECT_STREQ(second, "after close");
    EXPECT_TRUE(UnmapViewOfFile(second));
}

TEST_P(Mappings, ViewsStayInsideTheMapping)
{
    HANDLE mapping = create_mapping(name(), 2 * kBlock);
    ASSERT_NE(mapping, nullptr);
    struct Case {
        DWORD offset_high, offset_low;
        SIZE_T bytes;
        DWORD error;  // 0: the view is made
    } cases[] = {
        {0, 0, 2 * kBlock, 0},
        {0, kBlock, 0, 0},
        {0, kBlock, kBlock, 0},
        {0, kBlock, kBlock + 1, ERROR_ACCESS_DENIED},
        {0, 0, 2 * kBlock + 1, ERROR_ACCESS_DENIED},
        {0, 2 * kBlock, 0, ERROR_ACCESS_DENIED},
        {0, 4 * kBlock, 1, ERROR_ACCESS_DENIED},
        {1, 0, 1, ERROR_ACCESS_DENIED},
        {0, kBlock, SIZE_MAX, ERROR_ACCESS_DENIED},
        {0xFFFFFFFFu, 0xFFFF0000u, 1, ERROR_ACCESS_DENIED},
        {0, 4096, 16, ERROR_MAPPED_ALIGNMENT},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, c.offset_high, c.offset_low, c.bytes);
        std::string what = std::to_string(c.offset_high) + ":" + std::to_string(c.offset_low) + " +" + std::to_string(c.bytes);
        if (c.error == 0) {
            ASSERT_NE(view, nullptr) << what;
            static_cast<volatile char*>(view)[0] = 1;
            EXPECT_TRUE(UnmapViewOfFile(view)) << what;
        } else {
            EXPECT_EQ(view, nullptr) << what;
            EXPECT_EQ(GetLastError(), c.error) << what;
        }
    }
    CloseHandle(mapping);
}

TEST_P(Mappings, ViewAccessIsBoundedByProtectionAndHandle)
{
    HANDLE read_only = create_mapping(name(), kBlock, PAGE_READONLY);
    ASSERT_NE(read_only, nullptr);
    EXPECT_EQ(MapViewOfFile(read_only, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(MapViewOfFile(read_only, FILE_MAP_ALL_ACCESS, 0, 0, 0), nullptr);
    EXPECT_EQ(MapViewOfFile(read_only, FILE_MAP_COPY, 0, 0, 0), nullptr) << "copy-on-write needs a writable protection";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    void* view = MapViewOfFile(read_only, FILE_MAP_READ, 0, 0, 0);
    EXPECT_NE(view, nullptr);
    UnmapViewOfFile(view);
    EXPECT_EQ(MapViewOfFile(read_only, 0, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    CloseHandle(read_only);
}

TEST_P(Mappings, CopyViewKeepsItsWritesToItself)
{
    HANDLE mapping = create_mapping(name(), kBlock);
    ASSERT_NE(mapping, nullptr);
    auto* shared = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    auto* copy = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_COPY, 0, 0, 0));
    ASSERT_TRUE(shared && copy);
    copy[0] = 'c';
    EXPECT_EQ(shared[0], 0);
    UnmapViewOfFile(shared);
    UnmapViewOfFile(copy);
    CloseHandle(mapping);
}

TEST(Mapping, BadArgumentsAreRefused)
{
    struct Case {
        const char* what;
        HANDLE file;
        DWORD protect, high, low;
        DWORD error;
    } cases[] = {
        {"a real file", reinterpret_cast<HANDLE>(4), PAGE_READWRITE, 0, kBlock, ERROR_INVALID_HANDLE},
        {"null file", nullptr, PAGE_READWRITE, 0, kBlock, ERROR_INVALID_HANDLE},
        {"no size", INVALID_HANDLE_VALUE, PAGE_READWRITE, 0, 0, ERROR_INVALID_PARAMETER},
        {"no protection", INVALID_HANDLE_VALUE, 0, 0, kBlock, ERROR_INVALID_PARAMETER},
        {"two protections", INVALID_HANDLE_VALUE, PAGE_READONLY | PAGE_READWRITE, 0, kBlock, ERROR_INVALID_PARAMETER},
        {"beyond any paging file", INVALID_HANDLE_VALUE, PAGE_READWRITE, 0xFFFFFFFFu, 0, ERROR_NOT_ENOUGH_MEMORY},
    };
    for (const auto& c : cases) {
        for (const char* name : {static_cast<const char*>(nullptr), "bad_arguments"}) {
            SetLastError(0);
            EXPECT_EQ(CreateFileMapping(c.file, nullptr, c.protect, c.high, c.low, name), nullptr) << c.what;
            EXPECT_EQ(GetLastError(), c.error) << c.what;
        }
    }
    HANDLE committed = create_mapping(nullptr, kBlock, PAGE_READWRITE | SEC_COMMIT);
    EXPECT_NE(committed, nullptr);
    CloseHandle(committed);
}

TEST(Mapping, UnmapTakesOnlyAViewsOwnAddress)
{
    HANDLE mapping = create_mapping(nullptr, kBlock);
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    int local = 0;
    for (const void* address : {static_cast<const void*>(nullptr), static_cast<const void*>(view + 1),
                                static_cast<const void*>(&local)}) {
        SetLastError(0);
        EXPECT_FALSE(UnmapViewOfFile(address));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    }
    EXPECT_TRUE(UnmapViewOfFile(view));
    EXPECT_FALSE(UnmapViewOfFile(view)) << "twice";
    CloseHandle(mapping);
}

TEST(Mapping, HandlesOfOtherKindsAreRefused)
{
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, nullptr);
    for (HANDLE handle : {event, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE}) {
        SetLastError(0);
        EXPECT_EQ(MapViewOfFile(handle, FILE_MAP_READ, 0, 0, 0), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
        EXPECT_EQ(helm::kernel::mapping_size(handle), 0u);
    }
    CloseHandle(event);
}

TEST(NamedMapping, CreatingAgainJoinsTheExistingMappingWithItsSize)
{
    std::string name = unique_name("joined");
    HANDLE first = create_mapping(name.c_str(), kBlock);
    ASSERT_NE(first, nullptr);
    auto* view = static_cast<char*>(MapViewOfFile(first, FILE_MAP_WRITE, 0, 0, 0));
    std::strcpy(view, "first");

    HANDLE second = create_mapping(name.c_str(), 4 * kBlock);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(helm::kernel::mapping_size(second), kBlock);
    EXPECT_EQ(MapViewOfFile(second, FILE_MAP_READ, 0, 0, 2 * kBlock), nullptr) << "the asked size is not the object's";
    auto* joined = static_cast<char*>(MapViewOfFile(second, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(joined, nullptr);
    EXPECT_STREQ(joined, "first");

    HANDLE opened = OpenFileMapping(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    auto* third = static_cast<char*>(MapViewOfFile(opened, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(third, nullptr);
    third[0] = 'F';
    EXPECT_STREQ(joined, "First");
    for (void* v : {static_cast<void*>(view), static_cast<void*>(joined), static_cast<void*>(third)})
        UnmapViewOfFile(v);
    for (HANDLE h : {first, second, opened})
        CloseHandle(h);
}

TEST(NamedMapping, ReadOnlyOpenGivesReadOnlyViews)
{
    std::string name = unique_name("read_only_open");
    HANDLE created = create_mapping(name.c_str(), kBlock);
    HANDLE reader = OpenFileMapping(FILE_MAP_READ, FALSE, name.c_str());
    ASSERT_TRUE(created && reader);
    EXPECT_EQ(MapViewOfFile(reader, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    void* view = MapViewOfFile(reader, FILE_MAP_READ, 0, 0, 0);
    EXPECT_NE(view, nullptr);
    UnmapViewOfFile(view);
    auto* copy = static_cast<char*>(MapViewOfFile(reader, FILE_MAP_COPY, 0, 0, 0));
    ASSERT_NE(copy, nullptr) << "a private copy only reads the mapping";
    copy[0] = 'x';
    UnmapViewOfFile(copy);
    CloseHandle(reader);
    CloseHandle(created);
}

// The name goes with the last handle, as on Windows; a view keeps only its memory.
TEST(NamedMapping, NameGoesWithTheLastHandleWhileViewsKeepTheirMemory)
{
    std::string name = unique_name("released");
    HANDLE mapping = create_mapping(name.c_str(), kBlock);
    auto* old_view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(old_view, nullptr);
    std::strcpy(old_view, "old");
    CloseHandle(mapping);

    SetLastError(0);
    EXPECT_EQ(OpenFileMapping(FILE_MAP_READ, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    HANDLE fresh = create_mapping(name.c_str(), kBlock);
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    auto* new_view = static_cast<char*>(MapViewOfFile(fresh, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(new_view, nullptr);
    EXPECT_TRUE(all_zero(new_view, kBlock));
    std::strcpy(new_view, "new");
    EXPECT_STREQ(old_view, "old");
    UnmapViewOfFile(old_view);
    UnmapViewOfFile(new_view);
    CloseHandle(fresh);
}

// Events, mutexes and mappings share one name space.
TEST(NamedObjects, AKindClashFailsWithInvalidHandle)
{
    auto make_mutex = [](const char* n) { return CreateMutex(nullptr, FALSE, n); };
    auto make_event = [](const char* n) { return CreateEvent(nullptr, TRUE, FALSE, n); };
    auto make_mapping = [](const char* n) { return create_mapping(n, kBlock); };
    auto open_mutex = [](const char* n) { return OpenMutex(SYNCHRONIZE, FALSE, n); };
    auto open_event = [](const char* n) { return OpenEvent(SYNCHRONIZE, FALSE, n); };
    auto open_mapping = [](const char* n) { return OpenFileMapping(FILE_MAP_READ, FALSE, n); };
    struct Kind {
        const char* what;
        HANDLE (*create)(const char*);
        HANDLE (*open)(const char*);
    } kinds[] = {
        {"mutex", make_mutex, open_mutex},
        {"event", make_event, open_event},
        {"mapping", make_mapping, open_mapping},
    };
    for (const auto& held : kinds) {
        std::string name = unique_name("clash");
        HANDLE holder = held.create(name.c_str());
        ASSERT_NE(holder, nullptr) << held.what;
        for (const auto& other : kinds) {
            if (&other == &held)
                continue;
            SetLastError(0);
            EXPECT_EQ(other.create(name.c_str()), nullptr) << other.what << " over a " << held.what;
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << other.what << " over a " << held.what;
            SetLastError(0);
            EXPECT_EQ(other.open(name.c_str()), nullptr) << other.what << " over a " << held.what;
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << other.what << " over a " << held.what;
        }
        CloseHandle(holder);
        HANDLE after = kinds[0].create(name.c_str());
        EXPECT_NE(after, nullptr) << "the name is free once the " << held.what << " is gone";
        CloseHandle(after);
    }
}

// A station file that some process holds but that is not a sound object
// (damaged, or written by something else) is refused, never mapped.
TEST(NamedObjects, DamagedObjectFilesAreRefused)
{
    using helm::kernel::ObjectHeader;
    auto header_of = [](const std::string& name, uint32_t kind, uint64_t size) {
        ObjectHeader header{};
        header.magic = helm::kernel::kObjectMagic;
        header.kind = kind;
        header.data_size = size;
        header.protection = PAGE_READWRITE;
        header.name_length = static_cast<uint32_t>(name.size());
        std::memcpy(header.name, name.data(), name.size());
        return header;
    };
    const uint32_t mapping_kind = static_cast<uint32_t>(helm::kernel::ObjectKind::mapping);
    struct Case {
        const char* what;
        void (*damage)(ObjectHeader&);
        uint64_t file_bytes;
    } cases[] = {
        {"too short", [](ObjectHeader&) {}, 100},
        {"bad magic", [](ObjectHeader& h) { h.magic = 0; }, helm::kernel::kObjectDataOffset + kBlock},
        {"size beyond the file", [](ObjectHeader& h) { h.data_size = 64 * kBlock; }, helm::kernel::kObjectDataOffset + kBlock},
        {"huge size", [](ObjectHeader& h) { h.data_size = UINT64_MAX; }, helm::kernel::kObjectDataOffset + kBlock},
        {"no size", [](ObjectHeader& h) { h.data_size = 0; }, helm::kernel::kObjectDataOffset + kBlock},
        {"bad protection", [](ObjectHeader& h) { h.protection = 0x40; }, helm::kernel::kObjectDataOffset + kBlock},
        {"another name", [](ObjectHeader& h) { h.name[0] ^= 1; }, helm::kernel::kObjectDataOffset + kBlock},
        {"name length beyond its field", [](ObjectHeader& h) { h.name_length = 0xFFFFFFFFu; }, helm::kernel::kObjectDataOffset + kBlock},
    };
    for (const auto& c : cases) {
        std::string name = unique_name("damaged");
        std::string path = helm::kernel::station_object_path("object", name);
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0) << path;
        ObjectHeader header = header_of(name, mapping_kind, kBlock);
        c.damage(header);
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(c.file_bytes)), 0);
        size_t bytes = std::min<uint64_t>(sizeof header, c.file_bytes);
        ASSERT_EQ(pwrite(fd, &header, bytes, 0), static_cast<ssize_t>(bytes));
        struct flock hold {};
        hold.l_type = F_RDLCK;
        hold.l_whence = SEEK_SET;
        hold.l_len = 1;
        ASSERT_EQ(fcntl(fd, F_OFD_SETLK, &hold), 0);

        SetLastError(0);
        EXPECT_EQ(OpenFileMapping(FILE_MAP_READ, FALSE, name.c_str()), nullptr) << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << c.what;
        EXPECT_EQ(create_mapping(name.c_str(), kBlock), nullptr) << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << c.what;
        ::close(fd);

        HANDLE remade = create_mapping(name.c_str(), kBlock);
        EXPECT_NE(remade, nullptr) << c.what << ": once nobody holds it the name is free";
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << c.what;
        CloseHandle(remade);
    }
}

}  // namespace
