// Messages the queue makes up when nothing is posted: WM_PAINT while a
// visible window has an update region, and WM_TIMER for timers that fell
// due, one per timer however late (coalesced), as on Windows. They reach
// the kernel's message functions through its GeneratedMessages hook.

#include <algorithm>

#include "helm/kernel/clock.h"
#include "helm/kernel/error.h"
#include "helm/kernel/objects.h"
#include "helm/kernel/threads.h"
#include "helm/user/screen.h"
#include "window_table.h"

using namespace helm::user;

namespace {

const HWND thread_messages_only = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

bool in_range(UINT message, UINT first, UINT last)
{
    return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool visible_locked(WindowTable& t, const Window* w)
{
    while (w) {
        if (!(w->style & WS_VISIBLE))
            return false;
        if (!w->parent)
            return true;
        w = t.get(w->parent);
    }
    return false;
}

// The thread's first window needing paint, parents before children, the
// top of the Z order first.
const Window* find_paint_locked(WindowTable& t, DWORD thread, const std::vector<uint32_t>& level)
{
    for (uint32_t h : level) {
        const Window* w = t.get(h);
        if (!w || !(w->style & WS_VISIBLE))
            continue;
        if (w->thread_id == thread && w->needs_paint)
            return w;
        if (const Window* child = find_paint_locked(t, thread, w->children))
            return child;
    }
    return nullptr;
}

// Calls `visit(hwnd, timer)` for each timer of the calling thread that the
// filter lets through.
template <class F>
void for_each_timer_locked(WindowTable& t, HWND window, F visit)
{
    const DWORD thread = GetCurrentThreadId();
    if (!window || window == thread_messages_only) {
        auto it = t.thread_timers.find(thread);
        if (it != t.thread_timers.end())
            for (Timer& timer : it->second)
                visit(nullptr, timer);
        if (window == thread_messages_only)
            return;
        for (auto& [h, w] : t.windows)
            if (w->thread_id == thread)
                for (Timer& timer : w->timers)
                    visit(WindowTable::hwnd_of(h), timer);
        return;
    }
    if (Window* w = t.get(window); w && w->thread_id == thread)
        for (Timer& timer : w->timers)
            visit(window, timer);
}

class WindowMessages final : public helm::kernel::GeneratedMessages {
public:
    bool take(LPMSG msg, HWND window, UINT first, UINT last, bool remove) override
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        // WM_PAINT stays until the window is validated, whatever `remove` says.
        if (in_range(WM_PAINT, first, last) && window != thread_messages_only) {
            const Window* w = nullptr;
            if (!window)
                w = find_paint_locked(t, GetCurrentThreadId(), t.top_level);
            else if (const Window* only = t.get(window);
                     only && only->needs_paint && only->thread_id == GetCurrentThreadId() && visible_locked(t, only))
                w = only;
            if (w) {
                *msg = MSG{};
                msg->hwnd = WindowTable::hwnd_of(w->handle);
                msg->message = WM_PAINT;
                msg->time = GetTickCount();
                return true;
            }
        }
        if (!in_range(WM_TIMER, first, last))
            return false;
        const uint64_t now = helm::kernel::steady_ms();
        Timer* due = nullptr;
        HWND due_window = nullptr;
        for_each_timer_locked(t, window, [&](HWND h, Timer& timer) {
            if (timer.due <= now && (!due || timer.due < due->due)) {
                due = &timer;
                due_window = h;
            }
        });
        if (!due)
            return false;
        *msg = MSG{};
        msg->hwnd = due_window;
        msg->message = WM_TIMER;
        msg->wParam = due->id;
        msg->lParam = reinterpret_cast<LPARAM>(due->proc);
        msg->time = GetTickCount();
        if (remove)
            due->due = now + due->elapse;
        return true;
    }

    DWORD ready() override
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        DWORD bits = 0;
        if (find_paint_locked(t, GetCurrentThreadId(), t.top_level))
            bits |= QS_PAINT;
        const uint64_t now = helm::kernel::steady_ms();
        for_each_timer_locked(t, nullptr, [&](HWND, Timer& timer) {
            if (timer.due <= now)
                bits |= QS_TIMER;
        });
        return bits;
    }

    uint64_t next_due(HWND window, UINT first, UINT last) override
    {
        if (!in_range(WM_TIMER, first, last))
            return UINT64_MAX;
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        uint64_t next = UINT64_MAX;
        for_each_timer_locked(t, window, [&](HWND, Timer& timer) { next = std::min(next, timer.due); });
        return next;
    }
};

