#include "helm/kernel/messages.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <algorithm>
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

std::atomic<GeneratedMessages*> g_generated{nullptr};

GeneratedMessages* generated() { return g_generated.load(std::memory_order_acquire); }

// Waits on the queue's condition until `woken`, the deadline, or the time a
// generated message falls due, whichever comes first.
template <class Pred>
void wait_queue_until(MessageQueue& queue, std::unique_lock<std::mutex>& lock, uint64_t deadline, Pred woken)
{
    if (deadline == UINT64_MAX) {
        queue.changed.wait(lock, woken);
        return;
    }
    uint64_t now = steady_ms();
    if (now < deadline)
        queue.changed.wait_for(lock, std::chrono::milliseconds(deadline - now), woken);
}

using Push = LocalPost;

constexpr UINT key_first = 0x0100;   // WM_KEYDOWN
constexpr UINT key_last = 0x0109;    // the last keyboard message
constexpr UINT mouse_move = 0x0200;  // WM_MOUSEMOVE

// The wake bit a message sets: input by its kind, anything else posted.
DWORD wake_bit(const MSG& msg, bool input)
{
    if (!input)
        return QS_POSTMESSAGE;
    if (msg.message >= key_first && msg.message <= key_last)
        return QS_KEY;
    return msg.message == mouse_move ? QS_MOUSEMOVE : QS_MOUSEBUTTON;
}

Push push(const std::shared_ptr<MessageQueue>& queue, const MSG& msg, bool input, bool routed = false)
{
    bool ring_wake;
    {
        std::lock_guard lock(queue->mutex);
        if (queue->retired)
            return Push::no_queue;
        const size_t waiting = input ? queue->input.size() : queue->posted.size();
        MessageQueue::Input* last_input = input && waiting > 0 ? &queue->input.back() : nullptr;
        // A mouse move replaces one still waiting at the end of the input,
        // as Windows coalesces them: a busy thread sees where the mouse is,
        // not every place it passed.
        if (last_input && msg.message == mouse_move && !last_input->routed &&
            last_input->msg.message == mouse_move && last_input->msg.hwnd == msg.hwnd &&
            last_input->msg.wParam == msg.wParam) {
            last_input->msg = msg;
        } else if (waiting >= HELM_QUEUE_LIMIT) {
            return Push::full;
        } else if (input) {
            queue->input.push_back({msg, queue->next_input_serial++, routed});
        } else {
            queue->posted.push_back(msg);
        }
        queue->fresh |= wake_bit(msg, input);
        ring_wake = queue->in_object_wait;
    }
    queue->changed.notify_all();
    if (ring_wake)
        notify_waiters();
    return Push::delivered;
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

std::atomic<InputRouter*> g_router{nullptr};

// Takes the first posted message that passes the filter, under the lock.
bool take_posted_locked(MessageQueue& queue, LPMSG msg, HWND window, UINT first, UINT last, bool remove)
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
    return false;
}

// Takes the first input that passes the filter. Each input is routed (by
// the window layer, without the lock held) when the thread first comes to
// it, so it goes where the focus and the windows are after everything
// before it was handled.
bool take_input(MessageQueue& queue, LPMSG msg, HWND window, UINT first, UINT last, bool remove)
{
    InputRouter* router = g_router.load(std::memory_order_acquire);
    for (size_t i = 0;; ++i) {
        MessageQueue::Input entry;
        {
            std::lock_guard lock(queue.mutex);
            if (i >= queue.input.size())
                return false;
            entry = queue.input[i];
        }
        bool keep = true;
        if (!entry.routed && router)
            keep = router->route(&entry.msg);
        std::lock_guard lock(queue.mutex);
        auto it = std::find_if(queue.input.begin(), queue.input.end(),
                               [&](const MessageQueue::Input& e) { return e.serial == entry.serial; });
        if (it == queue.input.end() || !keep) {
            // Dropped meanwhile (its window went away) or by the router.
            if (it != queue.input.end())
                queue.input.erase(it);
            i = static_cast<size_t>(-1);
            continue;
        }
        it->msg = entry.msg;
        it->routed = true;
        i = static_cast<size_t>(it - queue.input.begin());
        if (!matches(entry.msg, window, first, last))
            continue;
        *msg = entry.msg;
        if (remove)
            queue.input.erase(it);
        queue.last_message_time = msg->time;
        return true;
    }
}

