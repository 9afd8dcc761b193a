#include "helm/kernel/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/station_path.h"
#include "helm/test/support.h"

namespace {

using namespace std::chrono_literals;

// Runs `work` on a thread of its own and returns what it returned.
template <class F>
auto on_other_thread(F work)
{
    return std::async(std::launch::async, work).get();
}

std::string unique_name(const char* stem)
{
    static std::atomic<int> counter{0};
    return std::string(stem) + std::to_string(counter++);
}

// ---------------------------------------------------------------------------
// Critical sections

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreadsUntilFullyLeft)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    ASSERT_TRUE(TryEnterCriticalSection(&section));

    auto other_try = [&] {
        return on_other_thread([&] {
            BOOL got = TryEnterCriticalSection(&section);
            if (got)
                LeaveCriticalSection(&section);
            return got;
        });
    };
    EXPECT_FALSE(other_try());
    LeaveCriticalSection(&section);
    EXPECT_FALSE(other_try()) << "one level of recursion is still held";
    LeaveCriticalSection(&section);
    EXPECT_TRUE(other_try());
    DeleteCriticalSection(&section);
}

TEST(CriticalSection, SerialisesThreads)
{
    CRITICAL_SECTION section;
    ASSERT_TRUE(InitializeCriticalSectionAndSpinCount(&section, 4000));
    long counter = 0;  // deliberately not atomic
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                EnterCriticalSection(&section);
                ++counter;
                LeaveCriticalSection(&section);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 80000);
    DeleteCriticalSection(&section);
}

// ---------------------------------------------------------------------------
// Events and mutexes behave the same named and unnamed: every test of that
// behaviour runs for both.

class SyncObjects : public testing::TestWithParam<bool> {
protected:
    // A fresh name for the named variant, null for the unnamed one.
    const char* name(const char* stem)
    {
        if (!GetParam())
            return nullptr;
        m_names.push_back(unique_name(stem));
        return m_names.back().c_str();
    }

private:
    std::vector<std::string> m_names;
};

INSTANTIATE_TEST_SUITE_P(NamedAndUnnamed, SyncObjects, testing::Bool(),
                         [](const auto& info) { return info.param ? "Named" : "Unnamed"; });

TEST_P(SyncObjects, AutoResetEventReleasesOneWaitPerSet)
{
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, name("auto"));
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    ASSERT_TRUE(SetEvent(event));
    ASSERT_TRUE(SetEvent(event));  // does not count
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST_P(SyncObjects, ManualResetEventStaysSetUntilReset)
{
    HANDLE event = CreateEvent(nullptr, TRUE, TRUE, name("manual"));
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(event, 100), WAIT_OBJECT_0);
    ASSERT_TRUE(ResetEvent(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST_P(SyncObjects, SetEventWakesBlockedWaiters)
{
    for (BOOL manual : {FALSE, TRUE}) {
        for (bool multiple : {false, true}) {
            HANDLE event = CreateEvent(nullptr, manual, FALSE, name("wake"));
            ASSERT_NE(event, nullptr);
            auto waiter = std::async(std::launch::async, [&] {
                HANDLE set[] = {event};
                return multiple ? WaitForMultipleObjects(1, set, FALSE, 10000) : WaitForSingleObject(event, 10000);
            });
            std::this_thread::sleep_for(30ms);
            SetEvent(event);
            EXPECT_EQ(waiter.get(), WAIT_OBJECT_0) << "manual " << manual << ", multiple " << multiple;
            EXPECT_EQ(WaitForSingleObject(event, 0), manual ? WAIT_OBJECT_0 : WAIT_TIMEOUT);
            CloseHandle(event);
        }
    }
}

TEST_P(SyncObjects, AutoResetEventLetsExactlyOneOfManyWaitersThrough)
{
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, name("one"));
    ASSERT_NE(event, nullptr);
    std::atomic<int> through{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 4; ++i)
        waiters.emplace_back([&] {
            if (WaitForSingleObject(event, 400) == WAIT_OBJECT_0)
                ++through;
        });
    std::this_thread::sleep_for(50ms);
    SetEvent(event);
    for (auto& waiter : waiters)
        waiter.join();
    EXPECT_EQ(through.load(), 1);
    CloseHandle(event);
}

TEST_P(SyncObjects, TimedWaitsLastTheirTime)
{
    HANDLE event = CreateEvent(nullptr, TRUE, FALSE, name("timed_event"));
    HANDLE mutex = CreateMutex(nullptr, TRUE, name("timed_mutex"));
    ASSERT_NE(event, nullptr);
    ASSERT_NE(mutex, nullptr);
    for (HANDLE object : {event, mutex}) {
        DWORD result = 0;
        auto start = std::chrono::steady_clock::now();
        on_other_thread([&] { result = WaitForSingleObject(object, 60); });
        EXPECT_EQ(result, WAIT_TIMEOUT);
        EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms);
    }
    ReleaseMutex(mutex);
    CloseHandle(event);
    CloseHandle(mutex);
}

