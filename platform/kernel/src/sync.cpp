#include "helm/kernel/sync.h"

#include <linux/futex.h>
#include <signal.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <new>

#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"
#include "named_object.h"

// ---------------------------------------------------------------------------
// Critical sections

void InitializeCriticalSection(LPCRITICAL_SECTION section) { InitializeCriticalSectionAndSpinCount(section, 0); }

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&section->mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    section->spin_count = spinCount;
    return TRUE;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_lock(&section->mutex); }

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) { return pthread_mutex_trylock(&section->mutex) == 0; }

void LeaveCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_unlock(&section->mutex); }

void DeleteCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_destroy(&section->mutex); }

namespace helm::kernel {
namespace {

pid_t current_tid() { return static_cast<pid_t>(GetCurrentThreadId()); }

timespec monotonic_deadline(DWORD milliseconds)
{
    timespec at {};
    clock_gettime(CLOCK_MONOTONIC, &at);
    at.tv_sec += milliseconds / 1000;
    at.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000L;
    if (at.tv_nsec >= 1000000000L) {
        at.tv_sec += 1;
        at.tv_nsec -= 1000000000L;
    }
    return at;
}

// ---------------------------------------------------------------------------
// Events: a state word and a wake-up sequence, waited on with a futex. There
// is no lock, so a waiter that dies in the middle of a wait leaves nothing
// behind (a process-shared condition variable would keep its count).

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) && std::atomic<uint32_t>::is_always_lock_free);

struct EventState {
    std::atomic<uint32_t> signalled;
    std::atomic<uint32_t> sequence;  // the futex word; bumped by every SetEvent
    uint32_t manual_reset;
};

class EventObject : public KernelObject {
public:
    explicit EventObject(std::shared_ptr<ObjectFile> file)
        : m_file(std::move(file)), m_state(m_file->state<EventState>()), m_manual(m_state->manual_reset != 0)
    {
    }

    bool waitable() const override { return true; }
    bool changes_elsewhere() const override { return m_file->named(); }

    DWORD try_wait() override { return take() ? WAIT_OBJECT_0 : WAIT_TIMEOUT; }

    DWORD wait(DWORD milliseconds) override
    {
        timespec deadline = monotonic_deadline(milliseconds == INFINITE ? 0 : milliseconds);
        for (;;) {
            uint32_t seen = m_state->sequence.load();
            if (take())
                return WAIT_OBJECT_0;
            if (milliseconds == 0)
                return WAIT_TIMEOUT;
            long r = syscall(SYS_futex, reinterpret_cast<uint32_t*>(&m_state->sequence), FUTEX_WAIT_BITSET, seen,
                             milliseconds == INFINITE ? nullptr : &deadline, nullptr, FUTEX_BITSET_MATCH_ANY);
            if (r != 0 && errno == ETIMEDOUT)
                return take() ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
        }
    }

    void set()
    {
        m_state->signalled.store(1);
        m_state->sequence.fetch_add(1);
        syscall(SYS_futex, reinterpret_cast<uint32_t*>(&m_state->sequence), FUTEX_WAKE, INT_MAX, nullptr, nullptr, 0);
        notify_waiters();
    }

    void reset()
    {
        m_state->signalled.store(0);
        notify_waiters();
    }

private:
    bool take()
    {
        if (m_manual)
            return m_state->signalled.load() != 0;
        uint32_t expected = 1;
        return m_state->signalled.compare_exchange_strong(expected, 0);
    }

    std::shared_ptr<ObjectFile> m_file;
    EventState* m_state;
    bool m_manual;
};

// ---------------------------------------------------------------------------
// Mutexes: a robust, recursive, process-shared pthread mutex. The kernel
// marks it when its owner ends, which the next locker sees as EOWNERDEAD.
// `owner` and `depth` mirror the pthread ownership for ReleaseMutex and for
// closing a handle while owning the mutex; they are written by the owner only.

struct MutexState {
    pthread_mutex_t mutex;
    std::atomic<pid_t> owner;
    uint32_t depth;
};

void initialise_mutex(MutexState& state, bool owned)
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
    pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
    pthread_mutex_init(&state.mutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
    new (&state.owner) std::atomic<pid_t>(0);
    state.depth = 0;
    if (owned && pthread_mutex_lock(&state.mutex) == 0) {
        state.owner.store(current_tid());
        state.depth = 1;
    }
}

class MutexObject : public KernelObject {
public:
    explicit MutexObject(std::shared_ptr<ObjectFile> file)
        : m_file(std::move(file)), m_state(m_file->state<MutexState>())
    {
    }

    ~MutexObject() override
    {
        pid_t owner = m_state->owner.load();
        if (owner != 0 && syscall(SYS_tgkill, getpid(), owner, 0) == 0)
            m_file->keep_header_mapped();
    }

    bool waitable() const override { return true; }
    bool changes_elsewhere() const override { return m_file->named(); }

    DWORD try_wait() override { return acquired(pthread_mutex_trylock(&m_state->mutex)); }

    DWORD wait(DWORD milliseconds) override
    {
        if (milliseconds == 0)
            return try_wait();
        if (milliseconds == INFINITE)
            return acquired(pthread_mutex_lock(&m_state->mutex));
        timespec deadline = monotonic_deadline(milliseconds);
        return acquired(pthread_mutex_clocklock(&m_state->mutex, CLOCK_MONOTONIC, &deadline));
    }