// The quit request, once nothing else is waiting, under the lock.
bool take_quit_locked(MessageQueue& queue, LPMSG msg, bool remove)
{
    if (!queue.quit)
        return false;
    *msg = MSG{};
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(queue.quit_code);
    msg->time = GetTickCount();
    if (remove)
        queue.quit = false;
    return true;
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
        queue->input.clear();
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

LocalPost post_to_local_thread(DWORD threadId, const MSG& msg)
{
    auto queue = find_queue(threadId);
    return queue ? push(queue, msg, false) : LocalPost::no_queue;
}

LocalPost post_input_to_local_thread(DWORD threadId, const MSG& msg, bool routed)
{
    auto queue = find_queue(threadId);
    return queue ? push(queue, msg, true, routed) : LocalPost::no_queue;
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

void set_generated_messages(GeneratedMessages* source) { g_generated.store(source, std::memory_order_release); }

void set_input_router(InputRouter* router) { g_router.store(router, std::memory_order_release); }

void wake_thread(DWORD threadId)
{
    auto queue = find_queue(threadId);
    if (!queue)
        return;
    bool ring_wake;
    {
        std::lock_guard lock(queue->mutex);
        queue->generated_new = true;
        ring_wake = queue->in_object_wait;
    }
    queue->changed.notify_all();
    if (ring_wake)
        notify_waiters();
}

void discard_window_messages(DWORD threadId, HWND window)
{
    auto queue = find_queue(threadId);
    if (!queue || !window)
        return;
    std::lock_guard lock(queue->mutex);
    std::erase_if(queue->posted, [&](const MSG& msg) { return msg.hwnd == window; });
    std::erase_if(queue->input, [&](const MessageQueue::Input& input) { return input.msg.hwnd == window; });
}

}  // namespace helm::kernel

using namespace helm::kernel;

BOOL PostThreadMessage(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    // As on Windows, calling a message function gives the caller a queue,
    // so a thread can post to itself first thing.
    current_queue();
    if (auto queue = find_queue(threadId)) {
        switch (push(queue, msg, false)) {
        case Push::delivered: return TRUE;
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
    // A thread of this process without a queue is refused by the station,
    // which tells local threads from remote ones.
    if (threadId == 0 || !remote) {
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
        {
            std::lock_guard lock(queue->mutex);
            queue->fresh = 0;
            queue->generated_new = false;
            if (take_posted_locked(*queue, msg, window, first, last, true))
                return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        if (take_input(*queue, msg, window, first, last, true))
            return TRUE;
        {
            std::lock_guard lock(queue->mutex);
            if (take_quit_locked(*queue, msg, true))
                return FALSE;
        }
        GeneratedMessages* source = generated();
        uint64_t due = UINT64_MAX;
        if (source) {
            if (source->take(msg, window, first, last, true)) {
                std::lock_guard lock(queue->mutex);
                queue->last_message_time = msg->time;
                return TRUE;
            }
            due = source->next_due(window, first, last);
        }
        std::unique_lock lock(queue->mutex);
        wait_queue_until(*queue, lock, due, [&] {
            return !queue->sent.empty() || queue->fresh || queue->quit || queue->generated_new;
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
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    {
        std::lock_guard lock(queue->mutex);
        queue->fresh = 0;
        queue->generated_new = false;
        if (take_posted_locked(*queue, msg, window, first, last, remove))
            return TRUE;
    }
    if (take_input(*queue, msg, window, first, last, remove))
        return TRUE;
    {
        std::lock_guard lock(queue->mutex);
        if (take_quit_locked(*queue, msg, remove))
            return TRUE;
    }
    GeneratedMessages* source = generated();
    if (source && source->take(msg, window, first, last, remove)) {
        std::lock_guard lock(queue->mutex);
        queue->last_message_time = msg->time;
        return TRUE;
    }
    return FALSE;
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
    const DWORD wanted = (wants_posted ? QS_POSTMESSAGE : 0) | (wakeMask & QS_INPUT);
    const DWORD generated_mask = wakeMask & (QS_PAINT | QS_TIMER);
    GeneratedMessages* source = generated_mask ? generated() : nullptr;
    auto input_arrived = [&] {
        run_sent(*queue);
        {
            std::lock_guard lock(queue->mutex);
            queue->generated_new = false;
            if ((queue->fresh & wanted) || (wants_posted && queue->quit))
                return true;
        }
        return source && (source->ready() & generated_mask) != 0;
    };
    auto next_due = [&] { return (source && (generated_mask & QS_TIMER)) ? source->next_due(nullptr, 0, 0) : UINT64_MAX; };
    const uint64_t deadline = deadline_after(milliseconds);
    if (count == 0) {
        for (;;) {
            if (input_arrived())
                return WAIT_OBJECT_0;
            if (steady_ms() >= deadline)
                return WAIT_TIMEOUT;
            std::unique_lock lock(queue->mutex);
            wait_queue_until(*queue, lock, std::min(deadline, next_due()), [&] {
                return !queue->sent.empty() || (queue->fresh & wanted) || (wants_posted && queue->quit) ||
                       (source && queue->generated_new);
            });
        }
    }
    {
        std::lock_guard lock(queue->mutex);
        queue->in_object_wait = true;
    }
    DWORD result;
    for (;;) {
        // A timer falling due rings nothing, so the object wait is cut at its
        // due time and the timer looked at then.
        const uint64_t until = std::min(deadline, next_due());
        DWORD slice = INFINITE;
        if (until != UINT64_MAX) {
            uint64_t now = steady_ms();
            slice = static_cast<DWORD>(std::min<uint64_t>(until > now ? until - now : 0, INFINITE - 1));
        }
        result = wait_for_objects(count, handles, waitAll, slice, input_arrived);
        if (result != WAIT_TIMEOUT || until == deadline)
            break;
        if (input_arrived()) {
            result = WAIT_OBJECT_0 + count;
            break;
        }
    }
    {
        std::lock_guard lock(queue->mutex);
        queue->in_object_wait = false;
    }
    return result;
}

DWORD GetQueueStatus(UINT flags)
{
    auto queue = current_queue();
    GeneratedMessages* source = generated();
    DWORD now = source ? source->ready() & (QS_PAINT | QS_TIMER) : 0;
    std::lock_guard lock(queue->mutex);
    if (!queue->posted.empty() || queue->quit)
        now |= QS_POSTMESSAGE;
    for (const auto& input : queue->input)
        now |= wake_bit(input.msg, true);
    if (!queue->sent.empty())
        now |= QS_SENDMESSAGE;
    const DWORD fresh = queue->fresh;
    queue->fresh = 0;
    return ((fresh & flags) << 16) | (now & flags);
}

DWORD GetMessageTime()
{
    auto queue = current_queue();
    std::lock_guard lock(queue->mutex);
    return queue->last_message_time;
}
