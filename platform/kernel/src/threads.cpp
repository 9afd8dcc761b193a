#include "helm/kernel/threads.h"

#include <pthread.h>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "queue.h"

namespace helm::kernel {
namespace {

// A pseudo-handle meaning "the calling thread", as Windows' GetCurrentThread.
HANDLE const kCurrentThreadPseudo = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));

struct ThreadExit {
    DWORD code;
};

class ThreadObject : public KernelObject {
public:
    bool waitable() const override { return true; }
    DWORD try_wait() override
    {
        std::lock_guard lock(mutex);
        return finished ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
    DWORD wait(DWORD milliseconds) override
    {
        std::unique_lock lock(mutex);
        auto done = [&] { return finished; };
        if (milliseconds == INFINITE)
            ended.wait(lock, done);
        else if (!ended.wait_for(lock, std::chrono::milliseconds(milliseconds), done))
            return WAIT_TIMEOUT;
        return WAIT_OBJECT_0;
    }

    void finish(DWORD code)
    {
        {
            std::lock_guard lock(mutex);
            finished = true;
            exit_code = code;
        }
        ended.notify_all();
        notify_waiters();
    }

    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID parameter = nullptr;
    std::mutex mutex;
    std::condition_variable ended;
    std::condition_variable started;
    bool running = false;  // id known and queue created
    bool suspended = false;
    bool finished = false;
    DWORD exit_code = STILL_ACTIVE;
    DWORD id = 0;
    int priority = THREAD_PRIORITY_NORMAL;
};

void* thread_main(void* arg)
{
    // The thread keeps its own reference, so the object outlives a caller
    // that closes its handle at once.
    std::shared_ptr<ThreadObject> self(*static_cast<std::shared_ptr<ThreadObject>*>(arg));
    delete static_cast<std::shared_ptr<ThreadObject>*>(arg);
    current_queue();
    {
        std::unique_lock lock(self->mutex);
        self->id = GetCurrentThreadId();
        self->running = true;
        self->started.notify_all();
        self->started.wait(lock, [&] { return !self->suspended; });
    }
    DWORD code = 0;
    try {
        code = self->start(self->parameter);
    } catch (const ThreadExit& exit) {
        code = exit.code;
    }
    retire_current_queue();
    self->finish(code);
    return nullptr;
}

std::shared_ptr<ThreadObject> thread_object(HANDLE handle)
{
    auto object = lookup_handle_as<ThreadObject>(handle);
    if (!object)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

}  // namespace

bool is_local_thread(DWORD threadId)
{
    if (threadId == 0)
        return false;
    // Signal 0 only asks whether the thread exists in this process.
    return syscall(SYS_tgkill, getpid(), static_cast<pid_t>(threadId), 0) == 0;
}

}  // namespace helm::kernel

using namespace helm::kernel;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId)
{
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto object = std::make_shared<ThreadObject>();
    object->start = start;
    object->parameter = parameter;
    object->suspended = (creationFlags & CREATE_SUSPENDED) != 0;

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    if (stackSize > 0)
        pthread_attr_setstacksize(&attr, std::max<SIZE_T>(stackSize, PTHREAD_STACK_MIN));
    pthread_t thread;
    auto* arg = new std::shared_ptr<ThreadObject>(object);
    int err = pthread_create(&thread, &attr, thread_main, arg);
    pthread_attr_destroy(&attr);
    if (err != 0) {
        delete arg;
        SetLastError(error_from_errno(err));
        return nullptr;
    }
    {
        std::unique_lock lock(object->mutex);
        object->started.wait(lock, [&] { return object->running; });
    }
    if (threadId)
        *threadId = object->id;
    HANDLE handle = insert_handle(object);
    if (!handle) {
        // The thread runs on; only the handle is missing.
        return nullptr;
    }
    return handle;
}

DWORD ResumeThread(HANDLE thread)
{
    auto object = thread_object(thread);
    if (!object)
        return static_cast<DWORD>(-1);
    std::lock_guard lock(object->mutex);
    DWORD previous = object->suspended ? 1 : 0;
    object->suspended = false;
    object->started.notify_all();
    return previous;
}

void ExitThread(DWORD exitCode) { throw ThreadExit{exitCode}; }

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode)
{
    auto object = thread_object(thread);
    if (!object || !exitCode)
        return FALSE;
    std::lock_guard lock(object->mutex);
    *exitCode = object->exit_code;
    return TRUE;
}

// Priorities are kept for GetThreadPriority but not applied: raising them
// needs privileges that an operator's session does not have.
BOOL SetThreadPriority(HANDLE thread, int priority)
{
    if (thread == kCurrentThreadPseudo)
        return TRUE;
    auto object = thread_object(thread);
    if (!object)
        return FALSE;
    std::lock_guard lock(object->mutex);
    object->priority = priority;
    return TRUE;
}

int GetThreadPriority(HANDLE thread)
{
    if (thread == kCurrentThreadPseudo)
        return THREAD_PRIORITY_NORMAL;
    auto object = thread_object(thread);
    if (!object)
        return 0x7FFFFFFF;  // THREAD_PRIORITY_ERROR_RETURN
    std::lock_guard lock(object->mutex);
    return object->priority;
}

HANDLE GetCurrentThread() { return kCurrentThreadPseudo; }

namespace {

// The calling thread's id, asked of the system once per thread. The one
// thread of a forked child has an id of its own.
thread_local DWORD t_thread_id = 0;
[[maybe_unused]] const int g_forget_id_in_child = pthread_atfork(nullptr, nullptr, [] { t_thread_id = 0; });

}  // namespace

DWORD GetCurrentThreadId()
{
    if (t_thread_id == 0)
        t_thread_id = static_cast<DWORD>(gettid());
    return t_thread_id;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;)
            pause();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

BOOL SwitchToThread() { return sched_yield() == 0; }
