// The operator test driver: a test acts as the operator would, through the
// input layer (helm/user/input.h), so every action arrives as the input
// messages a real mouse and keyboard make, and is seen by message loops,
// IsDialogMessage and subclasses. Plus a log of what a window was sent and
// what it got from its queue.
#pragma once

#include <windows.h>

#include "helm/user/input.h"

#include <string_view>
#include <vector>

namespace helm::user::testing {

// Runs the calling thread's queue until it is empty: messages for a dialog
// or its controls go through IsDialogMessage, others through
// TranslateMessage and DispatchMessage, as a program's loop does. Gives up
// after `limit` messages (a window that never validates keeps WM_PAINT).
void pump_until_idle(int limit = 100000);

// Each action is delivered, then the queue is pumped until idle.
void click(HWND window);                    // left button at the window's centre
void click_at(POINT screen_point);
// A press at `from`, the mouse moved to `to` in `steps` even steps with the
// button held (each delivered and pumped), and the release at `to`.
void drag(POINT from, POINT to, int steps = 4, input::Button button = input::Button::left);
// Two clicks in a row: the second press is a double click for windows of a
// CS_DBLCLKS class.
void double_click(HWND window);
void press(BYTE virtual_key);               // down, then up
void press_with_shift(BYTE virtual_key);    // Shift held around the key
void press_enter();
void press_escape();
void press_tab();
void press_shift_tab();
// Each character as its key (with Shift for capitals) where TranslateMessage
// makes it from one, else as a typed character.
void type(std::string_view text);
// Moves the focus as a program would (SetFocus), then pumps.
void focus(HWND window);
// Opens the combo box with a click, finds its drop-down list through
// GetComboBoxInfo and clicks the entry's rectangle (LB_GETITEMRECT). False
// when the combo shows no list or has no such entry.
bool pick_combo_entry(HWND combo, int index);

struct LoggedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;  // taken from the queue rather than sent
};

// Records every message a window's procedure gets, by subclassing it, until
// destroyed (then the procedure is put back if nobody subclassed it since).
// For the calling thread's windows.
class MessageLog {
public:
    explicit MessageLog(HWND window);
    ~MessageLog();
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    const std::vector<LoggedMessage>& messages() const { return m_messages; }
    // The messages among `wanted`, in order.
    std::vector<UINT> only(std::initializer_list<UINT> wanted) const;
    // The (control id, notification code) pairs of the WM_COMMAND messages.
    std::vector<std::pair<int, int>> commands() const;
    void clear() { m_messages.clear(); }

private:
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window;
    WNDPROC m_previous = nullptr;
    std::vector<LoggedMessage> m_messages;
};

}  // namespace helm::user::testing
