// Kernel objects behind HANDLE values: the per-process handle table, the
// generic waits, and the wake-up that lets one wait watch many objects.
#pragma once

#include <memory>

#include "helm/kernel/types.h"

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

#define MAXIMUM_WAIT_OBJECTS 64

namespace helm::kernel {

// A thread, event, mutex, file mapping or process. Objects that can be
// waited on override try_wait and wait.
class KernelObject {
public:
    virtual ~KernelObject() = default;

    // True for objects WaitForSingleObject accepts.
    virtual bool waitable() const { return false; }
    // Takes the object when it is signalled now (an auto-reset event is
    // reset, a mutex becomes owned): WAIT_OBJECT_0, WAIT_ABANDONED or
    // WAIT_TIMEOUT.
    virtual DWORD try_wait() { return WAIT_FAILED; }
    // Blocks up to `milliseconds` (INFINITE for ever). The default polls
    // try_wait on the process-wide wake-up, which suits objects whose state
    // changes only inside this process.
    virtual DWORD wait(DWORD milliseconds);
    // True when the object's state can change outside this process, so a
    // multiple wait must also look again from time to time.
    virtual bool changes_elsewhere() const { return false; }
};

// Registers an object and returns its new handle (a small number that fits
// in 32 bits), or null when the table is full.
HANDLE insert_handle(std::shared_ptr<KernelObject> object);
// The object behind a handle, or null (last error ERROR_INVALID_HANDLE).
std::shared_ptr<KernelObject> lookup_handle(HANDLE handle);

template <class T>
std::shared_ptr<T> lookup_handle_as(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(lookup_handle(handle));
}

// Every in-process state change that a waiter may be waiting for (an event
// set, a thread's end, a message posted) calls this once.
void notify_waiters();

// Blocks until notify_waiters has been called since `generation` was read
// from wake_generation(), or until the deadline (a steady-clock time in
// milliseconds, or UINT64_MAX for none). Returns false on time-out.
uint64_t wake_generation();
bool wait_for_wake(uint64_t generation, uint64_t deadline_ms);

// Steady milliseconds, and the deadline `milliseconds` from now (UINT64_MAX
// for INFINITE).
uint64_t steady_ms();
uint64_t deadline_after(DWORD milliseconds);

}  // namespace helm::kernel