TEST_P(SyncObjects, MutexIsRecursivePerThread)
{
    HANDLE mutex = CreateMutex(nullptr, FALSE, name("recursive"));
    ASSERT_NE(mutex, nullptr);
    auto other_can_take = [&] {
        return on_other_thread([&] {
            DWORD r = WaitForSingleObject(mutex, 0);
            if (r == WAIT_OBJECT_0)
                ReleaseMutex(mutex);
            return r == WAIT_OBJECT_0;
        });
    };
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(WaitForSingleObject(mutex, 0), WAIT_OBJECT_0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(other_can_take()) << "after " << i << " releases";
        ASSERT_TRUE(ReleaseMutex(mutex));
    }
    EXPECT_TRUE(other_can_take());
    SetLastError(0);
    EXPECT_FALSE(ReleaseMutex(mutex));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));
    CloseHandle(mutex);
}

TEST_P(SyncObjects, ReleaseByAnotherThreadFailsAndLeavesTheOwner)
{
    HANDLE mutex = CreateMutex(nullptr, TRUE, name("owned"));
    ASSERT_NE(mutex, nullptr);
    auto [released, error, took] = on_other_thread([&] {
        BOOL r = ReleaseMutex(mutex);
        DWORD e = GetLastError();
        return std::tuple{r, e, WaitForSingleObject(mutex, 0)};
    });
    EXPECT_FALSE(released);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_EQ(took, WAIT_TIMEOUT);
    EXPECT_TRUE(ReleaseMutex(mutex));
    CloseHandle(mutex);
}

TEST_P(SyncObjects, MutexOfAnEndedOwnerIsAbandonedOnceThenNormal)
{
    HANDLE mutex = CreateMutex(nullptr, FALSE, name("abandoned"));
    ASSERT_NE(mutex, nullptr);
    on_other_thread([&] { return WaitForSingleObject(mutex, 0); });  // the thread ends owning it
    EXPECT_EQ(WaitForSingleObject(mutex, 1000), WAIT_ABANDONED);
    EXPECT_TRUE(ReleaseMutex(mutex)) << "the abandoned wait made us the owner";
    EXPECT_EQ(on_other_thread([&] {
                  DWORD r = WaitForSingleObject(mutex, 1000);
                  ReleaseMutex(mutex);
                  return r;
              }),
              WAIT_OBJECT_0);
    CloseHandle(mutex);
}

TEST_P(SyncObjects, ReleaseWakesABlockedWaiter)
{
    HANDLE mutex = CreateMutex(nullptr, TRUE, name("handover"));
    ASSERT_NE(mutex, nullptr);
    auto single = std::async(std::launch::async, [&] {
        DWORD r = WaitForSingleObject(mutex, INFINITE);
        ReleaseMutex(mutex);
        return r;
    });
    auto multiple = std::async(std::launch::async, [&] {
        DWORD r = WaitForMultipleObjects(1, &mutex, FALSE, 10000);
        ReleaseMutex(mutex);
        return r;
    });
    std::this_thread::sleep_for(30ms);
    ASSERT_TRUE(ReleaseMutex(mutex));
    EXPECT_EQ(single.get(), WAIT_OBJECT_0);
    EXPECT_EQ(multiple.get(), WAIT_OBJECT_0);
    CloseHandle(mutex);
}

TEST_P(SyncObjects, MutexExcludesThreads)
{
    HANDLE mutex = CreateMutex(nullptr, FALSE, name("exclusion"));
    ASSERT_NE(mutex, nullptr);
    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                WaitForSingleObject(mutex, INFINITE);
                long seen = counter;
                counter = seen + 1;
                ReleaseMutex(mutex);
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 8000);
    CloseHandle(mutex);
}

