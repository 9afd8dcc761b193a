// A parent window that records what its standard controls tell it, and
// the operator's input as the controls' messages.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace controls_test {

// What the parent heard: WM_COMMAND, WM_HSCROLL/WM_VSCROLL and WM_CTLCOLOR*.
struct Heard {
    UINT message;
    HWND from;
    int id;    // WM_COMMAND
    int code;  // notification or scroll code
    int pos;   // scroll position
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HWND make(const char* cls, DWORD style, int id, RECT r = {10, 10, 110, 30}, const char* text = "");

    // The notification codes `from` sent with WM_COMMAND, in order.
    std::vector<int> codes(HWND from) const;
    std::vector<Heard> heard(UINT message) const;
    void forget() { s_heard.clear(); }

    static void click(HWND window, POINT p = {5, 5});
    static void press(HWND window, POINT p) { SendMessage(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
    static void release(HWND window, POINT p) { SendMessage(window, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y)); }
    static void key(HWND window, WPARAM vk);
    static void key_down(HWND window, WPARAM vk) { SendMessage(window, WM_KEYDOWN, vk, 1); }
    static void key_up(HWND window, WPARAM vk) { SendMessage(window, WM_KEYUP, vk, 0xC0000001); }
    static void type(HWND window, const std::string& text);
    static std::string text_of(HWND window);
    // Sends nothing to the queue: what is queued now is dispatched.
    static void pump();
    // Dispatches what comes for `ms` milliseconds, timers included.
    static void pump_for(DWORD ms);

    HWND m_parent = nullptr;
    // Runs inside the parent's WM_COMMAND, when set.
    static inline std::function<void(const Heard&)> s_on_command;
    static inline std::vector<Heard> s_heard;

private:
    static LRESULT CALLBACK parent_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace controls_test