const bool installed = [] {
    helm::kernel::set_generated_messages(new WindowMessages);  // lives as long as the process
    return true;
}();

}  // namespace

namespace helm::user {
void wake_owner(DWORD thread_id) { helm::kernel::wake_thread(thread_id); }
}  // namespace helm::user

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc)
{
    elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    WindowTable& t = window_table();
    DWORD thread;
    UINT_PTR result;
    {
        std::lock_guard lock(t.mutex);
        std::vector<Timer>* timers;
        if (window) {
            Window* w = t.find(window);
            if (!w)
                return 0;
            thread = w->thread_id;
            timers = &w->timers;
        } else {
            thread = GetCurrentThreadId();
            timers = &t.thread_timers[thread];
            if (std::none_of(timers->begin(), timers->end(), [&](const Timer& x) { return x.id == id && id != 0; })) {
                // A new thread timer gets an id of its own.
                static UINT_PTR next_thread_timer = 0x7FFF;
                id = ++next_thread_timer;
            }
        }
        auto it = std::find_if(timers->begin(), timers->end(), [&](const Timer& x) { return x.id == id; });
        Timer& timer = it == timers->end() ? timers->emplace_back() : *it;
        timer.id = id;
        timer.elapse = elapse;
        timer.proc = proc;
        timer.due = helm::kernel::steady_ms() + elapse;
        result = window ? (id ? id : 1) : id;
    }
    helm::kernel::ensure_current_queue();
    wake_owner(thread);
    return result;
}

BOOL KillTimer(HWND window, UINT_PTR id)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    std::vector<Timer>* timers;
    if (window) {
        Window* w = t.find(window);
        if (!w)
            return FALSE;
        timers = &w->timers;
    } else {
        auto it = t.thread_timers.find(GetCurrentThreadId());
        if (it == t.thread_timers.end())
            return FALSE;
        timers = &it->second;
    }
    auto erased = std::erase_if(*timers, [&](const Timer& x) { return x.id == id; });
    if (!erased)
        SetLastError(ERROR_INVALID_PARAMETER);
    return erased ? TRUE : FALSE;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase)
{
    WindowTable& t = window_table();
    std::vector<uint32_t> targets;
    {
        std::lock_guard lock(t.mutex);
        if (!window) {
            targets = t.top_level;
        } else if (!t.get(window)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        } else {
            targets.push_back(WindowTable::value_of(window));
        }
    }
    for (uint32_t h : targets) {
        DWORD thread;
        {
            std::lock_guard lock(t.mutex);
            Window* w = t.get(h);
            if (!w)
                continue;
            RECT client = client_in_window(*w);
            RECT full{0, 0, client.right - client.left, client.bottom - client.top};
            RECT area = full;
            if (rect && window && !IntersectRect(&area, rect, &full))
                continue;
            if (IsRectEmpty(&area) && !IsRectEmpty(&full))
                continue;
            if (w->needs_paint)
                UnionRect(&w->update, &w->update, &area);
            else
                w->update = area;
            w->needs_paint = true;
            w->erase = w->erase || erase;
            thread = w->thread_id;
        }
        screen()->window_invalidated(WindowTable::hwnd_of(h));
        wake_owner(thread);
    }
    return TRUE;
}

BOOL ValidateRect(HWND window, const RECT* rect)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.find(window);
    if (!w)
        return FALSE;
    // A single rectangle stands for the update region: it is validated once
    // the rectangle given covers it.
    RECT covered;
    if (!rect || (UnionRect(&covered, rect, &w->update) && EqualRect(&covered, rect))) {
        w->needs_paint = false;
        w->erase = false;
        w->update = RECT{};
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL)
{
    WindowTable& t = window_table();
    std::lock_guard lock(t.mutex);
    Window* w = t.get(window);
    if (!w)
        return FALSE;
    if (rect)
        *rect = w->needs_paint ? w->update : RECT{};
    return w->needs_paint ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND window)
{
    bool due;
    {
        WindowTable& t = window_table();
        std::lock_guard lock(t.mutex);
        Window* w = t.find(window);
        if (!w)
            return FALSE;
        due = w->needs_paint && visible_locked(t, w);
    }
    if (due)
        SendMessage(window, WM_PAINT, 0, 0);
    return TRUE;
}
