// Named mutexes, events and mappings seen from several processes: crashes,
// liveness, shared data, concurrent creation and station boundaries.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/kernel/mapping.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/sync.h"
#include "helm/test/support.h"

namespace {

using helm::test::eventually;
using helm::test::spawn_child;
using helm::test::TempDir;

constexpr DWORD kBlock = 0x10000;

bool exists(const std::string& path) { return std::filesystem::exists(path); }

// Tells the parent this child is ready, then stays until killed or told to go.
int report_ready_and_stay(const std::string& ready, const std::string& go = {})
{
    helm::test::write_file(ready, "ready");
    for (int i = 0; i < 30000; ++i) {
        if (!go.empty() && exists(go))
            return 0;
        usleep(1000);
    }
    return 10;
}

HANDLE create_mapping(const char* name, DWORD size)
{
    return CreateFileMapping(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, size, name);
}

HANDLE create_kind(const std::string& kind, const char* name)
{
    if (kind == "mutex")
        return CreateMutex(nullptr, FALSE, name);
    if (kind == "event")
        return CreateEvent(nullptr, TRUE, FALSE, name);
    return create_mapping(name, kBlock);
}

HANDLE open_kind(const std::string& kind, const char* name)
{
    if (kind == "mutex")
        return OpenMutex(SYNCHRONIZE, FALSE, name);
    if (kind == "event")
        return OpenEvent(SYNCHRONIZE, FALSE, name);
    return OpenFileMapping(FILE_MAP_READ, FALSE, name);
}

// args: name, ready file. Takes the mutex and keeps it.
HELM_TEST_CHILD(own_mutex)
{
    HANDLE mutex = OpenMutex(SYNCHRONIZE, FALSE, args.at(0).c_str());
    if (!mutex || WaitForSingleObject(mutex, 5000) != WAIT_OBJECT_0)
        return 2;
    return report_ready_and_stay(args.at(1));
}

// args: kind, name, ready file. Creates the object and holds it.
HELM_TEST_CHILD(hold_object)
{
    HANDLE object = create_kind(args.at(0), args.at(1).c_str());
    if (!object || GetLastError() != ERROR_SUCCESS)
        return 2;
    if (args.at(0) == "mapping") {
        auto* view = static_cast<char*>(MapViewOfFile(object, FILE_MAP_WRITE, 0, 0, 0));
        if (!view)
            return 3;
        std::memset(view, 0xEE, kBlock);  // whatever a crash leaves must not be seen again
    }
    return report_ready_and_stay(args.at(2));
}

// args: name, text, ready file. Creates a mapping with the text at 1438 and
// keeps it until the parent has written its answer at 0.
HELM_TEST_CHILD(serve_mapping)
{
    HANDLE mapping = create_mapping(args.at(0).c_str(), kBlock);
    if (!mapping)
        return 2;
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (!view)
        return 3;
    std::strcpy(view + 1438, args.at(1).c_str());
    helm::test::write_file(args.at(2), "ready");
    for (int i = 0; i < 10000; ++i) {
        if (std::strcmp(view, "answer") == 0)
            return 0;
        usleep(1000);
    }
    return 4;
}

// args: name. Sets the event of that name.
HELM_TEST_CHILD(set_event)
{
    HANDLE event = OpenEvent(EVENT_MODIFY_STATE, FALSE, args.at(0).c_str());
    return event && SetEvent(event) ? 0 : 2;
}

// args: name, result file, go file. Creates the mutex, reports whether it
// was new, and holds it until told to go.
HELM_TEST_CHILD(race_create)
{
    HANDLE mutex = CreateMutex(nullptr, FALSE, args.at(0).c_str());
    if (!mutex)
        return 2;
    bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    helm::test::write_file(args.at(1), existed ? "existed" : "new");
    return report_ready_and_stay(args.at(1) + ".ready", args.at(2));
}

// args: names... Each must be unknown in this station, and free to create.
HELM_TEST_CHILD(probe_station)
{
    int failures = 0;
    for (const auto& name : args) {
        for (const char* kind : {"mutex", "event", "mapping"}) {
            if (open_kind(kind, name.c_str()) != nullptr || GetLastError() != ERROR_FILE_NOT_FOUND)
                ++failures;
        }
        HANDLE made = CreateMutex(nullptr, FALSE, name.c_str());
        if (!made || GetLastError() != ERROR_SUCCESS)
            ++failures;
    }
    return failures;
}

TEST(NamedObjectsAcrossProcesses, MutexOfAKilledOwnerIsAbandonedThenNormal)
{
    TempDir dir;
    HANDLE mutex = CreateMutex(nullptr, FALSE, "ZQO_SERIAL_MUTEX7");
    ASSERT_NE(mutex, nullptr);
    auto child = spawn_child("own_mutex", {"ZQO_SERIAL_MUTEX7", dir.file("ready")});
    ASSERT_TRUE(eventually([&] { return exists(dir.file("ready")); }));
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_TIMEOUT);

