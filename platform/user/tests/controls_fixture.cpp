#include "controls_fixture.h"

namespace controls_test {

LRESULT CALLBACK ControlsTest::parent_proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        Heard h{message, reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam), 0};
        s_heard.push_back(h);
        if (s_on_command)
            s_on_command(h);
        return 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        s_heard.push_back({message, reinterpret_cast<HWND>(lParam), 0, LOWORD(wParam), static_cast<short>(HIWORD(wParam))});
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
        s_heard.push_back({message, reinterpret_cast<HWND>(lParam), 0, 0, 0});
        return 0;
    default:
        return DefWindowProc(window, message, wParam, lParam);
    }
}

void ControlsTest::SetUp()
{
    static const bool registered = [] {
        WNDCLASS wc{};
        wc.lpfnWndProc = parent_proc;
        wc.lpszClassName = "ControlsTestParent";
        return RegisterClass(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    s_heard.clear();
    s_on_command = nullptr;
    m_parent = CreateWindowEx(0, "ControlsTestParent", "parent", WS_OVERLAPPED | WS_VISIBLE, 100, 100, 400, 300,
                              nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(m_parent, nullptr);
}

void ControlsTest::TearDown()
{
    s_on_command = nullptr;
    if (IsWindow(m_parent))
        DestroyWindow(m_parent);
    pump();
    s_heard.clear();
}

HWND ControlsTest::make(const char* cls, DWORD style, int id, RECT r, const char* text)
{
    HWND w = CreateWindowEx(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, m_parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr,
                            nullptr);
    EXPECT_NE(w, nullptr) << cls;
    return w;
}

std::vector<int> ControlsTest::codes(HWND from) const
{
    std::vector<int> out;
    for (const Heard& h : s_heard)
        if (h.message == WM_COMMAND && h.from == from)
            out.push_back(h.code);
    return out;
}

std::vector<Heard> ControlsTest::heard(UINT message) const
{
    std::vector<Heard> out;
    for (const Heard& h : s_heard)
        if (h.message == message)
            out.push_back(h);
    return out;
}

void ControlsTest::click(HWND window, POINT p)
{
    press(window, p);
    release(window, p);
}

void ControlsTest::key(HWND window, WPARAM vk)
{
    key_down(window, vk);
    key_up(window, vk);
}

void ControlsTest::type(HWND window, const std::string& text)
{
    for (char c : text)
        SendMessage(window, WM_CHAR, static_cast<BYTE>(c), 1);
}

std::string ControlsTest::text_of(HWND window)
{
    std::string s(static_cast<size_t>(GetWindowTextLength(window)) + 1, '\0');
    s.resize(static_cast<size_t>(GetWindowText(window, s.data(), static_cast<int>(s.size()))));
    return s;
}

void ControlsTest::pump()
{
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessage(&msg);
    }
}

void ControlsTest::pump_for(DWORD ms)
{
    const uint64_t end = helm::kernel::deadline_after(ms);
    for (;;) {
        pump();
        const uint64_t now = helm::kernel::steady_ms();
        if (now >= end)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

}  // namespace controls_test
