#include "helm/kernel/objects.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "helm/kernel/error.h"
#include "wait_internal.h"

namespace helm::kernel {
namespace {

// Handles are multiples of 4 from 4 up, as on Windows; numbers are not
// reused until the counter has gone round, so a stale handle rarely meets a
// new object.
class HandleTable {
public:
    HANDLE insert(std::shared_ptr<KernelObject> object)
    {
        std::lock_guard lock(m_mutex);
        if (m_objects.size() >= kMaxHandles)
            return nullptr;
        for (;;) {
            m_next = (m_next + 4) & 0x7FFFFFFCu;
            if (m_next == 0)
                m_next = 4;
            if (!m_objects.contains(m_next))
                break;
        }
        m_objects.emplace(m_next, std::move(object));
        return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(m_next));
    }

    std::shared_ptr<KernelObject> find(HANDLE handle)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(key(handle));
        return it == m_objects.end() ? nullptr : it->second;
    }

    // The object leaves the table here but is destroyed by the caller,
    // outside the lock, since a destructor may close other handles.
    std::shared_ptr<KernelObject> remove(HANDLE handle)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_objects.find(key(handle));
        if (it == m_objects.end())
            return nullptr;
        auto object = std::move(it->second);
        m_objects.erase(it);
        return object;
    }

private:
    static constexpr size_t kMaxHandles = 1 << 20;

    static uint32_t key(HANDLE handle)
    {
        uintptr_t value = reinterpret_cast<uintptr_t>(handle);
        return value > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(value);
    }

    std::mutex m_mutex;
    std::unordered_map<uint32_t, std::shared_ptr<KernelObject>> m_objects;
    uint32_t m_next = 0;
};

HandleTable& table()
{
    static auto* instance = new HandleTable;  // outlives every static destructor
    return *instance;
}

struct Wake {
    std::mutex mutex;
    std::condition_variable changed;
    uint64_t generation = 0;
};

Wake& wake()
{
    static auto* instance = new Wake;
    return *instance;
}

// How often a multiple wait looks again at objects whose state can change in
// another process, which cannot wake this one.
constexpr uint64_t kForeignPollMs = 2;

}  // namespace

DWORD KernelObject::wait(DWORD milliseconds)
{
    uint64_t deadline = deadline_after(milliseconds);
    for (;;) {
        uint64_t generation = wake_generation();
        DWORD result = try_wait();
        if (result != WAIT_TIMEOUT)
            return result;
        uint64_t until = deadline;
        if (changes_elsewhere())
            until = std::min(until, steady_ms() + kForeignPollMs);
        if (!wait_for_wake(generation, until) && steady_ms() >= deadline)
            return WAIT_TIMEOUT;
    }
}

HANDLE insert_handle(std::shared_ptr<KernelObject> object)
{
    if (!object) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE handle = table().insert(std::move(object));
    if (!handle)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return handle;
}

std::shared_ptr<KernelObject> lookup_handle(HANDLE handle)
{
    auto object = table().find(handle);
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

void notify_waiters()
{
    Wake& w = wake();
    {
        std::lock_guard lock(w.mutex);
        ++w.generation;
    }
    w.changed.notify_all();
}

uint64_t wake_generation()
{
    Wake& w = wake();
    std::lock_guard lock(w.mutex);
    return w.generation;
}

bool wait_for_wake(uint64_t generation, uint64_t deadline_ms)
{
    Wake& w = wake();
    std::unique_lock lock(w.mutex);
    auto changed = [&] { return w.generation != generation; };
    if (deadline_ms == UINT64_MAX) {
        w.changed.wait(lock, changed);
        return true;
    }
    uint64_t now = steady_ms();
    if (now >= deadline_ms)
        return changed();
    return w.changed.wait_for(lock, std::chrono::milliseconds(deadline_ms - now), changed);
}

uint64_t steady_ms()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t deadline_after(DWORD milliseconds)
{
    return milliseconds == INFINITE ? UINT64_MAX : steady_ms() + milliseconds;
}

// Waits for one object (or all) of a set on the process-wide wake-up. Used by
// WaitForMultipleObjects and, with the thread's queue as an extra condition,
// by MsgWaitForMultipleObjects.
DWORD wait_for_objects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                       const std::function<bool()>& extra)
{
    if (count > MAXIMUM_WAIT_OBJECTS || (count > 0 && !handles)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<KernelObject>> objects;
    bool foreign = false;
    for (DWORD i = 0; i < count; ++i) {
        auto object = lookup_handle(handles[i]);
        if (!object || !object->waitable()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        foreign = foreign || object->changes_elsewhere();
        objects.push_back(std::move(object));
    }
    uint64_t deadline = deadline_after(milliseconds);
    if (waitAll && count > 0) {
        // One object after the other: not atomic as on Windows, which nothing
        // in the suite relies on.
        bool abandoned = false;
        for (auto& object : objects) {
            uint64_t now = steady_ms();
            DWORD left = deadline == UINT64_MAX ? INFINITE : static_cast<DWORD>(deadline > now ? deadline - now : 0);
            DWORD r = object->wait(left);
            if (r == WAIT_TIMEOUT || r == WAIT_FAILED)
                return r;
            abandoned = abandoned || r == WAIT_ABANDONED;
        }
        return abandoned ? WAIT_ABANDONED_0 : WAIT_OBJECT_0;
    }
    for (;;) {
        uint64_t generation = wake_generation();
        for (DWORD i = 0; i < count; ++i) {
            DWORD r = objects[i]->try_wait();
            if (r == WAIT_OBJECT_0)
                return WAIT_OBJECT_0 + i;
            if (r == WAIT_ABANDONED)
                return WAIT_ABANDONED_0 + i;
            if (r == WAIT_FAILED)
                return WAIT_FAILED;
        }
        if (extra && extra())
            return WAIT_OBJECT_0 + count;
        uint64_t until = deadline;
        if (foreign)
            until = std::min(until, steady_ms() + kForeignPollMs);
        if (!wait_for_wake(generation, until) && steady_ms() >= deadline)
            return WAIT_TIMEOUT;
    }
}

}  // namespace helm::kernel

BOOL CloseHandle(HANDLE handle)
{
    auto object = helm::kernel::table().remove(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    auto object = helm::kernel::lookup_handle(handle);
    if (!object || !object->waitable()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    return object->wait(milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return helm::kernel::wait_for_objects(count, handles, waitAll, milliseconds, {});
}
