#include "helm/kernel/messages.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <unordered_map>

#include "helm/kernel/clock.h"
#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"
#include "queue.h"
#include "wait_internal.h"


namespace helm::kernel {
namespace {

struct Registry {
    std::mutex mutex;
    std::unordered_map<DWORD, std::shared_ptr<MessageQueue>> queues;
    RemoteDelivery* remote = nullptr;
    bool any_queue = false;
    bool announced = false;
};

Registry& registry()
{
    static auto* instance = new Registry;  // outlives threads still running at exit
    return *instance;
}

std::shared_ptr<MessageQueue> find_queue(DWORD threadId)
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.queues.find(threadId);
    return it == r.queues.end() ? nullptr : it->second;
}

// Retires the queue of a thread that ends without the kernel's knowing (a
// thread not started through CreateThread).
struct QueueOwner {
    std::shared_ptr<MessageQueue> queue;
    ~QueueOwner()
    {
        if (queue)
            retire_current_queue();
    }
};
thread_local QueueOwner t_owner;

void announce_if_needed()
{
    Registry& r = registry();
    RemoteDelivery* remote = nullptr;
    {
        std::lock_guard lock(r.mutex);
        if (r.announced || !r.any_queue || !r.remote)
            return;
        r.announced = true;
        remote = r.remote;
    }
    remote->first_queue_created();
}

enum class Push { ok, no_queue, full };

Push push(const std::shared_ptr<MessageQueue>& queue, const MSG& msg)
{
    bool ring_wake;
    {
        std::lock_guard lock(queue->mutex);
        if (queue->retired)
            return Push::no_queue;
        if (queue->posted.size() >= HELM_QUEUE_LIMIT)
            return Push::full;
        queue->posted.push_back(msg);
        queue->posted_new = true;
        ring_wake = queue->in_object_wait;
    }
    queue->changed.notify_all();
    if (ring_wake)
        notify_waiters();
    return Push::ok;
}

bool in_range(UINT message, UINT first, UINT last)
{
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool matches(const MSG& msg, HWND window, UINT first, UINT last)
{
    if (!in_range(msg.message, first, last))
        return false;
    if (window == nullptr)
        return true;
    if (window == reinterpret_cast<HWND>(static_cast<intptr_t>(-1)))
        return msg.hwnd == nullptr;
    return msg.hwnd == window;
}

// Runs the work other threads sent to this one, outside the queue's lock.
void run_sent(MessageQueue& queue)
{
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(queue.mutex);
            if (queue.sent.empty())
                return;
            work = std::move(queue.sent.front());
            queue.sent.pop_front();
        }
        work();
    }
}

// Looks for a message under the queue's lock: posted ones first, then the
// quit request. Returns true with *msg filled.
bool take_locked(MessageQueue& queue, LPMSG msg, HWND window, UINT first, UINT last, bool remove)
{
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (matches(*it, window, first, last)) {
            *msg = *it;
            if (remove)
                queue.posted.erase(it);
            queue.last_message_time = msg->time;
            return true;
        }
    }
    if (queue.quit) {
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(queue.quit_code);
        msg->time = GetTickCount();
        if (remove)
            queue.quit = false;
        return true;
    }
    return false;
}

}  // namespace

std::shared_ptr<MessageQueue> current_queue()
{
    if (t_owner.queue)
        return t_owner.queue;
    auto queue = std::make_shared<MessageQueue>();
    queue->thread_id = GetCurrentThreadId();
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        r.queues[queue->thread_id] = queue;
        r.any_queue = true;
    }
    t_owner.queue = queue;
    announce_if_needed();
    return queue;
}

void retire_current_queue()
{
    auto queue = std::move(t_owner.queue);
    if (!queue)
        return;
    {
        std::lock_guard lock(queue->mutex);
        queue->retired = true;
        queue->posted.clear();
    }
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    auto it = r.queues.find(queue->thread_id);
    if (it != r.queues.end() && it->second == queue)
        r.queues.erase(it);
}

void set_remote_delivery(RemoteDelivery* delivery)
{
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        r.remote = delivery;
    }
    announce_if_needed();
}

bool post_to_local_thread(DWORD threadId, const MSG& msg)
{
    auto queue = find_queue(threadId);
    return queue && push(queue, msg) == Push::ok;
}

