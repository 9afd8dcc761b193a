#include "recorder.h"

#include <algorithm>
#include <map>
#include <utility>

namespace user_test {

namespace {
std::mutex g_answers_mutex;
std::map<UINT, LRESULT> g_answers;
}  // namespace

Recorder& Recorder::instance()
{
    static Recorder r;
    return r;
}

void Recorder::add(const Seen& s)
{
    std::lock_guard lock(m_mutex);
    m_seen.push_back(s);
}

std::vector<Seen> Recorder::take()
{
    std::lock_guard lock(m_mutex);
    return std::exchange(m_seen, {});
}

std::vector<UINT> Recorder::messages_of(HWND window, std::initializer_list<UINT> wanted)
{
    std::lock_guard lock(m_mutex);
    std::vector<UINT> out;
    for (const Seen& s : m_seen)
        if (s.window == window && std::find(wanted.begin(), wanted.end(), s.message) != wanted.end())
            out.push_back(s.message);
    return out;
}

void Recorder::clear()
{
    std::lock_guard lock(m_mutex);
    m_seen.clear();
}

void set_answer(UINT message, LRESULT answer)
{
    std::lock_guard lock(g_answers_mutex);
    g_answers[message] = answer;
}

void clear_answers()
{
    std::lock_guard lock(g_answers_mutex);
    g_answers.clear();
}

LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Recorder::instance().add({window, message, wParam, lParam});
    {
        std::lock_guard lock(g_answers_mutex);
        auto it = g_answers.find(message);
        if (it != g_answers.end())
            return it->second;
    }
    return DefWindowProc(window, message, wParam, lParam);
}

LPCSTR recording_class()
{
    static const bool registered = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = recording_proc;
        wc.cbWndExtra = 16;
        wc.lpszClassName = "UserTestRecorder";
        return RegisterClass(&wc) != 0;
    }();
    return registered ? "UserTestRecorder" : nullptr;
}

void pump()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

void pump_for(DWORD ms)
{
    const uint64_t end = helm::kernel::deadline_after(ms);
    for (;;) {
        pump();
        uint64_t now = helm::kernel::steady_ms();
        if (now >= end)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

}  // namespace user_test
