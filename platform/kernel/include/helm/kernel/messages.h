// Thread message queues: posting, getting and peeking, the quit message,
// and waiting for posted messages.
#pragma once

#include <functional>

#include "helm/kernel/types.h"

#define PM_NOREMOVE 0x0000u
#define PM_REMOVE 0x0001u
#define PM_NOYIELD 0x0002u

#define QS_KEY 0x0001u
#define QS_MOUSEMOVE 0x0002u
#define QS_MOUSEBUTTON 0x0004u
#define QS_POSTMESSAGE 0x0008u
#define QS_TIMER 0x0010u
#define QS_PAINT 0x0020u
#define QS_SENDMESSAGE 0x0040u
#define QS_HOTKEY 0x0080u
#define QS_ALLPOSTMESSAGE 0x0100u
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE)

// Posts to a thread of this process or of another process of the station.
// Fails (ERROR_INVALID_THREAD_ID) when the thread has ended or has no queue,
// and (ERROR_NOT_ENOUGH_QUOTA) when its queue is full.
BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
// Waits for a message; returns 0 for WM_QUIT, -1 on a bad argument, else
// non-zero. `window` null takes every message of the thread, (HWND)-1 only
// thread messages. A non-zero range [first, last] filters by message number.
BOOL GetMessage(LPMSG msg, HWND window, UINT first, UINT last);
BOOL PeekMessage(LPMSG msg, HWND window, UINT first, UINT last, UINT removeFlags);
void PostQuitMessage(int exitCode);
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask);
DWORD GetQueueStatus(UINT flags);
DWORD GetMessageTime();

// The most messages one queue holds, as on Windows; a post beyond fails.
#define HELM_QUEUE_LIMIT 10000

namespace helm::kernel {

// Delivery to threads of other processes, provided by the station layer.
class RemoteDelivery {
public:
    virtual ~RemoteDelivery() = default;
    // Posts to a thread that is not in this process.
    virtual BOOL post_thread_message(DWORD threadId, const MSG& msg) = 0;
    // Called once, when this process's first message queue comes to be, so
    // that other processes can reach it from then on.
    virtual void first_queue_created() = 0;
};
void set_remote_delivery(RemoteDelivery* delivery);

// Puts a message at the end of a local thread's queue (used by the station
// when a remote post arrives).
enum class LocalPost { delivered, no_queue, full };
LocalPost post_to_local_thread(DWORD threadId, const MSG& msg);
// Puts mouse or keyboard input at the end of a local thread's input, which
// its message functions serve after the posted messages and before the
// quit request, as Windows serves its input queue. Each input is routed
// (InputRouter) when the thread comes to it. A mouse move replaces one
// still waiting last for the same window and buttons. Input another
// thread routed here comes `routed` already.
LocalPost post_input_to_local_thread(DWORD threadId, const MSG& msg, bool routed = false);

// Turns input as it was handed in into the message the thread gets, as
// Windows does when a thread takes input: the window under the mouse or
// with the focus at that moment; supplied by the window layer. Called on
// the queue's own thread, never holding a queue's lock, once for each
// input when the thread first comes to it. False drops the input (no
// window takes it here, or it went on to another thread's input).
class InputRouter {
public:
    virtual ~InputRouter() = default;
    virtual bool route(MSG* msg) = 0;
};
void set_input_router(InputRouter* router);

// Runs `work` on the given local thread the next time it gets, peeks or
// waits for messages, before any posted message, as Windows does with sent
// messages. False when the thread has no queue.
bool queue_sent_work(DWORD threadId, std::function<void()> work);

// Messages a queue makes up when nothing is posted (WM_PAINT, WM_TIMER),
// supplied by the window layer. The kernel asks after the posted messages and
// the quit request, never holding a queue's lock, always on the queue's own
// thread.
class GeneratedMessages {
public:
    virtual ~GeneratedMessages() = default;
    // Fills *msg with the calling thread's next generated message that passes
    // the filter (the same filter as GetMessage), taking it when `remove`.
    virtual bool take(LPMSG msg, HWND window, UINT first, UINT last, bool remove) = 0;
    // The QS_PAINT and QS_TIMER bits of what the calling thread has ready now.
    virtual DWORD ready() = 0;
    // The steady-clock time (steady_ms) the calling thread's next timer that
    // passes the filter is due, UINT64_MAX for none: message waits wake then.
    virtual uint64_t next_due(HWND window, UINT first, UINT last) = 0;
};
void set_generated_messages(GeneratedMessages* source);
// Makes a local thread that waits for messages look again at its generated
// ones (a window of it was invalidated, a timer of it was set).
void wake_thread(DWORD threadId);
// Drops the messages posted to `window` still in a local thread's queue (the
// window was destroyed).
void discard_window_messages(DWORD threadId, HWND window);

// Gives the calling thread a queue now (the window layer calls this when a
// thread creates its first window).
void ensure_current_queue();

}  // namespace helm::kernel