    BOOL release()
    {
        pid_t self = current_tid();
        if (m_state->owner.load() != self) {
            SetLastError(ERROR_NOT_OWNER);
            return FALSE;
        }
        if (m_state->depth > 1) {
            if (pthread_mutex_unlock(&m_state->mutex) != 0) {
                SetLastError(ERROR_NOT_OWNER);
                return FALSE;
            }
            --m_state->depth;
            return TRUE;
        }
        m_state->depth = 0;
        m_state->owner.store(0);
        // Fails only when `owner` was left by a dead thread whose id has come
        // round again; the next locker then finds the mutex abandoned.
        if (pthread_mutex_unlock(&m_state->mutex) != 0) {
            SetLastError(ERROR_NOT_OWNER);
            return FALSE;
        }
        notify_waiters();
        return TRUE;
    }

private:
    DWORD acquired(int rc)
    {
        switch (rc) {
        case 0:
            if (m_state->owner.load() == current_tid()) {
                ++m_state->depth;
            } else {
                m_state->owner.store(current_tid());
                m_state->depth = 1;
            }
            return WAIT_OBJECT_0;
        case EOWNERDEAD:
            pthread_mutex_consistent(&m_state->mutex);
            m_state->owner.store(current_tid());
            m_state->depth = 1;
            return WAIT_ABANDONED;
        case EBUSY:
        case ETIMEDOUT:
            return WAIT_TIMEOUT;
        case EAGAIN:
            SetLastError(ERROR_TOO_MANY_POSTS);  // recursion count exhausted
            return WAIT_FAILED;
        default:
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }

    std::shared_ptr<ObjectFile> m_file;
    MutexState* m_state;
};

// Registers the object of a create or open call, keeping the last error the
// call must report.
HANDLE hand_out(std::shared_ptr<KernelObject> object, DWORD last_error)
{
    HANDLE handle = insert_handle(std::move(object));
    if (handle)
        SetLastError(last_error);
    return handle;
}

}  // namespace
}  // namespace helm::kernel

using helm::kernel::EventObject;
using helm::kernel::EventState;
using helm::kernel::MutexObject;
using helm::kernel::MutexState;
using helm::kernel::ObjectFile;
using helm::kernel::ObjectHeader;
using helm::kernel::ObjectKind;
using helm::kernel::ObjectSpec;

HANDLE CreateEvent(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    std::string_view object_name;
    if (!helm::kernel::normalise_object_name(name, &object_name))
        return nullptr;
    ObjectSpec spec(ObjectKind::event);
    spec.init = [&](ObjectHeader& header) {
        auto* state = reinterpret_cast<EventState*>(header.state);
        new (&state->signalled) std::atomic<uint32_t>(initialState ? 1 : 0);
        new (&state->sequence) std::atomic<uint32_t>(0);
        state->manual_reset = manualReset ? 1 : 0;
    };
    bool existed = false;
    auto file = ObjectFile::create(object_name, spec, &existed);
    if (!file)
        return nullptr;
    return helm::kernel::hand_out(std::make_shared<EventObject>(std::move(file)),
                                  existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
}

HANDLE OpenEvent(DWORD, BOOL, LPCSTR name)
{
    std::string_view object_name;
    if (!helm::kernel::normalise_object_name(name, &object_name))
        return nullptr;
    auto file = ObjectFile::open(object_name, ObjectKind::event);
    if (!file)
        return nullptr;
    return helm::kernel::hand_out(std::make_shared<EventObject>(std::move(file)), ERROR_SUCCESS);
}

BOOL SetEvent(HANDLE event)
{
    auto object = helm::kernel::lookup_handle_as<EventObject>(event);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->set();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    auto object = helm::kernel::lookup_handle_as<EventObject>(event);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->reset();
    return TRUE;
}

HANDLE CreateMutex(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name)
{
    std::string_view object_name;
    if (!helm::kernel::normalise_object_name(name, &object_name))
        return nullptr;
    ObjectSpec spec(ObjectKind::mutex);
    // Taken while the new object is still out of everyone else's reach. Only
    // the creator may own a mutex from the start.
    spec.init = [&](ObjectHeader& header) {
        helm::kernel::initialise_mutex(*reinterpret_cast<MutexState*>(header.state), initialOwner != FALSE);
    };
    bool existed = false;
    auto file = ObjectFile::create(object_name, spec, &existed);
    if (!file)
        return nullptr;
    return helm::kernel::hand_out(std::make_shared<MutexObject>(std::move(file)),
                                  existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
}

HANDLE OpenMutex(DWORD, BOOL, LPCSTR name)
{
    std::string_view object_name;
    if (!helm::kernel::normalise_object_name(name, &object_name))
        return nullptr;
    auto file = ObjectFile::open(object_name, ObjectKind::mutex);
    if (!file)
        return nullptr;
    return helm::kernel::hand_out(std::make_shared<MutexObject>(std::move(file)), ERROR_SUCCESS);
}

BOOL ReleaseMutex(HANDLE mutex)
{
    auto object = helm::kernel::lookup_handle_as<MutexObject>(mutex);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return object->release();
}