TEST_P(SyncObjects, WaitForMultipleObjectsReportsTheFirstSignalledObject)
{
    HANDLE idle = CreateEvent(nullptr, TRUE, FALSE, name("idle"));
    HANDLE held = CreateMutex(nullptr, FALSE, name("held"));
    HANDLE ready = CreateEvent(nullptr, TRUE, TRUE, name("ready"));
    ASSERT_TRUE(idle && held && ready);
    on_other_thread([&] { return WaitForSingleObject(held, 0); });  // abandoned by its thread

    HANDLE set[] = {idle, ready, held};
    EXPECT_EQ(WaitForMultipleObjects(3, set, FALSE, 0), WAIT_OBJECT_0 + 1);
    HANDLE abandoned_first[] = {idle, held, ready};
    EXPECT_EQ(WaitForMultipleObjects(3, abandoned_first, FALSE, 0), WAIT_ABANDONED_0 + 1);
    ReleaseMutex(held);

    HANDLE all[] = {ready, held};
    EXPECT_EQ(WaitForMultipleObjects(2, all, TRUE, 100), WAIT_OBJECT_0);
    ReleaseMutex(held);
    HANDLE not_all[] = {ready, idle};
    EXPECT_EQ(WaitForMultipleObjects(2, not_all, TRUE, 50), WAIT_TIMEOUT);
    for (HANDLE h : {idle, held, ready})
        CloseHandle(h);
}

TEST_P(SyncObjects, WrongHandlesAreRefused)
{
    HANDLE event = CreateEvent(nullptr, FALSE, FALSE, name("wrong_event"));
    HANDLE mutex = CreateMutex(nullptr, FALSE, name("wrong_mutex"));
    ASSERT_TRUE(event && mutex);
    struct Case {
        const char* what;
        BOOL (*call)(HANDLE);
        HANDLE handle;
    } cases[] = {
        {"SetEvent on a mutex", SetEvent, mutex},
        {"ResetEvent on a mutex", ResetEvent, mutex},
        {"ReleaseMutex on an event", ReleaseMutex, event},
        {"SetEvent on a closed handle", SetEvent, reinterpret_cast<HANDLE>(0x7FFFFFF0)},
        {"ReleaseMutex on null", ReleaseMutex, nullptr},
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(c.call(c.handle)) << c.what;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << c.what;
    }
    CloseHandle(event);
    CloseHandle(mutex);
}

// ---------------------------------------------------------------------------
// Named objects

TEST(NamedSync, SecondCreateJoinsTheExistingObjectAndSaysSo)
{
    std::string event_name = unique_name("joined_event");
    SetLastError(ERROR_INVALID_FUNCTION);
    HANDLE first = CreateEvent(nullptr, TRUE, FALSE, event_name.c_str());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE second = CreateEvent(nullptr, FALSE, TRUE, event_name.c_str());
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(first, second);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_TIMEOUT) << "the second call's initial state is not applied";
    SetEvent(first);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(second, 0), WAIT_OBJECT_0) << "still manual-reset, as first created";

    std::string mutex_name = unique_name("joined_mutex");
    HANDLE owner = CreateMutex(nullptr, TRUE, mutex_name.c_str());
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    auto [joined, error, released] = on_other_thread([&] {
        HANDLE h = CreateMutex(nullptr, TRUE, mutex_name.c_str());
        DWORD e = GetLastError();
        BOOL r = ReleaseMutex(h);  // initial ownership is not given to a joiner
        CloseHandle(h);
        return std::tuple{h != nullptr, e, r};
    });
    EXPECT_TRUE(joined);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(released);
    EXPECT_TRUE(ReleaseMutex(owner));
    for (HANDLE h : {first, second, owner})
        CloseHandle(h);
}

