// Synchronisation: critical sections within a process; events and mutexes,
// unnamed or named in the station. Events and mutexes are waited for with
// WaitForSingleObject and the multiple waits of objects.h, and closed with
// CloseHandle.
#pragma once

#include <pthread.h>

#include "helm/kernel/types.h"

#define MUTEX_MODIFY_STATE 0x0001u
#define MUTEX_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | MUTEX_MODIFY_STATE)
#define EVENT_MODIFY_STATE 0x0002u
#define EVENT_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | 0x0003u)

// Recursive, like the Windows one. Only the functions below touch it.
struct CRITICAL_SECTION {
    pthread_mutex_t mutex;
    DWORD spin_count;
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;
typedef CRITICAL_SECTION* PCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section, DWORD spinCount);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// A named event or mutex that already exists is returned with the last
// error ERROR_ALREADY_EXISTS (its state is left as it is); a name held by an
// object of another kind fails with ERROR_INVALID_HANDLE. Access masks are
// accepted and not enforced.
HANDLE CreateEvent(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
HANDLE OpenEvent(DWORD access, BOOL inheritHandle, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
#define CreateEventA CreateEvent
#define OpenEventA OpenEvent

// A mutex is owned by a thread, recursively. A wait gives WAIT_ABANDONED
// when the previous owner ended without releasing it; the waiter then owns
// it. OpenMutex fails with ERROR_FILE_NOT_FOUND unless a live process holds
// a mutex of that name.
HANDLE CreateMutex(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
HANDLE OpenMutex(DWORD access, BOOL inheritHandle, LPCSTR name);
// FALSE with ERROR_NOT_OWNER when the calling thread does not own it.
BOOL ReleaseMutex(HANDLE mutex);
#define CreateMutexA CreateMutex
#define OpenMutexA OpenMutex
