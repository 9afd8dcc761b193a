// A parent window that records the WM_NOTIFY its list and tree views and
// headers send (answering them as a test asks) and the WM_COMMAND of its
// rich edits.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace views_test {

// What one WM_NOTIFY carried, copied while it was sent.
struct Heard {
    HWND from = nullptr;
    UINT_PTR id = 0;
    UINT code = 0;
    // Tree views.
    UINT action = 0;
    HTREEITEM old_item = nullptr;
    HTREEITEM new_item = nullptr;
    // List views and headers.
    int item = -1;
    int sub_item = 0;
    UINT new_state = 0;
    UINT old_state = 0;
    UINT changed = 0;
    // Custom draw.
    DWORD stage = 0;
    DWORD_PTR spec = 0;
    UINT item_state = 0;
    LPARAM item_data = 0;
    COLORREF text = 0;
    COLORREF back = 0;
    int width = 0;  // HDN_ with HDI_WIDTH
};

class ViewsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND make(const char* cls, DWORD style, int id, RECT r = {10, 10, 210, 110});

    // The codes heard from `from`, in order, leaving out the custom draw
    // of paints that happen while the driver pumps.
    std::vector<UINT> codes(HWND from) const;
    std::vector<Heard> heard(UINT code) const;
    void forget()
    {
        s_heard.clear();
        s_commands.clear();
    }
    // The point of a client point of `window` on the screen.
    static POINT screen(HWND window, POINT client);

    HWND m_parent = nullptr;
    // The parent's answer to a notification; 0 when unset. Runs while the
    // notification is sent, so it may change the block (custom draw).
    static inline std::function<LRESULT(NMHDR*)> s_answer;
    static inline std::vector<Heard> s_heard;
    // The WM_COMMAND notifications: the control and the code.
    static inline std::vector<std::pair<HWND, int>> s_commands;

private:
    static LRESULT CALLBACK parent_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace views_test
