// What /proc says about the system's threads and processes.
#pragma once

#include "helm/kernel/types.h"

namespace helm::station {

// The process a running thread belongs to, or 0 when no thread has that id
// or it has ended (a zombie). Thread ids are system-wide on Linux.
DWORD process_of_thread(DWORD threadId);
// Like process_of_thread, but remembers the answer: within a millisecond of
// the last check it is taken as is, later only checked to be still a task
// of the remembered process.
DWORD process_of_thread_cached(DWORD threadId);
void forget_thread(DWORD threadId);

// This process's id, without a system call each time.
DWORD current_process_id();

// False once the process has exited (gone, or a zombie not yet waited for).
bool process_alive(DWORD pid);

}  // namespace helm::station