bool queue_sent_work(DWORD threadId, std::function<void()> work)
{
    auto queue = find_queue(threadId);
    if (!queue)
        return false;
    bool ring_wake;
    {
        std::lock_guard lock(queue->mutex);
        if (queue->retired)
            return false;
        queue->sent.push_back(std::move(work));
        ring_wake = queue->in_object_wait;
    }
    queue->changed.notify_all();
    if (ring_wake)
        notify_waiters();
    return true;
}

void ensure_current_queue() { current_queue(); }

}  // namespace helm::kernel

using namespace helm::kernel;

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    if (auto queue = find_queue(threadId)) {
        switch (push(queue, msg)) {
        case Push::ok: return TRUE;
        case Push::full: SetLastError(ERROR_NOT_ENOUGH_QUOTA); return FALSE;
        case Push::no_queue: SetLastError(ERROR_INVALID_THREAD_ID); return FALSE;
        }
    }
    RemoteDelivery* remote;
    {
        Registry& r = registry();
        std::lock_guard lock(r.mutex);
        remote = r.remote;
    }
    if (threadId == 0 || is_local_thread(threadId) || !remote) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    return remote->post_thread_message(threadId, msg);
}

BOOL GetMessage(LPMSG msg, HWND window, UINT first, UINT last)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    auto queue = current_queue();
    for (;;) {
        run_sent(*queue);
        std::unique_lock lock(queue->mutex);
        queue->posted_new = false;
        if (take_locked(*queue, msg, window, first, last, true))
            return msg->message == WM_QUIT ? FALSE : TRUE;
        queue->changed.wait(lock, [&] {
            return !queue->sent.empty() || queue->posted_new || queue->quit;
        });
    }
}

BOOL PeekMessage(LPMSG msg, HWND window, UINT first, UINT last, UINT removeFlags)
{
    if (!msg) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto queue = current_queue();
    run_sent(*queue);
    std::lock_guard lock(queue->mutex);
    queue->posted_new = false;
    return take_locked(*queue, msg, window, first, last, (removeFlags & PM_REMOVE) != 0) ? TRUE : FALSE;
}

void PostQuitMessage(int exitCode)
{
    auto queue = current_queue();
    {
        std::lock_guard lock(queue->mutex);
        queue->quit = true;
        queue->quit_code = exitCode;
    }
    queue->changed.notify_all();
}

// Sent work is carried out while waiting, whatever the mask, so that a
// thread waiting here never blocks a sender.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds, DWORD wakeMask)
{
    auto queue = current_queue();
    const bool wants_posted = (wakeMask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) != 0;
    auto posted_arrived = [&] {
        run_sent(*queue);
        std::lock_guard lock(queue->mutex);
        return wants_posted && (queue->posted_new || queue->quit);
    };
    if (count == 0) {
        uint64_t deadline = deadline_after(milliseconds);
        for (;;) {
            if (posted_arrived())
                return WAIT_OBJECT_0;
            std::unique_lock lock(queue->mutex);
            auto woken = [&] { return !queue->sent.empty() || (wants_posted && (queue->posted_new || queue->quit)); };
            if (deadline == UINT64_MAX) {
                queue->changed.wait(lock, woken);
            } else {
                uint64_t now = steady_ms();
                if (now >= deadline)
                    return WAIT_TIMEOUT;
                queue->changed.wait_for(lock, std::chrono::milliseconds(deadline - now), woken);
            }
        }
    }
    {
        std::lock_guard lock(queue->mutex);
        queue->in_object_wait = true;
    }
    DWORD result = wait_for_objects(count, handles, waitAll, milliseconds, posted_arrived);
    {
        std::lock_guard lock(queue->mutex);
        queue->in_object_wait = false;
    }
    return result;
}

DWORD GetQueueStatus(UINT flags)
{
    auto queue = current_queue();
    std::lock_guard lock(queue->mutex);
    DWORD now = 0;
    DWORD fresh = 0;
    if (!queue->posted.empty() || queue->quit)
        now |= QS_POSTMESSAGE;
    if (!queue->sent.empty())
        now |= QS_SENDMESSAGE;
    if (queue->posted_new)
        fresh |= QS_POSTMESSAGE;
    queue->posted_new = false;
    return ((fresh & flags) << 16) | (now & flags);
}

DWORD GetMessageTime()
{
    auto queue = current_queue();
    std::lock_guard lock(queue->mutex);
    return queue->last_message_time;
}
