// What /proc says about the system's threads and processes.
#pragma once

#include "helm/kernel/types.h"

namespace helm::station {

// The process a running thread belongs to, or 0 when no thread has that id
// or it has ended (a zombie). Thread ids are system-wide on Linux.
DWORD process_of_thread(DWORD threadId);
// Like process_of_thread, but remembers the answer until it is forgotten:
// when a send to that process fails (it has gone), or when that process
// says the thread is not one of its own any more. A second after the last
// check, the thread is checked to be still a task of that process.
DWORD process_of_thread_cached(DWORD threadId);
void forget_thread(DWORD threadId);
// Forgets the thread only while it is remembered in process `pid`.
void forget_thread_of(DWORD threadId, DWORD pid);

// This process's id, without a system call each time.
DWORD current_process_id();

// False once the process has exited: gone, a zombie not yet waited for, or
// on its way out (killed, or exiting as a whole, while some of its threads
// have not gone yet). A process whose main thread has ended while another
// thread runs is alive.
bool process_alive(DWORD pid);

}  // namespace helm::station