TEST(NamedSync, OpenFindsOnlyLiveObjects)
{
    std::string name = unique_name("live");
    SetLastError(0);
    EXPECT_EQ(OpenMutex(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    HANDLE created = CreateMutex(nullptr, FALSE, name.c_str());
    ASSERT_NE(created, nullptr);
    HANDLE opened = OpenMutex(MUTEX_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_EQ(WaitForSingleObject(opened, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ReleaseMutex(created)) << "ownership is per thread, not per handle";

    CloseHandle(created);
    HANDLE still = OpenMutex(SYNCHRONIZE, FALSE, name.c_str());
    EXPECT_NE(still, nullptr) << "one handle keeps the name";
    CloseHandle(still);
    CloseHandle(opened);
    EXPECT_EQ(OpenMutex(SYNCHRONIZE, FALSE, name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(std::filesystem::exists(helm::kernel::station_object_path("object", name)))
        << "the last holder leaves no file behind";

    HANDLE again = CreateMutex(nullptr, FALSE, name.c_str());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "made anew";
    CloseHandle(again);
}

TEST(NamedSync, OpenEventSharesTheState)
{
    std::string name = unique_name("opened_event");
    HANDLE created = CreateEvent(nullptr, FALSE, FALSE, name.c_str());
    HANDLE opened = OpenEvent(EVENT_ALL_ACCESS, FALSE, name.c_str());
    ASSERT_TRUE(created && opened);
    auto waiter = std::async(std::launch::async, [&] { return WaitForSingleObject(created, 10000); });
    std::this_thread::sleep_for(20ms);
    SetEvent(opened);
    EXPECT_EQ(waiter.get(), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(opened, 0), WAIT_TIMEOUT) << "the waiter took the auto-reset signal";
    CloseHandle(created);
    CloseHandle(opened);
}

// Names are case-sensitive; odd bytes are escaped, never path syntax;
// "Global\" and "Local\" name the one station name space.
TEST(NamedSync, NamesAreKeptApartExactly)
{
    const char* distinct[] = {"Port", "port", "a/b", "a%2fb", "a.b", "..", "a\\b", "x y", "\xE9t\xE9"};
    std::vector<HANDLE> handles;
    for (const char* name : distinct) {
        HANDLE h = CreateMutex(nullptr, FALSE, name);
        ASSERT_NE(h, nullptr) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << name << " met another name's object";
        handles.push_back(h);
    }
    for (const char* alias : {"Global\\Port", "Local\\Port"}) {
        HANDLE h = OpenMutex(SYNCHRONIZE, FALSE, alias);
        EXPECT_NE(h, nullptr) << alias;
        CloseHandle(h);
    }
    for (HANDLE h : handles)
        CloseHandle(h);
}

TEST(NamedSync, LongNamesWorkUpToMaxPath)
{
    std::string long_a(MAX_PATH, '%');  // escapes to three times its length
    std::string long_b = long_a;
    long_b.back() = '#';
    HANDLE a = CreateEvent(nullptr, TRUE, FALSE, long_a.c_str());
    HANDLE b = CreateEvent(nullptr, TRUE, FALSE, long_b.c_str());
    ASSERT_TRUE(a && b);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "names differing at the end are different objects";
    HANDLE a_again = OpenEvent(SYNCHRONIZE, FALSE, long_a.c_str());
    ASSERT_NE(a_again, nullptr);
    SetEvent(a);
    EXPECT_EQ(WaitForSingleObject(a_again, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_TIMEOUT);

    std::string too_long(MAX_PATH + 1, 'n');
    EXPECT_EQ(CreateEvent(nullptr, TRUE, FALSE, too_long.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    for (HANDLE h : {a, b, a_again})
        CloseHandle(h);
}

TEST(NamedSync, OpenWithoutANameIsRefused)
{
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        EXPECT_EQ(OpenMutex(SYNCHRONIZE, FALSE, name), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(OpenEvent(SYNCHRONIZE, FALSE, name), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    }
}

// The mutex sits on its owner's robust list until the owner ends, even when
// the owner closed the handle it took the mutex through.
TEST(NamedSync, OwnerThatClosedItsHandleStillAbandonsTheMutex)
{
    std::string name = unique_name("closed_by_owner");
    HANDLE kept = CreateMutex(nullptr, FALSE, name.c_str());
    ASSERT_NE(kept, nullptr);
    on_other_thread([&] {
        HANDLE own = OpenMutex(SYNCHRONIZE, FALSE, name.c_str());
        DWORD r = WaitForSingleObject(own, 0);
        CloseHandle(own);
        return r;
    });
    EXPECT_EQ(WaitForSingleObject(kept, 1000), WAIT_ABANDONED);
    ReleaseMutex(kept);
    CloseHandle(kept);

    // The same with no other handle left: nothing to wake, nothing to break.
    on_other_thread([] {
        HANDLE alone = CreateMutex(nullptr, TRUE, nullptr);
        return CloseHandle(alone);
    });
}

}  // namespace
