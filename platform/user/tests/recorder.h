// A window class whose procedure records every message it gets, for the
// layer's tests.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace user_test {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const Seen&) const = default;
};

class Recorder {
public:
    static Recorder& instance();
    void add(const Seen& s);
    std::vector<Seen> take();
    // The messages in `wanted` that `window` got, in order.
    std::vector<UINT> messages_of(HWND window, std::initializer_list<UINT> wanted);
    void clear();

private:
    std::mutex m_mutex;
    std::vector<Seen> m_seen;
};

// Returns what the test set for the message, else DefWindowProc.
LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The recording class, registered once per test program.
LPCSTR recording_class();

// An answer recording_proc gives instead of DefWindowProc's.
void set_answer(UINT message, LRESULT answer);
void clear_answers();

// Pumps what is queued now, without waiting.
void pump();
// Pumps for `ms` milliseconds.
void pump_for(DWORD ms);

}  // namespace user_test
