// Threads: start with a parameter, system-wide thread ids, exit codes.
#pragma once

#include "helm/kernel/types.h"

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID parameter);

#define CREATE_SUSPENDED 0x00000004u
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15

// Starts `start(parameter)` on a new thread, which has its message queue
// from the first instruction on. The thread's id (unique in the whole
// system while it runs) is stored in *threadId when given.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId);
DWORD ResumeThread(HANDLE thread);
void ExitThread(DWORD exitCode);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
HANDLE GetCurrentThread();
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();
void Sleep(DWORD milliseconds);
BOOL SwitchToThread();

namespace helm::kernel {
// True when a thread of this process with that id is running.
bool is_local_thread(DWORD threadId);
}  // namespace helm::kernel