    // A waiter already blocked when the owner dies is woken with the news.
    auto waiter = std::async(std::launch::async, [&] {
        DWORD r = WaitForSingleObject(mutex, 10000);
        if (r == WAIT_ABANDONED || r == WAIT_OBJECT_0)
            ReleaseMutex(mutex);
        return r;
    });
    usleep(30000);
    child.kill();
    EXPECT_EQ(waiter.get(), WAIT_ABANDONED);
    EXPECT_EQ(WaitForSingleObject(mutex, 1000), WAIT_OBJECT_0) << "consistent again after the abandoned wait";
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST(NamedObjectsAcrossProcesses, UnreleasedMutexOfAKilledOwnerIsAbandonedForANewWaiter)
{
    TempDir dir;
    HANDLE mutex = CreateMutex(nullptr, FALSE, "late_waiter");
    ASSERT_NE(mutex, nullptr);
    auto child = spawn_child("own_mutex", {"late_waiter", dir.file("ready")});
    ASSERT_TRUE(eventually([&] { return exists(dir.file("ready")); }));
    child.kill();
    HANDLE both[] = {mutex};
    EXPECT_EQ(WaitForMultipleObjects(1, both, FALSE, 1000), WAIT_ABANDONED_0);
    ReleaseMutex(mutex);
    EXPECT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    ReleaseMutex(mutex);
    CloseHandle(mutex);
}

// Whether a server has a port open is learnt by opening its objects: once
// the only holder is killed, the objects are gone, and a new one is fresh.
class KilledHolder : public testing::TestWithParam<const char*> {};

INSTANTIATE_TEST_SUITE_P(EveryKind, KilledHolder, testing::Values("mutex", "event", "mapping"),
                         [](const auto& info) { return std::string(info.param); });

TEST_P(KilledHolder, ObjectIsGoneAndRemadeFresh)
{
    std::string kind = GetParam();
    std::string name = "ZQO_SERIAL_MMF3_" + kind;
    TempDir dir;
    auto child = spawn_child("hold_object", {kind, name, dir.file("ready")});
    ASSERT_TRUE(eventually([&] { return exists(dir.file("ready")); }));
    HANDLE seen = open_kind(kind, name.c_str());
    ASSERT_NE(seen, nullptr) << "alive while the child holds it";
    CloseHandle(seen);

    child.kill();
    SetLastError(0);
    EXPECT_EQ(open_kind(kind, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    HANDLE fresh = create_kind(kind, name.c_str());
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    if (kind == "mapping") {
        auto* view = static_cast<unsigned char*>(MapViewOfFile(fresh, FILE_MAP_READ, 0, 0, 0));
        ASSERT_NE(view, nullptr);
        size_t nonzero = 0;
        for (DWORD i = 0; i < kBlock; ++i)
            nonzero += view[i] != 0;
        EXPECT_EQ(nonzero, 0u);
        UnmapViewOfFile(view);
    }
    CloseHandle(fresh);
}

TEST(NamedObjectsAcrossProcesses, MappingOfALiveChildShowsItsDataBothWays)
{
    TempDir dir;
    auto child = spawn_child("serve_mapping", {"ZQO_PARSED_MMF2", "$GPGGA,hello", dir.file("ready")});
    ASSERT_TRUE(eventually([&] { return exists(dir.file("ready")); }));
    HANDLE mapping = OpenFileMapping(FILE_MAP_ALL_ACCESS, FALSE, "ZQO_PARSED_MMF2");
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(helm::kernel::mapping_size(mapping), kBlock);
    auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_STREQ(view + 1438, "$GPGGA,hello");
    std::strcpy(view, "answer");
    EXPECT_EQ(child.wait(10000), 0) << "the child saw the parent's write";
    UnmapViewOfFile(view);
    CloseHandle(mapping);
}

TEST(NamedObjectsAcrossProcesses, EventSetInAnotherProcessWakesTheWaiter)
{
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, "wake_me");
    ASSERT_NE(event, nullptr);
    for (bool multiple : {false, true}) {
        auto waiter = std::async(std::launch::async, [&] {
            HANDLE set[] = {event};
            return multiple ? WaitForMultipleObjects(1, set, FALSE, 10000) : WaitForSingleObject(event, 10000);
        });
        auto child = spawn_child("set_event", {"wake_me"});
        EXPECT_EQ(child.wait(10000), 0);
        EXPECT_EQ(waiter.get(), WAIT_OBJECT_0) << "multiple " << multiple;
    }
    CloseHandle(event);
}

TEST(NamedObjectsAcrossProcesses, OneOfManyConcurrentCreatorsMakesTheObject)
{
    TempDir dir;
    constexpr int kCreators = 6;
    std::vector<helm::test::Child> children;
    for (int i = 0; i < kCreators; ++i)
        children.push_back(spawn_child("race_create", {"ZQO_SOCKET_MMF_RAW1_MUTEX", dir.file(std::to_string(i)), dir.file("go")}));
    int made = 0;
    for (int i = 0; i < kCreators; ++i) {
        std::string ready = dir.file(std::to_string(i)) + ".ready";
        ASSERT_TRUE(eventually([&] { return exists(ready); }, 10000)) << "creator " << i;
        made += helm::test::read_file(dir.file(std::to_string(i))) == "new";
    }
    EXPECT_EQ(made, 1);
    helm::test::write_file(dir.file("go"), "go");
    for (auto& child : children)
        EXPECT_EQ(child.wait(10000), 0);
}

TEST(NamedObjectsAcrossProcesses, AnotherStationSeesNone)
{
    HANDLE mutex = CreateMutex(nullptr, FALSE, "ZQO_SERIAL_MUTEX1");
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, "ZQO_EVENT1");
    HANDLE mapping = create_mapping("ZQO_SERIAL_MMF1", kBlock);
    ASSERT_TRUE(mutex && event && mapping);
    TempDir other;
    auto child = spawn_child("probe_station", {"ZQO_SERIAL_MUTEX1", "ZQO_EVENT1", "ZQO_SERIAL_MMF1"},
                             {{"HELM_STATION", other.path()}});
    EXPECT_EQ(child.wait(10000), 0) << "objects seen across stations";
    HANDLE again = OpenMutex(SYNCHRONIZE, FALSE, "ZQO_SERIAL_MUTEX1");
    EXPECT_NE(again, nullptr) << "this station's object is untouched";
    for (HANDLE h : {mutex, event, mapping, again})
        CloseHandle(h);
}

}  // namespace
